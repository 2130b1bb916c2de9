// The steps of each reader, as far as cutting needs them:
//   Shift_JIS  lead 0x81..0x9F or 0xE0..0xEF with a trail 0x40..0xFC except 0x7F: two bytes;
//              anything else one byte.
//   EUC-JP     two bytes 0xA1..0xFE: two bytes; with single shifts also 0x8E + 0xA1..0xDF and
//              0x8F + two bytes 0xA1..0xFE; anything else one byte.
//   JIS        an escape sequence (as CKanji::CheckESC consumes it: ESC x, ESC $ x, ESC & x,
//              ESC ( x, ESC $ ( x), SI or SO first; then CR and LF one byte each; then two bytes
//              in the kanji set, one byte in any other set.
// A single byte that the converter may look up as half-width katakana merges with a following
// 0xDE or 0xDF, so the place after it is no cut when the next byte is one (or is not known yet).
#include "Framing.h"

#include <cstdint>
#include <cstring>

#include "codes/ByteClass.h"

namespace mojiwa {
namespace filter {
namespace {

using detail::IsSjisLead;
using detail::IsSjisTrail;
using detail::kEsc;
using detail::kSi;
using detail::kSo;

// Length and answer of the escape sequence at text[0] (an ESC), as CheckESC reads it; 0 when the
// text ends before the sequence does.
std::size_t EscapeLength(const unsigned char* text, std::size_t size, CKanji::ESHIFT* answer) {
  *answer = CKanji::ESHIFT_INVALID;
  if (size < 2) return 0;
  const unsigned char c1 = text[1];
  if (c1 != '$' && c1 != '&' && c1 != '(') return 2;
  if (size < 3) return 0;
  const unsigned char c2 = text[2];
  if (c1 == '$' && c2 == '(') {
    if (size < 4) return 0;
    if (text[3] == 'D') *answer = CKanji::ESHIFT_KANJI;
    return 4;
  }
  if (c1 == '$' || c1 == '&') {
    if (c2 == '@' || (c1 == '$' && c2 == 'B')) *answer = CKanji::ESHIFT_KANJI;
  } else if (c2 == 'B' || c2 == 'H' || c2 == 'J') {
    *answer = CKanji::ESHIFT_ASCII;
  } else if (c2 == 'I') {
    *answer = CKanji::ESHIFT_KANA;
  }
  return 3;
}

// The first position in [from, limit) of a byte below 0x1C (where ESC, SO, SI, CR and LF lie),
// or limit. Eight bytes at a time: with the top bit of each byte cleared, adding 0x80 - 0x1C
// sets it again exactly for the bytes at or above 0x1C, and no sum carries into the next byte.
std::size_t NextControl(const unsigned char* text, std::size_t from, std::size_t limit) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  for (; from + 8 <= limit; from += 8) {
    std::uint64_t x;
    std::memcpy(&x, text + from, sizeof x);
    const std::uint64_t below = ~(((x & kOnes * 0x7F) + kOnes * (0x80 - 0x1C)) | x) & kOnes * 0x80;
    if (below != 0) return from + static_cast<std::size_t>(__builtin_ctzll(below) >> 3);
  }
#endif
  while (from < limit && text[from] >= 0x1C) ++from;
  return from;
}

// Steps through JIS text without looking for merges, up to the first step boundary at or after
// `limit`, and returns it with the state there. Only the bytes below 0x1C can end a run of
// steps: in the kanji set those at an even distance from the last boundary start pairs, the
// others are second bytes. Most of a chunk goes through here; only the last bytes need the
// careful scan.
std::size_t SkipJis(const unsigned char* text, std::size_t size, std::size_t limit,
                    CKanji::ESHIFT* shift) {
  std::size_t boundary = 0;
  std::size_t pos = 0;
  for (;;) {
    pos = NextControl(text, pos, limit);
    if (pos >= limit) break;
    const unsigned char b = text[pos];
    const bool kanji = *shift == CKanji::ESHIFT_KANJI;
    if (kanji && ((pos - boundary) & 1) != 0) {
      ++pos;  // the second byte of a pair
      continue;
    }
    if (b == kEsc) {
      CKanji::ESHIFT answer;
      const std::size_t step = EscapeLength(text + pos, size - pos, &answer);
      if (step == 0) return pos;
      *shift = answer;
      boundary = pos += step;
    } else if (b == kSo || b == kSi) {
      *shift = b == kSo ? CKanji::ESHIFT_ASCII : CKanji::ESHIFT_KANA;
      boundary = ++pos;
    } else if (kanji && (b == '\r' || b == '\n')) {
      boundary = ++pos;  // one byte in every set
    } else {
      ++pos;  // an ordinary step (in the kanji set, the first byte of a pair)
    }
  }
  if (boundary >= limit) return boundary;
  if (*shift != CKanji::ESHIFT_KANJI) return limit;
  const std::size_t pairs = (limit - boundary + 1) / 2;
  return boundary + 2 * pairs <= size ? boundary + 2 * pairs : boundary + 2 * (pairs - 1);
}

CutPoint CarefulCut(CKanji::EMODE code, bool single_shift, const unsigned char* text,
                    std::size_t size, CKanji::ESHIFT shift);

}  // namespace

CutPoint ScanCut(CKanji::EMODE code, bool single_shift, const unsigned char* text, std::size_t size,
                 CKanji::ESHIFT shift) {
  constexpr std::size_t kTail = 32;
  if (code == CKanji::EMODE_JIS && size > 2 * kTail) {
    CKanji::ESHIFT state = shift;
    const std::size_t start = SkipJis(text, size, size - kTail, &state);
    const CutPoint tail = CarefulCut(code, false, text + start, size - start, state);
    if (tail.size != 0) return CutPoint{start + tail.size, tail.shift};
    // No cut in the tail (a rare run of sound marks): the careful scan decides alone.
  }
  return CarefulCut(code, single_shift, text, size, shift);
}

std::size_t JisResyncCut(const unsigned char* text, std::size_t size) {
  std::size_t cut = 0;
  const unsigned char shift_codes[] = {kSo, kSi};
  for (const unsigned char shift_code : shift_codes) {
    const void* hit = memrchr(text, shift_code, size);
    if (hit == nullptr) continue;
    const std::size_t after =
        static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - text) + 1;
    if (after > cut) cut = after;
  }
  std::size_t end = size;
  while (end > cut) {
    const void* hit = memrchr(text, kEsc, end);
    if (hit == nullptr) break;
    const std::size_t at = static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - text);
    if (at + 3 <= size) {
      const unsigned char c1 = text[at + 1];
      const unsigned char c2 = text[at + 2];
      if ((c1 == '(' && (c2 == 'B' || c2 == 'J' || c2 == 'H' || c2 == 'I')) ||
          (c1 == '$' && (c2 == '@' || c2 == 'B'))) {
        if (at + 3 > cut) cut = at + 3;
        break;
      }
    }
    end = at;
  }
  return cut;
}

