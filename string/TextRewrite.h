// The rewrite shared by the text operations: a text is copied into a work object, and each
// character whose first byte the walk marks goes through the operation's change on the way.
//
// Where the text goes on far enough and the work object has room, 64 bytes are taken at once
// (SSE2): the characters starting there are found from the mask of possible pair starts, as the
// converters find them, the marked ones from the marked bytes as ranges, and the bytes between
// changed characters are copied sixteen at a time. Elsewhere the walk goes character by
// character. Both call the change for the same characters in the same order, and a block never
// grows the work object, so growths, limit failures and results are those of the walk alone.
#ifndef MOJIWA_STRING_TEXTREWRITE_H
#define MOJIWA_STRING_TEXTREWRITE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codes/PairBlock.h"
#include "string/TextWalk.h"

namespace mojiwa {
namespace detail {

#if defined(MOJIWA_PAIR_BLOCKS)

// The bytes a walk marks, as up to eight ranges tested on sixteen lanes at once. With more
// ranges (or none) blocks are not used.
class MarkedLanes {
 public:
  explicit MarkedLanes(const CharWalk& walk) {
    for (int b = 1; b < 256;) {  // the NUL never lies inside a block
      if (!walk.Marked(static_cast<unsigned char>(b))) {
        ++b;
        continue;
      }
      int last = b;
      while (last < 255 && walk.Marked(static_cast<unsigned char>(last + 1))) ++last;
      if (count_ == kMaxRanges) {
        count_ = 0;
        return;
      }
      lo_[count_] = Splat(static_cast<unsigned char>(b));
      span_[count_] = Splat(static_cast<unsigned char>(last - b));
      ++count_;
      b = last + 1;
    }
  }
  bool Usable() const { return count_ != 0; }

  unsigned Of(__m128i v) const {
    __m128i any = _mm_setzero_si128();
    for (int k = 0; k < count_; ++k) {
      // As Between: the lanes whose byte less lo wraps to at most the span.
      const __m128i d = _mm_sub_epi8(v, lo_[k]);
      any = _mm_or_si128(any, _mm_cmpeq_epi8(_mm_min_epu8(d, span_[k]), d));
    }
    return Bits(any);
  }

 private:
  static constexpr int kMaxRanges = 8;
  __m128i lo_[kMaxRanges];
  __m128i span_[kMaxRanges];
  int count_ = 0;
};

// A block takes up to 64 lanes. It reads up to 80 bytes from its start and writes at most 130
// (every lane a one-byte character that becomes two, plus one taken along) and a 16-byte copy
// past them.
constexpr unsigned kLanes = 64;
constexpr std::size_t kBlockAhead = 96;
constexpr unsigned long kBlockRoom = 160;

// Copies the n bytes from `from` 16 at a time and moves `to` past them; up to 15 bytes after
// them are written over later.
inline void CopyLanes(unsigned char*& to, const unsigned char* from, unsigned n) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to), Load(from));
  for (unsigned k = kBlock; k < n; k += kBlock) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k), Load(from + k));
  }
  to += n;
}

// Writes two bytes (x86 is little-endian: the first byte is the low one) and keeps `size` of them.
inline void PutWord(unsigned char*& to, std::uint16_t bytes, unsigned size) {
  std::memcpy(to, &bytes, 2);
  to += size;
}

// One-byte characters whose outcome is table[byte] taking that byte alone, unless the byte after
// them lies in takers_lo..takers_hi (then the change decides). Runs of them skip the change.
struct SingleOutcomes {
  const Outcome* table = nullptr;
  unsigned char takers_lo = 0, takers_hi = 0;
  bool two_bytes = false;  // every outcome of the table writes two bytes
};

