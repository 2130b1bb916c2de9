// Streaming code conversion. A chunk is converted up to a cut (after its last LF, which ends a
// step in Shift_JIS and EUC-JP; by a scan of the steps in JIS, whose framing follows the shift
// state), split further at NUL bytes, which end a converter call and pass through themselves.
#include "Converter.h"

#include <cstring>

#include "Framing.h"
#include "codes/ByteClass.h"

namespace mojiwa {
namespace filter {
namespace {

using detail::kSo;
// The geta mark 〓 (JIS 0x222E) in EUC-JP; the converters write it in the other codes.
constexpr const char kGetaEuc[] = "\xA2\xAE";

}  // namespace

Converter::Converter(const ConvertSettings& settings, Target& out)
    : settings_(settings), out_(out) {}

std::size_t Converter::Feed(unsigned char* text, std::size_t size, bool last) {
  const CKanji::EMODE from = settings_.from;
  if (from == settings_.to && from != CKanji::EMODE_EUC) {
    out_.Put(reinterpret_cast<const char*>(text), size);
    return size;
  }
  std::size_t done = 0;
  std::size_t cut = size;
  if (!last) {
    if (from == CKanji::EMODE_JIS) {
      // The scan starts from the reader's state as the converter left it, which a NUL inside
      // an escape sequence would make unknown: convert up to the last NUL first.
      const void* nul = memrchr(text, '\0', size);
      if (nul != nullptr) {
        done = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - text) + 1;
        ConvertRange(text, done);
      }
      // Usually an escape sequence near the end gives the cut; the scan of the steps from the
      // known state is needed only when there is none in the second half.
      const std::size_t rest = size - done;
      const std::size_t quick = JisResyncCut(text + done, rest);
      cut =
          done + (quick >= rest / 2 ? quick : ScanCut(from, false, text + done, rest, shift_).size);
    } else {
      const void* lf = memrchr(text, '\n', size);
      cut = lf != nullptr
                ? static_cast<std::size_t>(static_cast<const unsigned char*>(lf) - text) + 1
                : ScanCut(from, true, text, size, shift_).size;
    }
  }
  ConvertRange(text + done, cut - done);
  return cut;
}

void Converter::ConvertRange(unsigned char* text, std::size_t size) {
  std::size_t start = 0;
  while (start < size) {
    const void* nul = std::memchr(text + start, '\0', size - start);
    const std::size_t end =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - text)
                       : size;
    if (end > start) {
      const unsigned char saved = text[end];
      text[end] = '\0';
      if (settings_.from == CKanji::EMODE_EUC) {
        ConvertEuc(text + start, end - start);
      } else {
        Run(settings_.from, reinterpret_cast<const char*>(text + start));
      }
      text[end] = saved;
    }
    if (nul == nullptr) return;
    // A NUL is a control byte like any other: a JIS writer leaves its set for it.
    if (settings_.to == CKanji::EMODE_JIS) RomanBeforeControl();
    out_.Put('\0');
    start = end + 1;
  }
}