namespace {

CutPoint CarefulCut(CKanji::EMODE code, bool single_shift, const unsigned char* text,
                    std::size_t size, CKanji::ESHIFT shift) {
  CutPoint cut{0, shift};
  std::size_t i = 0;
  while (i < size) {
    const unsigned char b = text[i];
    std::size_t step = 1;
    bool may_merge = false;
    if (code == CKanji::EMODE_JIS) {
      if (b == kEsc) {
        CKanji::ESHIFT answer;
        step = EscapeLength(text + i, size - i, &answer);
        if (step == 0) break;
        shift = answer;
      } else if (b == kSo) {
        shift = CKanji::ESHIFT_ASCII;
      } else if (b == kSi) {
        shift = CKanji::ESHIFT_KANA;
      } else if (b == '\r' || b == '\n') {
        // one byte in every set
      } else if (shift == CKanji::ESHIFT_KANJI) {
        step = 2;
      } else {
        may_merge = MayMerge(b, shift);
      }
    } else if (code == CKanji::EMODE_SJIS) {
      if (IsSjisLead(b)) {
        if (i + 1 == size) break;
        if (IsSjisTrail(text[i + 1])) step = 2;
      }
      if (step == 1) may_merge = MayMerge(b, CKanji::ESHIFT_ASCII);
    } else if (IsEucByte(b)) {
      if (i + 1 == size) break;
      if (IsEucByte(text[i + 1])) step = 2;
    } else if (single_shift && b == kSs2) {
      if (i + 1 == size) break;
      if (IsHalfKana(text[i + 1])) {
        step = 2;
        may_merge = MayMerge(text[i + 1], CKanji::ESHIFT_ASCII);
      }
    } else if (single_shift && b == kSs3) {
      if (i + 2 >= size) break;
      if (IsEucByte(text[i + 1]) && IsEucByte(text[i + 2])) step = 3;
    }
    if (i + step > size) break;
    i += step;
    if (may_merge) {
      // The sound mark follows as a byte of its own, or in EUC-JP as SS2 and the byte.
      const bool euc = code == CKanji::EMODE_EUC;
      if (i == size || (euc && text[i] == kSs2 && i + 1 == size)) continue;
      if (euc ? text[i] == kSs2 && IsSoundMark(text[i + 1]) : IsSoundMark(text[i])) continue;
    }
    cut.size = i;
    cut.shift = shift;
  }
  return cut;
}

}  // namespace
}  // namespace filter
}  // namespace mojiwa
