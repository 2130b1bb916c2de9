// The 64-byte blocks of the converters (AVX-512). Every lane decision is a bit of a 64-bit mask:
// where pairs start comes from the pair mask as for the 16-byte blocks, the shift state of a JIS
// source from the escape sequences by a prefix XOR, and the bytes that escape sequences take or
// give are squeezed out or made room for with compress and expand.
#include "codes/WideBlock.h"

#if defined(MOJIWA_WIDE_BLOCKS)

#include <immintrin.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "codes/ByteClass.h"
#include "codes/ConvertBytes.h"
#include "codes/PairBlock.h"

#define MOJIWA_WIDE \
  __attribute__((target("avx512f,avx512bw,avx512vbmi,avx512vbmi2,bmi,bmi2,pclmul,popcnt")))

namespace mojiwa {
namespace detail {

bool WideBlocks() {
  static const bool usable = [] {
    const char* off = std::getenv("MOJIWA_NO_AVX512");
    if (off != nullptr && *off != '\0' && std::strcmp(off, "0") != 0) return false;
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512vbmi2") &&
           __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("pclmul");
  }();
  return usable;
}

namespace {

using Mask = std::uint64_t;
constexpr unsigned kLanes = 64;

// Every byte constant lives in a register of its own (there are 32): the empty asm hides the
// value, or the compiler would build it again with a broadcast at each use inside the loops.
MOJIWA_WIDE inline __m512i Fill(unsigned char b) {
  __m512i bytes = _mm512_set1_epi8(static_cast<char>(b));
  asm("" : "+v"(bytes));
  return bytes;
}
// A mask kept apart from what is done with it next: the compiler would otherwise fold the pair
// carried from the block before into the compares that make the mask, so that every block's
// compares wait for the block before.
inline Mask Settled(Mask m) {
  asm("" : "+r"(m));
  return m;
}
MOJIWA_WIDE inline __m512i Load(const unsigned char* p) { return _mm512_loadu_si512(p); }
MOJIWA_WIDE inline Mask Is(__m512i x, unsigned char b) {
  return _mm512_cmpeq_epi8_mask(x, Fill(b));
}
// Lanes whose byte is lo..hi: x - lo wraps to at most hi - lo.
MOJIWA_WIDE inline Mask Within(__m512i x, unsigned char lo, unsigned char hi) {
  return _mm512_cmple_epu8_mask(_mm512_sub_epi8(x, Fill(lo)),
                                Fill(static_cast<unsigned char>(hi - lo)));
}
MOJIWA_WIDE inline Mask AtLeast(__m512i x, unsigned char lo) {
  return _mm512_cmpge_epu8_mask(x, Fill(lo));
}
// The first lane of a mask, 64 for none.
MOJIWA_WIDE inline unsigned First(Mask m) { return static_cast<unsigned>(_tzcnt_u64(m)); }
// Lanes below n (n up to 64).
MOJIWA_WIDE inline Mask Below(unsigned n) { return _bzhi_u64(~Mask{0}, n); }
MOJIWA_WIDE inline unsigned Count(Mask m) { return static_cast<unsigned>(_mm_popcnt_u64(m)); }

// Bit i of the result is the XOR of bits 0..i: the carry-less product with all ones.
MOJIWA_WIDE inline Mask PrefixXor(Mask m) {
  const __m128i product =
      _mm_clmulepi64_si128(_mm_cvtsi64_si128(static_cast<long long>(m)), _mm_set1_epi8(-1), 0);
  return static_cast<Mask>(_mm_cvtsi128_si64(product));
}

// Writes the first n lanes. With `whole`, all 64 may be stored: the room holds them, or the
// output is known to reach past them, and the next steps write over the rest.
MOJIWA_WIDE inline void Put(__m512i bytes, unsigned n, bool whole, RoomWriter& out) {
  unsigned char* const at = out.Pos();
  if (whole) {
    _mm512_storeu_si512(at, bytes);
  } else if (n >= 32) {
    // Two 32-byte stores that overlap, the second from the lanes moved down to end at n: a masked
    // store of 64 bytes is much slower on some processors.
    const __m512i lanes = _mm512_set_epi8(
        63, 62, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44, 43, 42, 41,
        40, 39, 38, 37, 36, 35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18,
        17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0);
    const __m512i tail = _mm512_maskz_permutexvar_epi8(
        ~Mask{0}, _mm512_add_epi8(lanes, Fill(static_cast<unsigned char>(n - 32))), bytes);
    std::memcpy(at, &bytes, 32);
    std::memcpy(at + n - 32, &tail, 32);
  } else {
    _mm512_mask_storeu_epi8(at, Below(n), bytes);
  }
  out.Skip(n);
}

// What one block did: the source bytes it took, and whether the next block may follow at once
// (it stopped only because a pair or an escape sequence went past its last lane).
struct Taken {
  unsigned bytes;
  bool more;
};

// How many lanes to take before the first stop; a stop among `hard` is a step the caller takes.
MOJIWA_WIDE inline Taken Until(Mask hard, Mask soft) {
  const unsigned take = First(hard | soft);
  return {take, take == kLanes || (hard >> take & 1) == 0};
}

// The Shift_JIS bytes of JIS pairs, looked up 128 at a time (vpermi2b takes 7 bits of index): the
// lead by the first byte, the trail by the second and the first byte's parity, from the pair
// arithmetic of JisToSjis.
struct alignas(64) JisToSjisBytes {
  unsigned char lead[128];
  unsigned char trail[2][128];  // [first byte odd][second byte]
  constexpr JisToSjisBytes() : lead(), trail() {
    for (unsigned b = 0; b < 128; ++b) {
      lead[b] = JisToSjis({Byte(b), 0x21}).first;
      trail[0][b] = JisToSjis({0x22, Byte(b)}).second;
      trail[1][b] = JisToSjis({0x21, Byte(b)}).second;
    }
  }
};
constexpr JisToSjisBytes kJisToSjisBytes{};

MOJIWA_WIDE inline __m512i Look128(const unsigned char (&table)[128], __m512i index) {
  return _mm512_permutex2var_epi8(_mm512_load_si512(table), index,
                                  _mm512_load_si512(table + kLanes));
}

// JIS pairs (bytes below 0x80) to Shift_JIS on 64 lanes: leads on `leads`, each trail on the lane
// after its lead; `after_odd` may add a trail whose odd lead was in the block before.
MOJIWA_WIDE inline __m512i JisToSjisLanes(__m512i jis, Mask leads, Mask after_odd = 0) {
  after_odd |= (leads & _mm512_test_epi8_mask(jis, Fill(1))) << 1;
  const __m512i trail = _mm512_mask_blend_epi8(after_odd, Look128(kJisToSjisBytes.trail[0], jis),
                                               Look128(kJisToSjisBytes.trail[1], jis));
  return _mm512_mask_blend_epi8(leads, trail, Look128(kJisToSjisBytes.lead, jis));
}

// `next` holds the byte after each lane. JIS leads from d = 0x40 on need 0x80 more, which is bit
// 7 alone: EUC-JP, which sets bit 7 of every byte anyway, leaves it out (`jis` false).
MOJIWA_WIDE inline __m512i SjisToJisLanes(__m512i v, __m512i next, Mask leads, bool jis) {
  // Lead: d = 2 * lead, + 0x1F (+ 0x80 from 0x40 for JIS), + 1 before a trail of 0x9F or above.
  const __m512i d = _mm512_add_epi8(v, v);
  __m512i lead = _mm512_add_epi8(d, Fill(0x1F));
  if (jis) lead = _mm512_mask_add_epi8(lead, AtLeast(d, 0x40), lead, Fill(0x80));
  lead = _mm512_mask_add_epi8(lead, AtLeast(next, 0x9F), lead, Fill(1));
  // Trail: - 0x1F below 0x80, - 0x20 up to 0x9E, - 0x7E from 0x9F.
  __m512i trail = _mm512_sub_epi8(v, Fill(0x1F));
  trail = _mm512_mask_sub_epi8(trail, AtLeast(v, 0x80), trail, Fill(1));
  trail = _mm512_mask_sub_epi8(trail, AtLeast(v, 0x9F), trail, Fill(0x5E));
  return _mm512_mask_blend_epi8(leads, trail, lead);
}

MOJIWA_WIDE inline Mask SjisPairs(__m512i v, __m512i next) {
  const Mask lead = Within(v, 0x81, 0x9F) | Within(v, 0xE0, 0xEF);
  return lead & Within(next, 0x40, 0xFC) & ~Is(next, 0x7F);
}
MOJIWA_WIDE inline Mask EucPairs(__m512i v, __m512i next) {
  return Within(v, 0xA1, 0xFE) & Within(next, 0xA1, 0xFE);
}

// ---- Between the 8-bit codes: a block writes a byte for each byte it takes.

struct S2E {
  MOJIWA_WIDE Mask Pairs(__m512i v, __m512i next) const { return SjisPairs(v, next); }
  // CR (dropped) and half-width katakana (made full width) take steps of their own.
  MOJIWA_WIDE Mask Hard(__m512i v, Mask pairs) const {
    return (Is(v, kCr) | Within(v, 0xA1, 0xDF)) & ~pairs;
  }
  // A CR writes nothing, so the output may end within the lanes when one comes.
  static bool OutputReaches(Mask hard) { return hard == 0; }
  MOJIWA_WIDE __m512i Convert(__m512i v, __m512i next, Mask starts, Mask pairs, Mask) const {
    const __m512i euc = _mm512_or_si512(SjisToJisLanes(v, next, starts, false), Fill(0x80));
    return _mm512_mask_mov_epi8(v, pairs, euc);
  }
};

struct E2S {
  bool crlf;
  MOJIWA_WIDE Mask Pairs(__m512i v, __m512i next) const { return EucPairs(v, next); }
  MOJIWA_WIDE Mask Hard(__m512i v, Mask) const { return crlf ? Is(v, kLf) : 0; }
  // Every byte of the source writes at least one.
  static bool OutputReaches(Mask) { return true; }
  MOJIWA_WIDE __m512i Convert(__m512i v, __m512i, Mask starts, Mask pairs, Mask after_odd) const {
    const __m512i sjis = JisToSjisLanes(_mm512_and_si512(v, Fill(0x7F)), starts, after_odd);
    return _mm512_mask_mov_epi8(v, pairs, sjis);
  }
};

// 64 lanes a block, so that where a block starts never waits for the one before it: a pair
// through the last lane is carried into the next block, and goes back to the caller whole if
// none follows. A block with a step of its own for the caller takes the lanes before it and ends
// the run.
template <class Block>
MOJIWA_WIDE std::size_t EightBitBlocks(const unsigned char* p, std::size_t known, Block& block,
                                       RoomWriter& out) {
  std::size_t done = 0;
  Mask carried = 0, odd_carried = 0;
  while (done + kWideReads8Bit <= known && out.OneByteSteps() >= kLanes) {
    const __m512i v = Load(p + done), next = Load(p + done + 1);
    const Mask starts = PairStartsIn<Mask>(Settled(block.Pairs(v, next)) & ~carried);
    const Mask pairs = starts | starts << 1 | carried;
    const Mask hard = block.Hard(v, pairs);
    const __m512i converted = block.Convert(v, next, starts, pairs, odd_carried);
    if (hard != 0) {
      // Where the output may end within the lanes, only the room may take all of them.
      const unsigned take = First(hard);
      Put(converted, take, Block::OutputReaches(hard) || out.Scratch() >= kLanes, out);
      done += take;
      carried = 0;
      break;
    }
    // A whole block moves on by 64 whatever its lanes hold, so the next block's loads do not
    // wait for this block's masks.
    Put(converted, kLanes, true, out);
    done += kLanes;
    carried = starts >> 63;
    odd_carried = carried & p[done - 1];
  }
  if (carried != 0) {
    --done;
    out.Back(1);
  }
  return done;
}

// ---- From JIS: escape sequences and (to EUC-JP) CR write nothing.

// The lanes of a JIS source block in the Roman and kanji sets.
struct JisLanes {
  Mask in_kanji = 0;  // the kanji set is in force after the lane
  Mask kanji = 0;     // a byte read in the kanji set, in a pair (neither shift nor line end)
  Mask starts = 0;    // the first byte of each such pair
  Mask sequence = 0;  // the three bytes of each ESC $ B and ESC ( B
  Mask hard = 0;      // a step the block does not take
  Mask blocked = 0;   // not 0 exactly where `hard` is not, and cheaper to make
  Mask soft = 0;      // a pair or escape sequence through the last lane
  Mask carried_sequence = 0;  // the lanes of the next block that end a sequence begun here
  bool kanji_after = false;   // the set after the lanes taken (set by Take)

