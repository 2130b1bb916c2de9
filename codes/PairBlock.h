// Sixteen bytes at a time for the converters (SSE2). A block converts exactly what the one-step
// loop would: the walk that takes a pair where one starts and a single byte elsewhere is found
// from the mask of possible pair starts, and the pairs go through the same arithmetic, lane by
// lane. Between the 8-bit codes a block stops before a step that would write more or less than
// it reads (a CR, a half-width katakana, a LF written as CR LF) and before a pair that would
// cross its end; for JIS a block takes only a run of pairs inside the kanji set. The caller takes
// the step where a block stops on its own.
#ifndef MOJIWA_CODES_PAIRBLOCK_H
#define MOJIWA_CODES_PAIRBLOCK_H

#if defined(__SSE2__)
#define MOJIWA_PAIR_BLOCKS 1
#include <emmintrin.h>

#include "codes/ByteScan.h"
#include "codes/RoomWriter.h"

namespace mojiwa {
namespace detail {

constexpr unsigned kBlock = 16;

inline __m128i Splat(unsigned char b) { return _mm_set1_epi8(static_cast<char>(b)); }
// Lanes whose byte is lo..hi, unsigned: x - lo wraps to at most hi - lo.
inline __m128i Between(__m128i x, unsigned char lo, unsigned char hi) {
  const __m128i d = _mm_sub_epi8(x, Splat(lo));
  return _mm_cmpeq_epi8(_mm_min_epu8(d, Splat(static_cast<unsigned char>(hi - lo))), d);
}
inline __m128i AtLeast(__m128i x, unsigned char lo) {
  return _mm_cmpeq_epi8(_mm_max_epu8(x, Splat(lo)), x);
}
inline unsigned Bits(__m128i lanes) { return static_cast<unsigned>(_mm_movemask_epi8(lanes)); }
// The lanes of a 16-bit mask, as 0xFF bytes.
inline __m128i Lanes(unsigned bits) {
  const unsigned long long spread = 0x0101010101010101ULL;
  const __m128i both = _mm_set_epi64x(static_cast<long long>((bits >> 8 & 0xFFu) * spread),
                                      static_cast<long long>((bits & 0xFFu) * spread));
  const __m128i select = _mm_set_epi8(-128, 64, 32, 16, 8, 4, 2, 1, -128, 64, 32, 16, 8, 4, 2, 1);
  return _mm_cmpeq_epi8(_mm_and_si128(both, select), select);
}

// Where the walk from bit 0 starts a pair, given where a pair could start. Every run of such
// bits begins at a stop of the walk (the byte before it, taken alone or as a second byte, is
// followed by a stop), and inside a run the walk stops on every other bit. So the starts are the
// bits of each run with the parity of its first bit. Adding the first bits on even places to the
// mask clears exactly the runs that begin there (the carry runs through the run), e.g.
//   pair 0110'0111: runs at 0..2 and 5..6; pair + 0000'0001 = 0110'1000 keeps the odd run;
//   starts at 0 and 2 (even run) and 5 (odd run).
// For 64 lanes at once the carry out of the top bit is dropped: the run it ends is cleared all
// the same.
template <class Mask>
constexpr Mask PairStartsIn(Mask pair) {
  constexpr auto kEven = static_cast<Mask>(0x5555555555555555ULL);
  const Mask firsts = pair & ~(pair << 1);
  const Mask even_runs = pair & ~(pair + (firsts & kEven));
  return (even_runs & kEven) | (pair & ~even_runs & ~kEven);
}
constexpr unsigned PairStarts(unsigned pair) { return PairStartsIn(pair) & 0xFFFF; }
static_assert(PairStarts(0x67) == 0x25, "the example above");
static_assert(PairStarts(0xFFFF) == 0x5555, "one long run");
static_assert(PairStarts(0x0006) == 0x0002, "a run from bit 1");
static_assert(PairStartsIn<unsigned long long>(~0ULL) == 0x5555555555555555ULL &&
                  PairStartsIn<unsigned long long>(0xE000000000000000ULL) == 0xA000000000000000ULL,
              "runs up to the top lane");

// Whether a block may start at p: `readable` bytes from p on are no NUL (16, or 17 where the
// block looks at the byte after its last), and 16 one-byte steps (8 pair steps) fit.
inline bool BlockFits(const unsigned char* p, std::size_t readable, SourceWindow& window,
                      const RoomWriter& out) {
  return out.OneByteSteps() >= kBlock && window.Ahead(p, readable, out.OneByteSteps()) >= readable;
}

// How many lanes the block may take: all, less a pair started on the last lane, and only those
// before the first lane that needs a step of its own.
inline unsigned Take(unsigned starts, unsigned alone) {
  unsigned take = (starts & 0x8000u) != 0 ? kBlock - 1 : kBlock;
  if (alone != 0) {
    const unsigned first = static_cast<unsigned>(__builtin_ctz(alone));
    if (first < take) take = first;
  }
  return take;
}

// Writes the first `take` converted lanes. With `whole`, all 16 may be stored: the output is
// known to reach that far (or the room to hold it), and what follows the lanes taken is written
// over by the next steps.
#define MOJIWA_BLOCK_INLINE inline __attribute__((always_inline))
MOJIWA_BLOCK_INLINE void Store(__m128i converted, unsigned take, bool whole, RoomWriter& out) {
  if (whole) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.Pos()), converted);
    out.Skip(take);
    return;
  }
  alignas(16) unsigned char lanes[kBlock];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), converted);
  out.CopyShort(lanes, take);
}