// Rewrites the characters that start in the 64 bytes from p, which is a character start with
// kBlockAhead bytes of text from it, into at least kBlockRoom bytes of room. A change may take one
// byte past its character (a sound mark after a kana), never the start of a pair. Returns where
// the walk goes on.
template <class Writer, class Change>
const unsigned char* RewriteBlock(const unsigned char* p, bool euc, const MarkedLanes& marks,
                                  Writer& out, Change change, SingleOutcomes singles) {
  std::uint64_t pairs = 0, marked = 0, taken_along = 0;
  for (unsigned k = 0; k < kLanes; k += kBlock) {
    const __m128i v = Load(p + k);
    const __m128i next = Load(p + k + 1);
    pairs |= std::uint64_t{euc ? EucPairBits(v, next) : SjisPairBits(v, next)} << k;
    marked |= std::uint64_t{marks.Of(v)} << k;
    if (singles.table != nullptr) {
      taken_along |= std::uint64_t{Bits(Between(next, singles.takers_lo, singles.takers_hi))} << k;
    }
  }
  const std::uint64_t starts = PairStartsIn(pairs);
  // A pair on the last lane is left to the next block.
  const unsigned take = (starts >> (kLanes - 1)) != 0 ? kLanes - 1 : kLanes;
  // Characters start on every lane but the second byte of a pair.
  marked &= ~(starts << 1) & (~std::uint64_t{0} >> (kLanes - take));
  const std::uint64_t simple = singles.table != nullptr ? marked & ~starts & ~taken_along : 0;
  unsigned char* const first = out.Pos();
  unsigned char* d = first;
  unsigned copied = 0;  // the lanes before this one are written
  while (marked != 0) {
    const auto lane = static_cast<unsigned>(__builtin_ctzll(marked));
    if (((simple >> lane) & 1u) != 0) {
      const std::uint64_t rest = ~(simple >> lane);
      const unsigned end = rest == 0 ? kLanes : lane + static_cast<unsigned>(__builtin_ctzll(rest));
      CopyLanes(d, p + copied, lane - copied);
      if (singles.two_bytes) {
        // Each character's place is known at once: no store waits for the last look-up.
        for (unsigned i = lane; i < end; ++i) {
          const auto bytes = static_cast<std::uint16_t>(singles.table[p[i]].BytesWord());
          std::memcpy(d + 2 * (i - lane), &bytes, 2);
        }
        d += 2 * (end - lane);
      } else {
        for (unsigned i = lane; i < end; ++i) {
          const Outcome outcome = singles.table[p[i]];
          PutWord(d, static_cast<std::uint16_t>(outcome.BytesWord()), outcome.Size());
        }
      }
      copied = end;
      marked &= end < kLanes ? ~std::uint64_t{0} << end : 0;
      continue;
    }
    const auto size = static_cast<unsigned>((starts >> lane) & 1u) + 1;
    const Outcome outcome = change(p + lane, size == 2);
    // A character left as it is gets written as it is: no branch that text mixing changed and
    // unchanged characters would mispredict.
    const bool same = outcome.Took() == 0;
    CopyLanes(d, p + copied, lane - copied);
    std::uint16_t bytes;
    std::memcpy(&bytes, p + lane, 2);
    if (!same) bytes = static_cast<std::uint16_t>(outcome.BytesWord());
    PutWord(d, bytes, same ? size : outcome.Size());
    const unsigned took = same ? size : outcome.Took();
    copied = lane + took;
    // The next lane does not wait for this character's look-ups, except after a change that took
    // a byte along.
    marked &= marked - 1;
    if (took > size) marked &= copied < kLanes ? ~std::uint64_t{0} << copied : 0;
  }
  if (copied < take) CopyLanes(d, p + copied, take - copied);
  out.Wrote(static_cast<std::size_t>(d - first));
  return p + (copied > take ? copied : take);
}

#endif  // MOJIWA_PAIR_BLOCKS

// Rewrites the `length` bytes at `text` (a NUL after them) into `out`: each character whose first
// byte `walk` marks goes to change(p, two_byte), the runs of the others are copied whole.
template <class Writer, class Change>
void Rewrite(const unsigned char* text, std::size_t length, const CharWalk& walk, Writer& out,
             Change change, SingleOutcomes singles = {}) {
  const unsigned char* run = text;  // the first byte not written yet
  auto hot = [&](const unsigned char* p, bool two) {
    const Outcome outcome = change(p, two);
    if (outcome.Took() == 0) return p + (two ? 2 : 1);
    out.Put(run, static_cast<std::size_t>(p - run));
    out.Put(outcome);
    run = p + outcome.Took();
    return run;
  };
  const unsigned char* p = text;
#if defined(MOJIWA_PAIR_BLOCKS)
  if (length > kBlockAhead) {
    const MarkedLanes marks(walk);
    const unsigned char* const last = text + (length - kBlockAhead);
    while (marks.Usable() && p < last) {
      out.Put(run, static_cast<std::size_t>(p - run));
      run = p;
      if (out.Room() >= kBlockRoom) {
        p = run = RewriteBlock(p, walk.Euc(), marks, out, change, singles);
      } else {
        p = walk.Run(p, p + kLanes, hot);  // grows the work object where bytes reach its end
      }
    }
  }
#endif
  p = walk.Run(p, text + length + 1, hot);
  out.Put(run, static_cast<std::size_t>(p - run));
  out.Finish();
}

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_STRING_TEXTREWRITE_H
