// What the block converters' steps look at: the pair tests of the hot loops (the ranges of
// isEUC and isSJIS, inlined), line-end bytes, and the half-width katakana lookup with
// sound-mark merging.
#ifndef MOJIWA_CODES_CONVERTBYTES_H
#define MOJIWA_CODES_CONVERTBYTES_H

#include "codes/ByteClass.h"
#include "codes/RoomWriter.h"
#include "string/Kanji.h"

namespace mojiwa {
namespace detail {

constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

// The pair tests read the byte after p only when p's own byte passed, so at worst the
// terminator.
inline bool IsEucPair(const unsigned char* p) { return IsEucByte(p[0]) && IsEucByte(p[1]); }
inline bool IsSjisPair(const unsigned char* p) { return IsSjisLead(p[0]) && IsSjisTrail(p[1]); }

// Whether the half-width katakana tables hold a record for the byte: 0x21..0x5F in either half.
// Only these bytes are ever looked up, so nothing is read outside the 63 records.
constexpr bool HasKanaRecord(unsigned char b) { return InRange(b & 0x7F, 0x21, 0x5F); }

static_assert(HasKanaRecord(0x21) && HasKanaRecord(0x5F) && HasKanaRecord(0xA1) &&
                  HasKanaRecord(0xDF) && !HasKanaRecord(0x20) && !HasKanaRecord(0x60) &&
                  !HasKanaRecord(0xA0) && !HasKanaRecord(0xE0),
              "63 records, reached from both halves");

// Writes the full-width form of the half-width katakana at p (HasKanaRecord(p[0])), merged with
// a voiced (0xDE) or semi-voiced (0xDF) mark right after it when the record has that form;
// returns the bytes consumed. The mark is compared as it stands, so the 7-bit marks 0x5E and
// 0x5F never merge. p[1] is at worst the terminator.
inline unsigned PutFullKana(const CKanji::SHan2Zen* table, const unsigned char* p,
                            RoomWriter& out) {
  const CKanji::SHan2Zen& record = table[(p[0] & 0x7Fu) - 0x21u];
  if (p[1] == 0xDE && record.pcDaku != nullptr) {
    out.Put2(record.pcDaku);
    return 2;
  }
  if (p[1] == 0xDF && record.pcHandaku != nullptr) {
    out.Put2(record.pcHandaku);
    return 2;
  }
  out.Put2(record.pcZen);
  return 1;
}

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_CODES_CONVERTBYTES_H