// The pair arithmetic on lanes, with the leads on `leads` and each trail on the lane after its
// lead; the other lanes are garbage. EUC pairs go as JIS pairs with bit 7 set on both bytes.
inline __m128i JisToSjisLanes(__m128i v, __m128i leads) {
  // Lead: h = (b - 1) >> 1, then h + 0x71 below 0x2F and h + 0xB1 from there.
  const __m128i h = _mm_and_si128(_mm_srli_epi16(_mm_sub_epi8(v, Splat(1)), 1), Splat(0x7F));
  const __m128i lead = _mm_add_epi8(_mm_add_epi8(h, Splat(0x71)),
                                    _mm_and_si128(_mm_cmpgt_epi8(h, Splat(0x2E)), Splat(0x40)));
  // Trail: + 0x1F after an odd lead, + 0x7D after an even one, then + 1 past 0x7E.
  const __m128i odd = _mm_cmpeq_epi8(_mm_and_si128(_mm_slli_si128(v, 1), Splat(1)), Splat(1));
  const __m128i t1 = _mm_sub_epi8(_mm_add_epi8(v, Splat(0x7D)), _mm_and_si128(odd, Splat(0x5E)));
  const __m128i trail = _mm_sub_epi8(t1, AtLeast(t1, 0x7F));
  return _mm_or_si128(_mm_and_si128(leads, lead), _mm_andnot_si128(leads, trail));
}

// `next` holds the byte after each lane, so a lead sees its trail.
inline __m128i SjisToJisLanes(__m128i v, __m128i next, __m128i leads) {
  // Lead: d = 2 * lead; d + 0x1F while d is below 0x40, else d + 0x9F; one more before a trail
  // of 0x9F or above.
  const __m128i d = _mm_add_epi8(v, v);
  const __m128i high =
      _mm_andnot_si128(_mm_cmpeq_epi8(_mm_min_epu8(d, Splat(0x3F)), d), Splat(0x80));
  const __m128i lead =
      _mm_add_epi8(_mm_add_epi8(d, Splat(0x1F)),
                   _mm_or_si128(high, _mm_and_si128(AtLeast(next, 0x9F), Splat(1))));
  // Trail: - 0x1F below 0x80, - 0x20 up to 0x9E, - 0x7E from 0x9F.
  const __m128i upper = _mm_cmplt_epi8(v, _mm_setzero_si128());
  const __m128i trail = _mm_sub_epi8(
      _mm_sub_epi8(v, Splat(0x1F)),
      _mm_or_si128(_mm_and_si128(upper, Splat(1)), _mm_and_si128(AtLeast(v, 0x9F), Splat(0x5E))));
  return _mm_or_si128(_mm_and_si128(leads, lead), _mm_andnot_si128(leads, trail));
}

inline __m128i EvenLanes() { return _mm_set1_epi16(0x00FF); }
inline __m128i JisToEucLanes(__m128i v) { return _mm_or_si128(v, Splat(0x80)); }
inline __m128i JisToSjisPairs(__m128i v) { return JisToSjisLanes(v, EvenLanes()); }

// The pair lanes from `converted`, the single bytes from `v`.
inline __m128i Merge(__m128i v, __m128i converted, unsigned starts) {
  const __m128i leads = Lanes(starts);
  const __m128i pairs = _mm_or_si128(leads, _mm_slli_si128(leads, 1));
  return _mm_or_si128(_mm_and_si128(pairs, converted), _mm_andnot_si128(pairs, v));
}

// Where a Shift_JIS pair could start (a lead before a trail), and where the walk takes one.
inline unsigned SjisPairBits(__m128i v, __m128i next) {
  const __m128i lead = _mm_or_si128(Between(v, 0x81, 0x9F), Between(v, 0xE0, 0xEF));
  const __m128i trail =
      _mm_andnot_si128(_mm_cmpeq_epi8(next, Splat(0x7F)), Between(next, 0x40, 0xFC));
  return Bits(_mm_and_si128(lead, trail));
}
inline unsigned SjisStarts(__m128i v, __m128i next) { return PairStarts(SjisPairBits(v, next)); }