  // `pair_carried`: the first lane is the trail of a pair from the block before, and
  // `sequence_carried` the lanes that end an escape sequence begun there.
  MOJIWA_WIDE JisLanes(const unsigned char* p, __m512i v, bool kanji_before, Mask pair_carried = 0,
                       Mask sequence_carried = 0) {
    const __m512i n1 = Load(p + 1), n2 = Load(p + 2);
    const Mask esc = Is(v, kEsc);
    const Mask to_kanji = esc & Is(n1, '$') & Is(n2, 'B');
    const Mask to_roman = esc & Is(n1, '(') & Is(n2, 'B');
    const Mask shifts = to_kanji | to_roman;
    // With the sets alternating, the set after each lane is the parity of the shifts so far.
    in_kanji = PrefixXor(shifts) ^ (kanji_before ? ~Mask{0} : 0);
    const Mask kanji_before_lane = in_kanji ^ shifts;
    // A shift into the set already in force breaks the alternation: the caller reads it.
    const Mask repeated = (to_kanji & kanji_before_lane) | (to_roman & ~kanji_before_lane);
    sequence = shifts | shifts << 1 | shifts << 2 | sequence_carried;
    const Mask others = (esc & ~shifts) | Is(v, kSo) | Is(v, kSi);
    const Mask line_ends = Is(v, kCr) | Is(v, kLf);
    kanji = in_kanji & ~sequence & ~others & ~line_ends;
    // In the kanji set the steps take two bytes from where the run starts; a run of odd length
    // has a pair whose second byte is a shift or a line end, which the caller takes.
    starts = PairStartsIn<Mask>(kanji & ~pair_carried);
    const Mask unpaired = starts & ~(kanji >> 1);
    const Mask outside = kanji & ~Within(v, 0x21, 0x7E);
    // A carried trail that is no JIS byte, or no byte of a pair at all, sends the pair back.
    hard = repeated | others | (unpaired & ~(Mask{1} << 63)) | (outside & starts) |
           (outside & starts << 1) >> 1 | (pair_carried & (outside | ~kanji));
    // Whether the block stops at all: each kanji lane is a byte of a pair, so any of them outside
    // the JIS bytes stops it.
    blocked = repeated | others | (unpaired & ~(Mask{1} << 63)) | outside | (pair_carried & ~kanji);
    soft = (shifts >> 62) << 62 | (starts & Mask{1} << 63);
    carried_sequence = (shifts >> 63) * 3 | (shifts >> 62 & 1);
  }

