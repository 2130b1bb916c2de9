// The evidence that CheckCode counts, found 64 bytes at a time.
//
// CheckCode walks a text stopping at one place after another: it steps over two bytes where the
// byte there and the next one form a pair, over one byte otherwise, and what it counts at a stop
// depends only on those two bytes. So every byte can be judged on its own (a mask bit per byte:
// "a pair would start here", "it would count as EUC") and the stops of a whole block follow from
// the pair mask with a few bit operations. Nothing here is heuristic: the result is the walk's.
#ifndef MOJIWA_CODES_PAIRSCAN_H
#define MOJIWA_CODES_PAIRSCAN_H

#include <cstdint>
#include <cstring>

#include "codes/ByteClass.h"

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define MOJIWA_PAIRSCAN_SSE2 1
#endif

namespace mojiwa {
namespace detail {

// Bit k of each mask tells about the byte at p + k together with the byte after it. A pair that
// counts as Shift_JIS has lead 0x81..0x9F, or 0xE0..0xEF before 0x40..0xA0; one that counts as
// EUC has lead 0xF0..0xFE, or 0xE0..0xEF before 0xFD..0xFE.
struct PairMasks {
  std::uint64_t pair = 0;   // a pair starts here if the walk stops here
  std::uint64_t sjis = 0;   // ... and counts as Shift_JIS
  std::uint64_t euc = 0;    // ... and counts as EUC
  std::uint64_t hkana = 0;  // a one-byte step that counts as EUC: 0xA1..0xDF before 0xA1..0xFE
  std::uint64_t esc = 0;    // an ESC byte

  bool operator==(const PairMasks& o) const {
    return pair == o.pair && sjis == o.sjis && euc == o.euc && hkana == o.hkana && esc == o.esc;
  }
};

// The portable masks judge each byte with two table look-ups: the kind of the byte and the kind
// of the next one select a judgement worked out once for every combination.
namespace pairscan {

enum Judgement : unsigned char { kPair = 1, kSjis = 2, kEuc = 4, kHkana = 8, kEscape = 16 };
enum LeadKind : unsigned char { kOther, kSjisLead, kSharedLead, kEucLead, kKanaLead, kEscLead };

constexpr LeadKind KindOfLead(unsigned char a) {
  if (InRange(a, 0x81, 0x9F)) return kSjisLead;
  if (InRange(a, 0xE0, 0xEF)) return kSharedLead;
  if (InRange(a, 0xF0, 0xFE)) return kEucLead;
  if (IsHKanaByte(a)) return kKanaLead;
  return a == kEsc ? kEscLead : kOther;
}

// The second byte's kind: bit 0 a Shift_JIS second byte, bit 1 an EUC byte.
constexpr unsigned char KindOfTrail(unsigned char b) {
  return static_cast<unsigned char>((IsSjisTrail(b) ? 1 : 0) | (IsEucByte(b) ? 2 : 0));
}

constexpr unsigned char Judge(unsigned lead, unsigned trail) {
  const bool sj = (trail & 1U) != 0, eu = (trail & 2U) != 0;
  switch (lead) {
    case kSjisLead: return sj ? kPair | kSjis : 0;
    case kSharedLead:  // valid in both codes from 0xA1 to 0xFC: no evidence there
      if (sj && eu) return kPair;
      if (sj) return kPair | kSjis;
      return eu ? kPair | kEuc : 0;
    case kEucLead: return eu ? kPair | kEuc : 0;
    case kKanaLead: return eu ? kHkana : 0;
    case kEscLead: return kEscape;
    default: return 0;
  }
}

struct Tables {
  unsigned char lead[256] = {};  // KindOfLead * 4
  unsigned char trail[256] = {};
  unsigned char judge[24] = {};  // by lead * 4 + trail
  constexpr Tables() {
    for (int b = 0; b < 256; ++b) {
      lead[b] = static_cast<unsigned char>(KindOfLead(static_cast<unsigned char>(b)) * 4);
      trail[b] = KindOfTrail(static_cast<unsigned char>(b));
    }
    for (unsigned i = 0; i < 24; ++i) judge[i] = Judge(i / 4, i % 4);
  }
};
inline constexpr Tables kTables{};

// Bit `plane` of each of the eight bytes of `bytes`, byte i to bit i: the multiplier moves the
// bit of byte i to bit 56 + i, and no other product reaches bits 56..63.
constexpr std::uint64_t Gather(std::uint64_t bytes, int plane) {
  return (((bytes >> plane) & 0x0101010101010101U) * 0x0102040810204080U) >> 56;
}
static_assert(Gather(0x0100000000000101U, 0) == 0x83, "bytes 0, 1 and 7");

}  // namespace pairscan

// Reads p[0] to p[64]: the 64 bytes and the one after the last.
inline PairMasks BlockMasksPortable(const unsigned char* p) {
  PairMasks m;
  // A block of 7-bit bytes without ESC, common in markup, judges nothing.
  std::uint64_t high = 0;
  for (int k = 0; k < 64; k += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + k, 8);
    const std::uint64_t esc_zero = word ^ 0x1B1B1B1B1B1B1B1BU;
    high |= word | ((esc_zero - 0x0101010101010101U) & ~esc_zero);  // bit 7 set by an ESC byte
  }
  if ((high & 0x8080808080808080U) == 0) return m;
  for (int k = 0; k < 64; k += 8) {
    std::uint64_t judged = 0;
    for (int i = 0; i < 8; ++i) {
      const unsigned j =
          pairscan::kTables
              .judge[pairscan::kTables.lead[p[k + i]] + pairscan::kTables.trail[p[k + i + 1]]];
      judged |= std::uint64_t{j} << (8 * i);
    }
    m.pair |= pairscan::Gather(judged, 0) << k;
    m.sjis |= pairscan::Gather(judged, 1) << k;
    m.euc |= pairscan::Gather(judged, 2) << k;
    m.hkana |= pairscan::Gather(judged, 3) << k;
    m.esc |= pairscan::Gather(judged, 4) << k;
  }
  return m;
}

#if defined(MOJIWA_PAIRSCAN_SSE2)
// x in lo..hi (unsigned) exactly when x - lo wraps to at most hi - lo. SSE2 compares only signed
// bytes, so both sides are moved down by 0x80: x - (lo + 0x80) < hi - lo + 1 - 0x80, signed.
inline __m128i InRange16(__m128i x, unsigned char lo, unsigned char hi) {
  const __m128i moved = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(lo + 0x80)));
  return _mm_cmplt_epi8(moved, _mm_set1_epi8(static_cast<char>(hi - lo + 1 - 0x80)));
}

