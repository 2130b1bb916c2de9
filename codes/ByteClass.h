// Byte classes shared by detection, the class predicates and the converters: the shift codes,
// and the byte ranges of the three codes.
#ifndef MOJIWA_CODES_BYTECLASS_H
#define MOJIWA_CODES_BYTECLASS_H

namespace mojiwa {
namespace detail {

constexpr unsigned char kEsc = 0x1B;  // starts an escape sequence
constexpr unsigned char kSo = 0x0E;   // leaves the kana set
constexpr unsigned char kSi = 0x0F;   // enters the kana set

constexpr bool InRange(unsigned char b, unsigned char lo, unsigned char hi) {
  return b >= lo && b <= hi;
}

// Shift_JIS: lead 0x81..0x9F or 0xE0..0xEF (0xF0..0xFC are not accepted), trail 0x40..0xFC
// without 0x7F.
constexpr bool IsSjisLead(unsigned char b) {
  return InRange(b, 0x81, 0x9F) || InRange(b, 0xE0, 0xEF);
}
constexpr bool IsSjisTrail(unsigned char b) { return InRange(b, 0x40, 0xFC) && b != 0x7F; }

// Either byte of an EUC-JP pair.
constexpr bool IsEucByte(unsigned char b) { return InRange(b, 0xA1, 0xFE); }

// Either byte of a JIS pair.
constexpr bool IsJisByte(unsigned char b) { return InRange(b, 0x21, 0x7E); }

// A half-width katakana byte, as Shift_JIS and 8-bit JIS carry it.
constexpr bool IsHKanaByte(unsigned char b) { return InRange(b, 0xA1, 0xDF); }

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_CODES_BYTECLASS_H
