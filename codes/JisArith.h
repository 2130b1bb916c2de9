// The 94x94 grid of JIS X 0208 in its three byte forms, and the arithmetic between them. Every
// converter of the library goes through these functions; nothing else encodes the relations.
#ifndef MOJIWA_CODES_JISARITH_H
#define MOJIWA_CODES_JISARITH_H

namespace mojiwa {
namespace detail {

struct BytePair {
  unsigned char first;
  unsigned char second;
};

constexpr unsigned Word(BytePair pair) {
  return static_cast<unsigned>(pair.first) << 8 | pair.second;
}
constexpr unsigned char Byte(unsigned value) { return static_cast<unsigned char>(value & 0xFF); }

// The grid has rows r and cells c, each 1..94. The three codes address a character as:
//   JIS        r + 0x20, c + 0x20                          (0x21..0x7E each)
//   EUC-JP     r + 0xA0, c + 0xA0                          (the JIS bytes with bit 7 set)
//   Shift_JIS  two rows share a lead byte: (r + 1) / 2 + 0x80 for rows 1..62 (0x81..0x9F),
//              (r + 1) / 2 + 0xC0 for rows 63..94 (0xE0..0xEF); an odd row takes the trail
//              c + 0x3F, stepping over 0x7F (0x40..0x7E, then 0x80..0x9E), an even row c + 0x9E
//              (0x9F..0xFC).
// In JIS bytes, h = (first - 1) >> 1 = (r + 1) / 2 + 0x0F, so the lead is h + 0x71 while h is
// below 0x2F and h + 0xB1 from there on; the row's parity is the first byte's parity, so the
// trail is second + 0x1F (+1 past 0x7E) for an odd first byte and second + 0x7D + 1 for an even
// one. The EUC forms are the same with 0x80 folded into the constants. Backwards, d = 2 * lead
// (mod 256) is below 0x40 exactly for the leads 0x81..0x9F, and a trail of 0x9F or more marks
// the even row. All arithmetic is on bytes, modulo 256, so the functions are total: outside the
// grid they give whatever the formulas give, and nothing is checked.

constexpr BytePair JisToEuc(BytePair jis) {
  return {Byte(jis.first | 0x80u), Byte(jis.second | 0x80u)};
}

constexpr BytePair EucToJis(BytePair euc) {
  return {Byte(euc.first & 0x7Fu), Byte(euc.second & 0x7Fu)};
}

constexpr BytePair JisToSjis(BytePair jis) {
  unsigned trail = Byte(jis.second + ((jis.first & 1u) != 0 ? 0x1Fu : 0x7Du));
  if (trail > 0x7E) trail = Byte(trail + 1);
  const unsigned h = Byte(jis.first - 1u) >> 1;
  return {Byte(h + (h < 0x2F ? 0x71u : 0xB1u)), Byte(trail)};
}

constexpr BytePair EucToSjis(BytePair euc) {
  unsigned trail = Byte(euc.second + ((euc.first & 1u) != 0 ? 0x9Fu : 0xFDu));
  if (trail > 0x7E) trail = Byte(trail + 1);
  const unsigned h = Byte(euc.first - 1u) >> 1;
  return {Byte(h + (h < 0x6F ? 0x31u : 0x71u)), Byte(trail)};
}

constexpr BytePair SjisToEuc(BytePair sjis) {
  const unsigned d = Byte(sjis.first * 2u);
  if (sjis.second >= 0x9F) {
    return {Byte(d + (d < 0x40 ? 0xA0u : 0x20u)), Byte(sjis.second + 2u)};
  }
  return {Byte(d + (d < 0x40 ? 0x9Fu : 0x1Fu)),
          Byte(sjis.second + (sjis.second > 0x7F ? 0x60u : 0x61u))};
}

constexpr BytePair SjisToJis(BytePair sjis) {
  const unsigned d = Byte(sjis.first * 2u);
  if (sjis.second >= 0x9F) {
    return {Byte(d + (d < 0x40 ? 0x20u : 0xA0u)), Byte(sjis.second - 0x7Eu)};
  }
  return {Byte(d + (d < 0x40 ? 0x1Fu : 0x9Fu)),
          Byte(sjis.second - (sjis.second > 0x7F ? 0x20u : 0x1Fu))};
}

static_assert(Word(JisToEuc({0x30, 0x21})) == 0xB0A1, "JIS 0x3021 (the first level-1 kanji)");
static_assert(Word(JisToSjis({0x30, 0x21})) == 0x889F, "an even row takes the high trails");
static_assert(Word(JisToSjis({0x21, 0x21})) == 0x8140, "ideographic space");
static_assert(Word(JisToSjis({0x21, 0x60})) == 0x8180, "an odd row steps over 0x7F");
static_assert(Word(JisToSjis({0x5F, 0x21})) == 0xE040, "lead jumps from 0x9F to 0xE0");
static_assert(Word(JisToSjis({0x7E, 0x7E})) == 0xEFFC, "the last cell");
static_assert(Word(EucToSjis({0xB0, 0xA1})) == 0x889F, "EUC goes the same way");
static_assert(Word(EucToSjis({0xDF, 0xA1})) == 0xE040, "EUC across the lead gap");
static_assert(Word(SjisToEuc({0x88, 0x9F})) == 0xB0A1, "back from an even row");
static_assert(Word(SjisToEuc({0xE0, 0x40})) == 0xDFA1, "back across the lead gap");
static_assert(Word(SjisToJis({0x81, 0x40})) == 0x2121, "back to the first cell");
static_assert(Word(SjisToJis({0x81, 0x80})) == 0x2160, "back over the 0x7F gap");
static_assert(Word(SjisToJis({0xEF, 0xFC})) == 0x7E7E, "back to the last cell");
static_assert(Word(EucToJis({0xB0, 0xA1})) == 0x3021, "EUC to JIS clears bit 7");

// The block converters look the arithmetic up in tables, one per byte of the pair, built from
// the functions above: the image of a Shift_JIS lead depends of its trail only on whether it is
// 0x9F or above (an even row), and the image of a JIS or EUC trail depends of its lead only on
// the parity; each other byte maps on its own. The tests compare the block converters with the
// per-character converters on every pair they take.
struct FromSjisTable {
  unsigned char lead[2][256];  // [trail >= 0x9F][lead]
  unsigned char trail[256];
};
struct ToSjisTable {
  unsigned char lead[256];
  unsigned char trail[2][256];  // [lead & 1][trail]
};

template <BytePair (*kConvert)(BytePair)>
constexpr FromSjisTable MakeFromSjis() {
  FromSjisTable table{};
  for (unsigned b = 0; b < 256; ++b) {
    table.lead[0][b] = kConvert({Byte(b), 0x40}).first;
    table.lead[1][b] = kConvert({Byte(b), 0x9F}).first;
    table.trail[b] = kConvert({0x81, Byte(b)}).second;
  }
  return table;
}

template <BytePair (*kConvert)(BytePair)>
constexpr ToSjisTable MakeToSjis() {
  ToSjisTable table{};
  for (unsigned b = 0; b < 256; ++b) {
    table.lead[b] = kConvert({Byte(b), 0x21}).first;
    table.trail[0][b] = kConvert({0x30, Byte(b)}).second;
    table.trail[1][b] = kConvert({0x21, Byte(b)}).second;
  }
  return table;
}

inline constexpr FromSjisTable kSjisToEuc = MakeFromSjis<SjisToEuc>();
inline constexpr FromSjisTable kSjisToJis = MakeFromSjis<SjisToJis>();
inline constexpr ToSjisTable kJisToSjis = MakeToSjis<JisToSjis>();
inline constexpr ToSjisTable kEucToSjis = MakeToSjis<EucToSjis>();

inline BytePair Look(const FromSjisTable& table, unsigned char lead, unsigned char trail) {
  return {table.lead[trail >= 0x9F ? 1 : 0][lead], table.trail[trail]};
}
inline BytePair Look(const ToSjisTable& table, unsigned char lead, unsigned char trail) {
  return {table.lead[lead], table.trail[lead & 1u][trail]};
}

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_CODES_JISARITH_H