inline std::uint64_t Bits16(__m128i v, int shift) {
  return std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(v))} << shift;
}

inline PairMasks BlockMasksSse2(const unsigned char* p) {
  PairMasks m;
  for (int k = 0; k < 64; k += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k + 1));
    const __m128i sj =
        _mm_andnot_si128(_mm_cmpeq_epi8(b, _mm_set1_epi8(0x7F)), InRange16(b, 0x40, 0xFC));
    const __m128i eu = InRange16(b, 0xA1, 0xFE);
    const __m128i shared = InRange16(a, 0xE0, 0xEF);
    const __m128i sjis_pair = _mm_and_si128(InRange16(a, 0x81, 0x9F), sj);
    const __m128i euc_pair = _mm_and_si128(InRange16(a, 0xF0, 0xFE), eu);
    const __m128i shared_pair = _mm_and_si128(shared, _mm_or_si128(sj, eu));
    const __m128i shared_sjis = _mm_and_si128(shared, _mm_andnot_si128(eu, sj));
    const __m128i shared_euc = _mm_and_si128(shared, _mm_andnot_si128(sj, eu));
    m.pair |= Bits16(_mm_or_si128(_mm_or_si128(sjis_pair, euc_pair), shared_pair), k);
    m.sjis |= Bits16(_mm_or_si128(sjis_pair, shared_sjis), k);
    m.euc |= Bits16(_mm_or_si128(euc_pair, shared_euc), k);
    m.hkana |= Bits16(_mm_and_si128(InRange16(a, 0xA1, 0xDF), eu), k);
    m.esc |= Bits16(_mm_cmpeq_epi8(a, _mm_set1_epi8(static_cast<char>(kEsc))), k);
  }
  return m;
}

inline PairMasks BlockMasks(const unsigned char* p) { return BlockMasksSse2(p); }
#else
inline PairMasks BlockMasks(const unsigned char* p) { return BlockMasksPortable(p); }
#endif

inline int Popcount(std::uint64_t x) {
#if defined(__GNUC__)
  return __builtin_popcountll(x);
#else
  x = x - ((x >> 1) & 0x5555555555555555U);
  x = (x & 0x3333333333333333U) + ((x >> 2) & 0x3333333333333333U);
  x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FU;
  return static_cast<int>((x * 0x0101010101010101U) >> 56);
#endif
}

// The walk's stops in one block, and what it counts there.
//
// Byte k + 1 is a stop unless k is a stop where a pair starts. A byte without the pair bit is
// thus always followed by a stop, so every run of pair bits begins at a stop (bit 0 excepted when
// the block opens with the second byte of a pair: `trail`), and inside a run the walk stops on the
// 1st, 3rd, 5th... bit. Those are the run's bits of the same parity as its first bit. Adding a
// run's first bit to the mask clears the whole run and carries into the zero above it, so
// `pair + (firsts on even bits)` clears exactly the runs that begin on an even bit. For example
//   pair 0110'0111: runs at bits 0..2 and 5..6, firsts 0 and 5, the even one bit 0;
//   pair + 1 = 0110'1000 clears the run at bit 0 only;
//   so pairs start at bits 0 and 2 (even run) and 5 (odd run); bits 1, 3 and 6 are second bytes.
struct Evidence {
  std::int64_t balance = 0;  // EUC evidence minus Shift_JIS evidence
  std::uint64_t trail = 0;   // 1 when the next block opens with the second byte of a pair

  void Add(const PairMasks& m) {
    constexpr std::uint64_t kEven = 0x5555555555555555U;
    const std::uint64_t pair = m.pair & ~trail;
    const std::uint64_t firsts = pair & ~(pair << 1);
    const std::uint64_t even_runs = pair & ~(pair + (firsts & kEven));
    const std::uint64_t starts = (even_runs & kEven) | (pair & ~even_runs & ~kEven);
    const std::uint64_t stops = ~((starts << 1) | trail);
    balance += Popcount(starts & m.euc) + Popcount(stops & m.hkana) - Popcount(starts & m.sjis);
    trail = starts >> 63;
  }
};

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_CODES_PAIRSCAN_H
