// CheckCode's walk, resumable. At each position CheckArea classifies what stands there and the
// walk counts EUC-JP and Shift_JIS evidence, steps over a pair (or one byte of a pair that may be
// two half-width katakana), and stops for good at a recognised escape sequence.
#include "Detector.h"

#include <cstring>

namespace mojiwa {
namespace filter {

void StreamDetector::Step(const unsigned char* text, std::size_t* pos) {
  const unsigned char b = text[*pos];
  // A byte below 0x80 other than ESC starts no pair and no escape: CheckArea answers
  // EAREA_ASCII or EAREA_OTHER for it, so the call is skipped. This is most of any text.
  if (b < 0x80 && b != 0x1B) {
    ++*pos;
    return;
  }
  switch (CKanji::CheckArea(reinterpret_cast<const char*>(text + *pos))) {
    case CKanji::EAREA_ESC: jis_ = true; break;
    case CKanji::EAREA_EUC:
      ++euc_;
      *pos += 2;
      break;
    case CKanji::EAREA_SJIS:
      ++sjis_;
      *pos += 2;
      break;
    case CKanji::EAREA_EUC_OR_SJIS: *pos += 2; break;
    case CKanji::EAREA_EUC_OR_HKANA:
      ++euc_;
      ++*pos;  // the second byte may start the next pair
      break;
    default: ++*pos; break;
  }
}

// Steps while the position has its look-ahead inside [0, limit); returns where it stopped.
std::size_t StreamDetector::Walk(const unsigned char* text, std::size_t pos, std::size_t limit) {
  while (!jis_ && pos + kLookAhead <= limit) Step(text, &pos);
  return pos;
}

void StreamDetector::Feed(const unsigned char* data, std::size_t size) {
  if (jis_) return;
  std::size_t pos = 0;
  if (pending_size_ != 0) {
    // Finish the positions that waited for look-ahead, in a small window of their bytes and the
    // first new ones. A step from them ends at most one byte into the new data.
    const std::size_t old = pending_size_;
    const std::size_t take = size < kLookAhead ? size : kLookAhead;
    std::memcpy(pending_ + old, data, take);
    const std::size_t window = old + take;
    std::size_t at = 0;
    while (!jis_ && at < old && at + kLookAhead <= window) Step(pending_, &at);
    if (at < old) {  // still short of look-ahead: everything fed so far waits
      std::memmove(pending_, pending_ + at, window - at);
      pending_size_ = window - at;
      return;
    }
    pending_size_ = 0;
    pos = at - old;
  }
  pos = Walk(data, pos, size);
  if (jis_ || pos >= size) return;
  pending_size_ = size - pos;
  std::memcpy(pending_, data + pos, pending_size_);
}

CKanji::EMODE StreamDetector::Finish() {
  // The end of the text is its terminator: CheckArea may look at it, never past it.
  pending_[pending_size_] = '\0';
  std::size_t pos = 0;
  while (!jis_ && pos < pending_size_) Step(pending_, &pos);
  CKanji::EMODE code = CKanji::EMODE_AUTO;
  if (jis_) {
    code = CKanji::EMODE_JIS;
  } else if (euc_ > sjis_) {
    code = CKanji::EMODE_EUC;
  } else if (sjis_ > euc_) {
    code = CKanji::EMODE_SJIS;
  }
  *this = StreamDetector();
  return code;
}

}  // namespace filter
}  // namespace mojiwa