  MOJIWA_WIDE Taken Take() {
    const Taken taken = Until(hard, soft);
    if (taken.bytes != 0) kanji_after = (in_kanji >> (taken.bytes - 1) & 1) != 0;
    return taken;
  }
};

inline bool BlocksRunIn(CKanji::ESHIFT shift) {
  return shift == CKanji::ESHIFT_ASCII || shift == CKanji::ESHIFT_KANJI;
}

// The readers: what else they leave to the caller, what they convert and what they write.
struct J2E {
  bool kanji;
  // A high byte in the Roman set may be a half-width katakana, made full width.
  MOJIWA_WIDE Mask Hard(__m512i v, const JisLanes& lanes) const {
    return ~lanes.in_kanji & ~lanes.sequence & _mm512_movepi8_mask(v);
  }
  MOJIWA_WIDE __m512i Convert(__m512i v, const JisLanes& lanes, Mask) const {
    return _mm512_mask_mov_epi8(v, lanes.kanji, _mm512_or_si512(v, Fill(0x80)));
  }
  MOJIWA_WIDE Mask Kept(__m512i v, const JisLanes& lanes) const {
    return ~lanes.sequence & ~Is(v, kCr);
  }
};

struct J2S {
  bool kanji;
  MOJIWA_WIDE Mask Hard(__m512i, const JisLanes&) const { return 0; }
  MOJIWA_WIDE __m512i Convert(__m512i v, const JisLanes& lanes, Mask after_odd) const {
    return _mm512_mask_mov_epi8(v, lanes.kanji, JisToSjisLanes(v, lanes.starts, after_odd));
  }
  MOJIWA_WIDE Mask Kept(__m512i, const JisLanes& lanes) const { return ~lanes.sequence; }
};

// Fast blocks of a JIS reader: 64 lanes each, so that where a block starts never waits for the
// one before it. A pair or an escape sequence through the last lane is carried into the next
// block. On leaving, a carried pair goes back to the caller whole, and a carried sequence is read
// to its end (its bytes were seen when it began).
template <class Reader>
MOJIWA_WIDE std::size_t FastJisReads(const unsigned char* p, std::size_t known, Reader& reader,
                                     RoomWriter& out) {
  std::size_t done = 0;
  Mask pair_carried = 0, odd_carried = 0, sequence_carried = 0;
  bool kanji = reader.kanji;  // kept in a register while the blocks run
  while (done + kWideReadsJis <= known && out.OneByteSteps() >= kLanes) {
    const unsigned char* const at = p + done;
    const __m512i v = Load(at);
    const JisLanes lanes(at, v, kanji, pair_carried, sequence_carried);
    if ((lanes.blocked | reader.Hard(v, lanes)) != 0) break;
    const Mask keep = reader.Kept(v, lanes);
    Put(_mm512_maskz_compress_epi8(keep, reader.Convert(v, lanes, odd_carried)), Count(keep),
        out.Scratch() >= kLanes, out);
    done += kLanes;
    kanji = (lanes.in_kanji >> 63) != 0;
    pair_carried = lanes.starts >> 63;
    odd_carried = pair_carried & at[63];
    sequence_carried = lanes.carried_sequence;
  }
  reader.kanji = kanji;
  if (pair_carried != 0) {
    --done;
    out.Back(1);
  }
  return done + static_cast<std::size_t>(Count(sequence_carried));
}

// A block that takes the steps up to the first one it leaves to the caller.
template <class Reader>
MOJIWA_WIDE Taken LimitedRead(const unsigned char* p, Reader& reader, RoomWriter& out) {
  const __m512i v = Load(p);
  JisLanes lanes(p, v, reader.kanji);
  lanes.hard |= reader.Hard(v, lanes);
  const Taken taken = lanes.Take();
  if (taken.bytes != 0) {
    const Mask keep = reader.Kept(v, lanes) & Below(taken.bytes);
    Put(_mm512_maskz_compress_epi8(keep, reader.Convert(v, lanes, 0)), Count(keep),
        out.Scratch() >= kLanes, out);
    reader.kanji = lanes.kanji_after;
  }
  return taken;
}

// ---- To JIS: an escape sequence goes before each character whose set differs from the last.

// The escape sequences of a block in the order they come: the sets alternate, so they are one
// of two patterns, by the set in force before the block.
struct alignas(64) SequencePatterns {
  unsigned char bytes[2][kLanes];  // [the kanji set in force before][byte]
  constexpr SequencePatterns() : bytes() {
    for (unsigned before = 0; before < 2; ++before) {
      for (unsigned i = 0; i < kLanes; ++i) {
        const bool to_kanji = (i / 3 % 2 == 0) == (before == 0);
        bytes[before][i] = i % 3 == 0 ? kEsc : i % 3 == 2 ? 'B' : to_kanji ? '$' : '(';
      }
    }
  }
};
constexpr SequencePatterns kSequences{};
static_assert(kSequences.bytes[0][1] == '$' && kSequences.bytes[0][4] == '(' &&
                  kSequences.bytes[1][1] == '(' && kSequences.bytes[1][63] == kEsc,
              "ESC $ B ESC ( B ... from the Roman set, ESC ( B ESC $ B ... from the kanji set");

// Takes lanes up to the first stop with at most three escape sequences, as many as leave the
// output within 64 bytes, expands the converted bytes around the sequences and writes them.
// `kanji` marks the lanes of pairs (`starts` their first bytes); the set before the block is
// `kanji_before`, after it the return value's.
struct JisWriter {
  MOJIWA_WIDE static Taken Write(__m512i converted, Mask kanji, Mask starts, Mask hard,
                                 bool& kanji_before, RoomWriter& out) {
    const Mask changes = kanji ^ (kanji << 1 | (kanji_before ? 1 : 0));
    const unsigned c1 = First(changes);
    const Mask rest1 = _blsr_u64(changes);
    const unsigned c2 = First(rest1);
    const Mask rest2 = _blsr_u64(rest1);
    const unsigned c3 = First(rest2);
    const unsigned c4 = First(_blsr_u64(rest2));
    const Mask crossing = starts & Mask{1} << 63;
    unsigned take = First(hard | crossing);
    if (c4 < take) take = c4;
    // Each sequence takes three bytes of the 64: fewer lanes when they would not fit.
    const unsigned most = kLanes - 3 * Count(changes & Below(take));
    if (most < take) take = most;
    if (take < kLanes) take -= static_cast<unsigned>(starts << 1 >> take & 1);  // no half pair
    const bool more = take == kLanes || (hard >> take & 1) == 0;
    if (take == 0) return {0, more};
    const Mask taken_changes = changes & Below(take);
    const unsigned sequences = Count(taken_changes);
    // The first byte of each sequence: before the k-th change, moved on by the sequences before.
    Mask esc = (c1 < take ? Mask{1} << c1 : 0) | (c2 < take ? Mask{1} << (c2 + 3) : 0) |
               (c3 < take ? Mask{1} << (c3 + 6) : 0);
    const unsigned written = take + 3 * sequences;
    const Mask source_lanes = ~(esc | esc << 1 | esc << 2) & Below(written);
    const __m512i fill = _mm512_maskz_expand_epi8(
        ~source_lanes, _mm512_load_si512(kSequences.bytes[kanji_before ? 1 : 0]));
    // Every byte of the source writes at least one: the output reaches past these lanes.
    Put(_mm512_mask_expand_epi8(fill, source_lanes, converted), written, true, out);
    kanji_before = (kanji >> (take - 1) & 1) != 0;
    return {take, more};
  }
};

// A fast block of a JIS writer writes each half of its 64 lanes as up to 64 bytes: the 32 lanes
// and at most 10 escape sequences.
constexpr unsigned kHalf = 32;
constexpr unsigned kHalfSequences = (kLanes - kHalf) / 3;

// Where the bytes of half a block go in its output: the converted lanes, in order, and between
// them the escape sequences.
struct HalfLayout {
  Mask source;
  unsigned written;
};

// The layout of 32 lanes with the given changes of set (bit 0 the first lane; at most
// kHalfSequences). Each lane becomes four bits, three for a sequence, present only at a change,
// and one for the lane itself; pext drops the absent ones, 16 lanes at a time.
MOJIWA_WIDE inline HalfLayout Layout(Mask changes) {
  constexpr Mask kLaneBit = 0x8888888888888888ULL, kFirstBit = 0x1111111111111111ULL;
  const Mask low = _pdep_u64(changes, kFirstBit), high = _pdep_u64(changes >> 16, kFirstBit);
  const unsigned low_written = 16 + 3 * Count(low);
  return {_pext_u64(kLaneBit, low * 7 | kLaneBit) | _pext_u64(kLaneBit, high * 7 | kLaneBit)
                                                        << low_written,
          low_written + 16 + 3 * Count(high)};
}

// The converters to JIS: the pair mask, the steps left to the caller, the converted lanes.
struct E2J {
  bool crlf;
  bool kanji;
  MOJIWA_WIDE Mask Pairs(__m512i v, __m512i next) const { return EucPairs(v, next); }
  // A LF written as CR LF writes two bytes for one: left to the caller.
  MOJIWA_WIDE Mask Hard(__m512i v, Mask) const { return crlf ? Is(v, kLf) : 0; }
  MOJIWA_WIDE __m512i Convert(__m512i v, __m512i, Mask, Mask pairs) const {
    return _mm512_mask_mov_epi8(v, pairs, _mm512_and_si512(v, Fill(0x7F)));
  }
};

struct S2J {
  bool kanji;
  MOJIWA_WIDE Mask Pairs(__m512i v, __m512i next) const { return SjisPairs(v, next); }
  // A high byte outside a pair is a half-width katakana or changes with the switches.
  MOJIWA_WIDE Mask Hard(__m512i v, Mask pairs) const { return _mm512_movepi8_mask(v) & ~pairs; }
  MOJIWA_WIDE __m512i Convert(__m512i v, __m512i next, Mask starts, Mask pairs) const {
    return _mm512_mask_mov_epi8(v, pairs, SjisToJisLanes(v, next, starts, true));
  }
};

// Fast blocks: 64 lanes each, whatever the changes of set (up to kHalfSequences in each half),
// so that where a block starts never waits for the one before it. A pair through the last lane is
// carried into the next block, whose first lane is then its trail. Each block may read 130 source
// bytes ahead of it, so the output reaches past the 128 bytes it may store.
template <class Writer>
MOJIWA_WIDE std::size_t FastJisBlocks(const unsigned char* p, std::size_t known, Writer& writer,
                                      RoomWriter& out) {
  std::size_t done = 0;
  Mask carry = 0;
  bool kanji = writer.kanji;  // kept in a register while the blocks run
  while (done + 2 * kWideReadsJis - 2 <= known && out.OneByteSteps() >= 2 * kLanes) {
    const __m512i v = Load(p + done), next = Load(p + done + 1);
    const Mask starts = PairStartsIn<Mask>(writer.Pairs(v, next) & ~carry);
    const Mask pairs = starts | starts << 1 | carry;
    const Mask changes = pairs ^ (pairs << 1 | (kanji ? 1 : 0));
    if (writer.Hard(v, pairs) != 0 || Count(changes & Below(kHalf)) > kHalfSequences ||
        Count(changes >> kHalf) > kHalfSequences) {
      break;
    }
    const __m512i converted = writer.Convert(v, next, starts, pairs);
    for (unsigned half = 0; half < 2; ++half) {
      const bool kanji_before = half == 0 ? kanji : (pairs >> (kHalf - 1) & 1) != 0;
      const HalfLayout layout = Layout(changes >> (kHalf * half));
      const __m512i fill = _mm512_maskz_expand_epi8(
          ~layout.source, _mm512_load_si512(kSequences.bytes[kanji_before ? 1 : 0]));
      const __m512i lanes =
          half == 0 ? converted : _mm512_maskz_shuffle_i64x2(0xFF, converted, converted, 0xEE);
      _mm512_storeu_si512(out.Pos(), _mm512_mask_expand_epi8(fill, layout.source, lanes));
      out.Skip(layout.written);
    }
    done += kLanes;
    kanji = (pairs >> 63) != 0;
    carry = starts >> 63;
  }
  writer.kanji = kanji;
  if (carry != 0) {
    // The lead on the last lane goes back to the caller with its trail.
    --done;
    out.Back(1);
  }
  return done;
}

// A block that takes what fits in 64 bytes, up to the first step left to the caller.
template <class Writer>
MOJIWA_WIDE Taken LimitedWrite(const unsigned char* p, Writer& writer, RoomWriter& out) {
  const __m512i v = Load(p), next = Load(p + 1);
  const Mask starts = PairStartsIn<Mask>(writer.Pairs(v, next));
  const Mask pairs = starts | starts << 1;
  return JisWriter::Write(writer.Convert(v, next, starts, pairs), pairs, starts,
                          writer.Hard(v, pairs), writer.kanji, out);
}

template <class Block>
constexpr bool kWriter = std::is_same<Block, E2J>::value || std::is_same<Block, S2J>::value;

// Runs the blocks of a JIS reader or writer from the Roman or kanji set, carrying the set.
template <class Block>
MOJIWA_WIDE std::size_t WithShift(Block block, const unsigned char* p, std::size_t known,
                                  CKanji::ESHIFT& shift, RoomWriter& out) {
  if (!BlocksRunIn(shift)) return 0;
  block.kanji = shift == CKanji::ESHIFT_KANJI;
  // Fast blocks, and where one cannot go (a step left to the caller, too many changes of set,
  // the end of the window in sight) a limited block.
  std::size_t done = 0;
  for (;;) {
    if constexpr (kWriter<Block>) {
      done += FastJisBlocks(p + done, known - done, block, out);
    } else {
      done += FastJisReads(p + done, known - done, block, out);
    }
    if (done + kWideReadsJis > known || out.OneByteSteps() < kLanes) break;
    Taken taken;
    if constexpr (kWriter<Block>) {
      taken = LimitedWrite(p + done, block, out);
    } else {
      taken = LimitedRead(p + done, block, out);
    }
    done += taken.bytes;
    if (taken.bytes == 0 || !taken.more) break;
  }
  if (done != 0) shift = block.kanji ? CKanji::ESHIFT_KANJI : CKanji::ESHIFT_ASCII;
  return done;
}

}  // namespace

std::size_t SjisToEucWide(const unsigned char* p, std::size_t known, RoomWriter& out) {
  S2E block;
  return EightBitBlocks(p, known, block, out);
}

std::size_t EucToSjisWide(const unsigned char* p, std::size_t known, bool crlf, RoomWriter& out) {
  E2S block{crlf};
  return EightBitBlocks(p, known, block, out);
}

std::size_t JisToEucWide(const unsigned char* p, std::size_t known, CKanji::ESHIFT& shift,
                         RoomWriter& out) {
  return WithShift(J2E{false}, p, known, shift, out);
}

std::size_t JisToSjisWide(const unsigned char* p, std::size_t known, CKanji::ESHIFT& shift,
                          RoomWriter& out) {
  return WithShift(J2S{false}, p, known, shift, out);
}

std::size_t EucToJisWide(const unsigned char* p, std::size_t known, bool crlf,
                         CKanji::ESHIFT& shift, RoomWriter& out) {
  return WithShift(E2J{crlf, false}, p, known, shift, out);
}

std::size_t SjisToJisWide(const unsigned char* p, std::size_t known, CKanji::ESHIFT& shift,
                          RoomWriter& out) {
  return WithShift(S2J{false}, p, known, shift, out);
}

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_WIDE_BLOCKS
