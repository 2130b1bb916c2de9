// Fast paths of the block converters: runs of bytes that a converter copies unchanged, found a
// block at a time. A block is loaded only inside a window that strnlen has shown to hold no
// NUL, so nothing is ever read past the source's terminator.
#ifndef MOJIWA_CODES_BYTESCAN_H
#define MOJIWA_CODES_BYTESCAN_H

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "codes/RoomWriter.h"

namespace mojiwa {
namespace detail {

// The part of the source, from the current position on, that is known to hold no NUL. It is
// measured with strnlen when what is known runs short: as far as the room could take the
// converter, at most a few KB at a time, so that a converter given little room measures little
// more than it reads.
class SourceWindow {
 public:
  explicit SourceWindow(const unsigned char* p) : end_(p) {}

  // How many bytes from p on, up to `want`, are known to be no NUL; 0 only at the terminator.
  // `reach` is how many more steps the room admits.
  std::size_t Ahead(const unsigned char* p, std::size_t want, std::size_t reach) {
    const std::size_t known = Known(p, want, reach);
    return known < want ? known : want;
  }

  // All that is known from p on, measured anew as Ahead measures when less than `want` is known.
  std::size_t Known(const unsigned char* p, std::size_t want, std::size_t reach) {
    std::size_t known = p < end_ ? static_cast<std::size_t>(end_ - p) : 0;
    if (known < want && known < kLeast && !terminated_) {
      std::size_t ask = reach < kMost ? reach + kLeast : kMost;
      if (ask < want) ask = want;
      known = strnlen(Chars(p), ask);
      end_ = p + known;
      terminated_ = known < ask;
    }
    return known;
  }

 private:
  static constexpr std::size_t kLeast = 64;
  static constexpr std::size_t kMost = 4096;
  const unsigned char* end_;
  bool terminated_ = false;  // end_ stands on the NUL
};

// A run of bytes that pass through unchanged: no byte of `kStops` and, with kHigh, no byte with
// bit 7 set.
template <bool kHigh, unsigned char... kStops>
struct Run {
  static constexpr bool Stops(unsigned b) {
    return (kHigh && b >= 0x80) || (false || ... || (b == kStops));
  }

  // Length of the leading run of p[0..n); all n bytes are readable.
  static std::size_t Length(const unsigned char* p, std::size_t n) {
    std::size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      __m128i hit = _mm_setzero_si128();
      ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(static_cast<char>(kStops))))), ...);
      unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hit));
      if (kHigh) mask |= static_cast<unsigned>(_mm_movemask_epi8(v));
      if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
    }
#endif
    while (i < n && !Stops(p[i])) ++i;
    return i;
  }

  // Copies the run that starts at p, whose first byte passes through: that byte as the step
  // already admitted, then one-byte steps as long as the room admits them. Returns the length.
  static std::size_t Copy(const unsigned char* p, SourceWindow& window, RoomWriter& out) {
    out.Put(*p);
    if (!out.Fits()) return 1;
    const std::size_t n =
        Length(p + 1, window.Ahead(p + 1, out.OneByteSteps(), out.OneByteSteps()));
    out.Copy(p + 1, n);
    return n + 1;
  }
};

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_CODES_BYTESCAN_H
