// The room contract of every copy routine and block converter, in one class: the room counts
// the free bytes at the destination including the one the final NUL takes, a null room means no
// limit, a step is taken only when its worst case fits, and the destination always ends on a NUL.
#ifndef MOJIWA_CODES_ROOMWRITER_H
#define MOJIWA_CODES_ROOMWRITER_H

#include <cstring>

#include "codes/JisArith.h"

namespace mojiwa {
namespace detail {

inline const unsigned char* Bytes(const char* p) {
  return reinterpret_cast<const unsigned char*>(p);
}
inline const char* Chars(const unsigned char* p) { return reinterpret_cast<const char*>(p); }

class RoomWriter {
 public:
  // `bound` is the most one step writes plus the NUL (the K of each converter). A step may
  // start while the bytes written so far leave at least `bound` bytes of the room, so it may
  // start at any of the first room - bound + 1 byte positions.
  RoomWriter(char*& dst, unsigned long* room, unsigned long bound)
      : dst_(dst),
        room_(room),
        begin_(reinterpret_cast<unsigned char*>(dst)),
        out_(begin_),
        starts_(room == nullptr ? ~0UL : (*room >= bound ? *room - bound + 1 : 0)),
        limit_(room == nullptr ? 0 : *room) {}
  RoomWriter(const RoomWriter&) = delete;
  RoomWriter& operator=(const RoomWriter&) = delete;

  unsigned long Written() const { return static_cast<unsigned long>(out_ - begin_); }
  // Whether another whole step fits.
  bool Fits() const { return Written() < starts_; }
  // How many more steps of one byte each may be taken (only when Fits()).
  unsigned long OneByteSteps() const { return starts_ - Written(); }
  // How many more steps of two bytes each may be taken (only when Fits()).
  unsigned long TwoByteSteps() const { return OneByteSteps() / 2 + OneByteSteps() % 2; }
  // Bytes that may be written at the position, whatever ends up kept: the rest of the room. A
  // fast path may store a whole block and keep only its prefix. Zero without a room, where the
  // caller's buffer is only known to hold the output.
  unsigned long Scratch() const { return room_ == nullptr ? 0 : limit_ - Written(); }

  unsigned char* Pos() { return out_; }
  void Skip(unsigned long n) { out_ += n; }
  // Gives back the last n bytes written, for the next steps to write again.
  void Back(unsigned long n) { out_ -= n; }
  void Put(unsigned char b) { *out_++ = b; }
  void Put(BytePair pair) {
    out_[0] = pair.first;
    out_[1] = pair.second;
    out_ += 2;
  }
  // Two bytes of a table string (the full-width forms are exactly two bytes).
  void Put2(const char* s) {
    out_[0] = static_cast<unsigned char>(s[0]);
    out_[1] = static_cast<unsigned char>(s[1]);
    out_ += 2;
  }
  void Put3(const char* s) {
    out_[0] = static_cast<unsigned char>(s[0]);
    out_[1] = static_cast<unsigned char>(s[1]);
    out_[2] = static_cast<unsigned char>(s[2]);
    out_ += 3;
  }
  void Copy(const unsigned char* src, unsigned long n) {
    if (n <= 16) {
      CopyShort(src, n);
    } else {
      std::memcpy(out_, src, n);
      out_ += n;
    }
  }
  // Runs between kanji are short: up to 16 bytes go in two overlapping moves, inline.
  void CopyShort(const unsigned char* src, unsigned long n) {
    if (n >= 8) {
      Move<8>(src, 0);
      Move<8>(src, n - 8);
    } else if (n >= 4) {
      Move<4>(src, 0);
      Move<4>(src, n - 4);
    } else {
      for (unsigned long i = 0; i < n; ++i) out_[i] = src[i];
    }
    out_ += n;
  }

  // Leaves the NUL (unless the room was 0, where not even that fits), lowers the room by the
  // bytes written and moves the caller's position onto the NUL.
  void Finish() {
    if (room_ == nullptr || *room_ != 0) *out_ = 0;
    if (room_ != nullptr) *room_ -= Written();
    dst_ = reinterpret_cast<char*>(out_);
  }

 private:
  template <unsigned long kSize>
  void Move(const unsigned char* src, unsigned long at) {
    unsigned char block[kSize];
    std::memcpy(block, src + at, kSize);
    std::memcpy(out_ + at, block, kSize);
  }

  char*& dst_;
  unsigned long* room_;
  unsigned char* begin_;
  unsigned char* out_;
  unsigned long starts_;
  unsigned long limit_;
};

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_CODES_ROOMWRITER_H
