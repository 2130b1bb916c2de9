// Lines through a CKanji: assigned in its own code (a plain copy), changed by the operations in
// the order zen2han, han2zen, ToUpper, ToLower, and written out. Each operation converts the text
// into Shift_JIS and back with the object's switches, as it does for any CKanji.
#include "WidthStage.h"

#include <cstring>
#include <string>

#include "Framing.h"

namespace mojiwa {
namespace filter {
namespace {

// The sequence that puts a JIS reader into the state, at the start of a piece cut from a line.
const char* EnterSet(CKanji::ESHIFT shift) {
  switch (shift) {
    case CKanji::ESHIFT_KANJI: return CKanji::pcKnjiIn;
    case CKanji::ESHIFT_KANA: return "\x0F";
    default: return "";
  }
}

}  // namespace

WidthStage::WidthStage(const Options& options, CKanji::EMODE code, Target& next,
                       std::size_t piece_size)
    : Target(piece_size), options_(options), next_(next), piece_size_(piece_size) {
  SetCode(code);
}

void WidthStage::SetCode(CKanji::EMODE code) {
  if (line_ && line_->GetModeOutput() == code) return;
  line_ = std::make_unique<CKanji>(code, code, true, options_.kana_to_zen, options_.crlf,
                                   options_.keep_kana, piece_size_ + kMinRoom);
}

void WidthStage::Process(char* text, std::size_t size) {
  // A CKanji's text ends at a NUL: the parts around each NUL go through separately.
  while (size != 0) {
    const char* nul = static_cast<const char*>(std::memchr(text, '\0', size));
    const std::size_t part = nul != nullptr ? static_cast<std::size_t>(nul - text) : size;
    if (part != 0) ProcessPart(text, part);
    if (nul == nullptr) return;
    next_.Put('\0');
    text += part + 1;
    size -= part + 1;
  }
}

void WidthStage::ProcessPart(char* text, std::size_t size) {
  const char saved = text[size];
  text[size] = '\0';
  CKanji& line = *line_;
  line = static_cast<const char*>(text);
  text[size] = saved;
  const WidthClasses& z = options_.zen2han;
  if (z.Any()) line.zen2han(z.digit, z.alpha, z.kata, z.mark, z.hira);
  const WidthClasses& h = options_.han2zen;
  if (h.Any()) line.han2zen(h.digit, h.alpha, h.kata, h.mark, h.hira);
  if (options_.upper.Any()) line.ToUpper(options_.upper.zen, options_.upper.han);
  if (options_.lower.Any()) line.ToLower(options_.lower.zen, options_.lower.han);
  next_.Put(line.GetBuff(), line.GetSize());
}

void WidthStage::Consume(std::size_t size) {
  Process(begin(), size);
  Rewind(used() - size);
}

void WidthStage::Overflow() {
  const void* lf = memrchr(begin(), '\n', used());
  if (lf != nullptr) Consume(static_cast<std::size_t>(static_cast<const char*>(lf) - begin()) + 1);
  if (used() < piece_size_) return;

  // One line fills the buffer: hand on a piece that ends on a character.
  const CKanji::EMODE code = line_->GetModeOutput();
  const CutPoint cut = ScanCut(code, false, reinterpret_cast<const unsigned char*>(begin()), used(),
                               CKanji::ESHIFT_ASCII);
  Consume(cut.size != 0 ? cut.size : used());
  if (code != CKanji::EMODE_JIS) return;
  // The piece's JIS text ends in the Roman set after the operations; the rest starts afresh in
  // the set in which the line stood.
  const std::string rest(begin(), used());
  Rewind(0);
  const char* enter = EnterSet(cut.shift);
  Put(enter, std::strlen(enter));
  Put(rest.data(), rest.size());
}

void WidthStage::EndOfInput() { Consume(used()); }

}  // namespace filter
}  // namespace mojiwa