// Likewise for EUC-JP pairs: two bytes of 0xA1..0xFE.
inline unsigned EucPairBits(__m128i v, __m128i next) {
  return Bits(_mm_and_si128(Between(v, 0xA1, 0xFE), Between(next, 0xA1, 0xFE)));
}
inline unsigned EucStarts(__m128i v, __m128i next) { return PairStarts(EucPairBits(v, next)); }

inline __m128i Load(const unsigned char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// EUC-JP to Shift_JIS. p[0..16] are readable and 16 one-byte steps fit. Returns the bytes taken.
MOJIWA_BLOCK_INLINE unsigned EucToSjisBlock(const unsigned char* p, bool crlf, RoomWriter& out) {
  const __m128i v = Load(p);
  const unsigned starts = EucStarts(v, Load(p + 1));
  const unsigned take = Take(starts, crlf ? Bits(_mm_cmpeq_epi8(v, Splat(0x0A))) : 0);
  if (take == 0) return 0;
  const __m128i jis = _mm_and_si128(v, Splat(0x7F));
  // Every byte of the source writes at least one: the output reaches past these 16 lanes.
  Store(Merge(v, JisToSjisLanes(jis, Lanes(starts)), starts), take, true, out);
  return take;
}

// Shift_JIS to EUC-JP, likewise; CR and half-width katakana take steps of their own.
MOJIWA_BLOCK_INLINE unsigned SjisToEucBlock(const unsigned char* p, RoomWriter& out) {
  const __m128i v = Load(p);
  const __m128i next = Load(p + 1);
  const unsigned starts = SjisStarts(v, next);
  const unsigned alone =
      Bits(_mm_or_si128(_mm_cmpeq_epi8(v, Splat(0x0D)), Between(v, 0xA1, 0xDF))) & ~(starts << 1);
  const unsigned take = Take(starts, alone);
  if (take == 0) return 0;
  const __m128i euc = JisToEucLanes(SjisToJisLanes(v, next, Lanes(starts)));
  // A CR writes nothing, so the output may end within these lanes when one comes.
  Store(Merge(v, euc, starts), take, alone == 0 || out.Scratch() >= kBlock, out);
  return take;
}

// The kanji set of a JIS source, from a pair start: whole JIS pairs (bytes 0x21..0x7E) before the
// first other byte. p[0..15] are readable and 8 two-byte steps fit.
template <__m128i (*kConvert)(__m128i)>
MOJIWA_BLOCK_INLINE unsigned JisPairBlock(const unsigned char* p, RoomWriter& out) {
  const __m128i v = Load(p);
  // Every byte outside 0x21..0x7E stops the block: the shift and line-end bytes lie below it, and
  // the scalar step decides what a byte that is no JIS pair becomes.
  const unsigned stops = ~Bits(Between(v, 0x21, 0x7E)) & 0xFFFFu;
  // A stop byte as a pair's second byte still belongs to the pair: that pair is left out too.
  const unsigned take = (stops == 0 ? kBlock : static_cast<unsigned>(__builtin_ctz(stops))) & ~1u;
  if (take == 0) return 0;
  Store(kConvert(v), take, take == kBlock || out.Scratch() >= kBlock, out);
  return take;
}

// A run of EUC pairs in the kanji set of a JIS destination, from a pair start. p[0..15] are
// readable and 8 two-byte steps fit.
MOJIWA_BLOCK_INLINE unsigned EucPairBlock(const unsigned char* p, RoomWriter& out) {
  const __m128i v = Load(p);
  const unsigned outside = ~Bits(Between(v, 0xA1, 0xFE)) & 0xFFFFu;
  const unsigned take =
      (outside == 0 ? kBlock : static_cast<unsigned>(__builtin_ctz(outside))) & ~1u;
  if (take == 0) return 0;
  Store(_mm_and_si128(v, Splat(0x7F)), take, take == kBlock || out.Scratch() >= kBlock, out);
  return take;
}

// A run of Shift_JIS pairs in the kanji set of a JIS destination, from a pair start: the pairs
// before the first single byte. p[0..16] are readable and 8 two-byte steps fit.
MOJIWA_BLOCK_INLINE unsigned SjisPairBlock(const unsigned char* p, RoomWriter& out) {
  const __m128i v = Load(p);
  const __m128i next = Load(p + 1);
  const unsigned starts = SjisStarts(v, next);
  // Up to the first single byte the lanes go start, trail, start...: the count is even.
  const unsigned singles = ~(starts | starts << 1) & 0xFFFFu;
  const unsigned take = singles == 0 ? kBlock : static_cast<unsigned>(__builtin_ctz(singles));
  if (take == 0) return 0;
  Store(SjisToJisLanes(v, next, EvenLanes()), take, take == kBlock || out.Scratch() >= kBlock, out);
  return take;
}

}  // namespace detail
}  // namespace mojiwa

#undef MOJIWA_BLOCK_INLINE
#endif  // __SSE2__
#endif  // MOJIWA_CODES_PAIRBLOCK_H