// text[size] is NUL. SS2 runs and SS3 characters are cut out; the EUC-JP between them goes to
// the EUC-JP converter, each run of half-width katakana (SS2 bytes dropped) to the Shift_JIS one,
// so that a katakana and its sound mark merge as they do from Shift_JIS.
void Converter::ConvertEuc(unsigned char* text, std::size_t size) {
  std::size_t start = 0;
  auto plain = [&](std::size_t end) {
    if (end == start) return;
    const unsigned char saved = text[end];
    text[end] = '\0';
    Run(CKanji::EMODE_EUC, reinterpret_cast<const char*>(text + start));
    text[end] = saved;
  };
  // The next SS2 and SS3 at or after pos, each searched again only once passed.
  auto find = [&](unsigned char byte, std::size_t from) {
    const void* hit = std::memchr(text + from, byte, size - from);
    return hit != nullptr ? static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - text)
                          : size;
  };
  std::size_t pos = 0;
  std::size_t ss2 = find(kSs2, 0);
  std::size_t ss3 = find(kSs3, 0);
  while (pos < size) {
    if (ss2 < pos) ss2 = find(kSs2, pos);
    if (ss3 < pos) ss3 = find(kSs3, pos);
    const std::size_t at = ss2 < ss3 ? ss2 : ss3;
    if (at == size) break;
    const unsigned char* hit = text + at;
    // text[size] is the NUL, so the look-ahead below stops there.
    if (*hit == kSs2 && IsHalfKana(text[at + 1])) {
      plain(at);
      std::size_t kana = at;
      std::size_t next = at;
      while (text[next] == kSs2 && IsHalfKana(text[next + 1])) {
        text[kana++] = text[next + 1];
        next += 2;
      }
      text[kana] = '\0';  // inside the run, which is used up
      Run(CKanji::EMODE_SJIS, reinterpret_cast<const char*>(text + at));
      start = pos = next;
    } else if (*hit == kSs3 && IsEucByte(text[at + 1]) && IsEucByte(text[at + 2])) {
      plain(at);
      Run(CKanji::EMODE_EUC, kGetaEuc);
      ++geta_count_;
      start = pos = at + 3;
    } else {
      pos = at + 1;  // a lone single shift: the library copies it as a byte
    }
  }
  plain(size);
}

void Converter::Run(CKanji::EMODE from, const char* src) {
  const CKanji::EMODE to = settings_.to;
  if (from == to) {
    out_.Put(src, std::strlen(src));
    return;
  }
  if (from == CKanji::EMODE_EUC && to == CKanji::EMODE_JIS) LeaveKana();
  for (;;) {
    out_.Reserve(Target::kMinRoom);
    char* dst = out_.Pos();
    unsigned long room = out_.Room();
    if (from == CKanji::EMODE_SJIS) {
      if (to == CKanji::EMODE_EUC) {
        CKanji::CopyS2E(src, dst, &room);
      } else {
        CKanji::CopyS2J(src, dst, settings_.kana_to_zen, settings_.keep_kana, &room, &shift_);
      }
    } else if (from == CKanji::EMODE_EUC) {
      if (to == CKanji::EMODE_SJIS) {
        CKanji::CopyE2S(src, dst, settings_.crlf, &room);
      } else {
        CKanji::CopyE2J(src, dst, settings_.crlf, &room, &shift_);
      }
    } else if (to == CKanji::EMODE_EUC) {
      CKanji::CopyJ2E(src, dst, &room, &shift_);
    } else {
      CKanji::CopyJ2S(src, dst, settings_.kana_to_zen, &room, &shift_);
    }
    out_.Advance(dst);
    if (*src == '\0') return;
    out_.Overflow();
  }
}

// The EUC-JP writer knows no kana set; leave it as the Shift_JIS writer would, with SO.
void Converter::LeaveKana() {
  if (shift_ != CKanji::ESHIFT_KANA) return;
  out_.Put(static_cast<char>(kSo));
  shift_ = CKanji::ESHIFT_ASCII;
}

void Converter::RomanBeforeControl() {
  if (settings_.from == CKanji::EMODE_JIS) return;  // a plain copy keeps no state
  LeaveKana();
  if (shift_ == CKanji::ESHIFT_KANJI) {
    out_.Put(CKanji::pcAsciiIn, std::strlen(CKanji::pcAsciiIn));
    shift_ = CKanji::ESHIFT_ASCII;
  }
}

void Converter::Finish() {
  if (settings_.to != CKanji::EMODE_JIS || settings_.from == CKanji::EMODE_JIS) return;
  out_.Reserve(Target::kMinRoom);
  char* dst = out_.Pos();
  unsigned long room = out_.Room();
  CKanji::FlushXXX2jis(shift_, dst, &room);
  out_.Advance(dst);
}

}  // namespace filter
}  // namespace mojiwa
