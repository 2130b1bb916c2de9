// The character walk of the text operations without a virtual call per character: the two-byte
// test of CKanji::isKanji for Shift_JIS and EUC-JP as a byte table, the start of the character
// that holds a given byte, and a writer that appends whole runs to a work object.
#ifndef MOJIWA_STRING_TEXTWALK_H
#define MOJIWA_STRING_TEXTWALK_H

#include <cstddef>
#include <cstring>
#include <typeinfo>

#include "codes/ByteClass.h"
#include "codes/RoomWriter.h"  // Bytes, Chars
#include "string/Kanji.h"

namespace mojiwa {
namespace detail {

// True when the object's isKanji is the library's own. A derived class may override it, and the
// walks then ask that object character by character, as before.
inline bool HasOwnIsKanji(const CKanji& object) { return typeid(object) == typeid(CKanji); }

// What isKanji of a Shift_JIS or EUC-JP object asks of a byte: whether it may start a two-byte
// character (kLead) and whether it may end one (kTrail). A pair starts wherever a kLead byte is
// followed by a kTrail byte; NUL is neither, so a pair never takes the terminator.
enum : unsigned char { kLead = 1, kTrail = 2 };

struct PairBytes {
  unsigned char kind[256] = {};
  bool euc;
  constexpr explicit PairBytes(bool euc_pairs) : euc(euc_pairs) {
    for (int b = 0; b < 256; ++b) {
      const auto c = static_cast<unsigned char>(b);
      const bool lead = euc_pairs ? IsEucByte(c) : IsSjisLead(c);
      const bool trail = euc_pairs ? IsEucByte(c) : IsSjisTrail(c);
      kind[b] = static_cast<unsigned char>((lead ? kLead : 0) | (trail ? kTrail : 0));
    }
  }
  constexpr bool Lead(unsigned char b) const { return (kind[b] & kLead) != 0; }
  constexpr bool Trail(unsigned char b) const { return (kind[b] & kTrail) != 0; }
  constexpr bool PairAt(const unsigned char* p) const { return Lead(p[0]) && Trail(p[1]); }

  // Every lead byte is also a trail byte, in both codes; CharStart relies on it.
  constexpr bool LeadsTrail() const {
    for (unsigned char k : kind) {
      if ((k & kLead) != 0 && (k & kTrail) == 0) return false;
    }
    return true;
  }
};

inline constexpr PairBytes kSjisPairs{false};
inline constexpr PairBytes kEucPairs{true};
static_assert(kSjisPairs.LeadsTrail() && kEucPairs.LeadsTrail(), "a lead byte is also a trail");
static_assert(kSjisPairs.Lead(0x88) && kSjisPairs.Trail(0x9F) && !kSjisPairs.Trail(0x7F) &&
                  !kSjisPairs.Lead(0xA1) && kEucPairs.Lead(0xA1) && !kEucPairs.Trail(0x00),
              "a kanji pairs, a trail 0x7F does not, half-width katakana stand alone");

// The bytes of an object that is walked in its own output code (never JIS here).
inline const PairBytes& PairsOf(CKanji::EMODE code) {
  return code == CKanji::EMODE_EUC ? kEucPairs : kSjisPairs;
}

// The start of the character holding the byte at `at`, as a walk from the character start `from`
// (at or before `at`) steps. The nearest byte before `at` that is no lead ends a character (a
// single byte, or the second of a pair), so the run of leads after it starts on a character
// start; leads are trails too, so they pair off from there up to `at`.
inline const unsigned char* CharStart(const PairBytes& pairs, const unsigned char* from,
                                      const unsigned char* at) {
  const unsigned char* k = at;
  while (k > from && pairs.Lead(k[-1])) --k;
  if ((at - k) % 2 == 0) return at;
  return pairs.Trail(*at) ? at - 1 : at;
}

// Walks the text of a Shift_JIS or EUC-JP object by the characters its isKanji sees, stopping
// only at characters whose first byte is marked; the others are left to the caller's runs.
class CharWalk {
 public:
  explicit CharWalk(const PairBytes& pairs) : euc_(pairs.euc) {
    std::memcpy(kind_, pairs.kind, sizeof kind_);
    kind_[0] |= kMark;  // the walk ends at the NUL
  }
  void Mark(unsigned char b) { kind_[b] |= kMark; }
  bool Marked(unsigned char b) const { return (kind_[b] & kMark) != 0; }
  bool Euc() const { return euc_; }

  // Calls hot(p, two_byte) at each marked character; hot returns where the walk goes on (past
  // the character, or past more than it took). Returns the position of the NUL, or of the first
  // character that starts at or after `limit`.
  template <class Hot>
  const unsigned char* Run(const unsigned char* p, const unsigned char* limit, Hot hot) const {
    while (p < limit) {
      const unsigned k = kind_[*p];
      if ((k & kLead) != 0 && (kind_[p[1]] & kTrail) != 0) {
        p = (k & kMark) != 0 ? hot(p, true) : p + 2;
      } else if ((k & kMark) == 0) {
        ++p;
      } else if (*p == 0) {
        return p;
      } else {
        p = hot(p, false);
      }
    }
    return p;
  }

 private:
  static constexpr unsigned char kMark = 4;
  unsigned char kind_[256];
  bool euc_;
};

// What becomes of one marked character: the bytes it takes from the text (0 leaves it unchanged
// in its run) and the bytes written for it, at most two. One word, so that it stays in a register.
class Outcome {
 public:
  constexpr Outcome() = default;
  constexpr Outcome(unsigned took, unsigned size, char first = 0, char second = 0)
      : word_(took | size << 8 | static_cast<unsigned>(static_cast<unsigned char>(first)) << 16 |
              static_cast<unsigned>(static_cast<unsigned char>(second)) << 24) {}

  constexpr unsigned Took() const { return word_ & 0xFFu; }
  constexpr unsigned Size() const { return word_ >> 8 & 0xFFu; }
  // The bytes as they lie in memory, first byte first.
  void Bytes(unsigned char* at) const {
    at[0] = static_cast<unsigned char>(word_ >> 16);
    at[1] = static_cast<unsigned char>(word_ >> 24);
  }
  // The bytes as one little-endian 16-bit word.
  constexpr unsigned BytesWord() const { return word_ >> 16; }
  // The same bytes, taking nothing: the character stays as it is.
  constexpr Outcome Kept() const { return Outcome(word_ & ~0xFFu); }

 private:
  constexpr explicit Outcome(unsigned word) : word_(word) {}
  unsigned word_ = 0;
};

// Appends bytes to a work object's text as its operator+=(char) would one by one: the buffer
// grows by the object's step whenever a byte would take the place of the NUL, so it ends as large
// as byte-wise appends leave it and the limit refuses the same growth. `end` and `rest` are the
// object's pcEnd and dwRest; grow() is its GrowBuffer, which finds the text by its NUL.
template <class Grow>
class AppendWriter {
 public:
  AppendWriter(char*& end, unsigned long& rest, Grow grow) : end_(end), rest_(rest), grow_(grow) {}

  // Room for n more bytes and the NUL.
  void Reserve(std::size_t n) {
    while (rest_ <= n) {
      if (end_ != nullptr) *end_ = '\0';
      grow_();
    }
  }
  // Nothing for n = 0: an append of nothing never gave a work object its first buffer.
  void Put(const void* bytes, std::size_t n) {
    if (n == 0) return;
    Reserve(n);
    std::memcpy(end_, bytes, n);
    end_ += n;
    rest_ -= static_cast<unsigned long>(n);
  }
  // The bytes of an outcome (none, one or two). The room for them and the NUL takes two.
  void Put(Outcome outcome) {
    const unsigned n = outcome.Size();
    if (n == 0) return;
    Reserve(n);
    outcome.Bytes(reinterpret_cast<unsigned char*>(end_));
    end_ += n;
    rest_ -= n;
  }
  void Finish() {
    if (end_ != nullptr) *end_ = '\0';
  }

  // Direct writing for the block steps, which check Room() first and never grow the object.
  unsigned long Room() const { return rest_; }
  unsigned char* Pos() { return reinterpret_cast<unsigned char*>(end_); }
  void Wrote(std::size_t n) {
    end_ += n;
    rest_ -= static_cast<unsigned long>(n);
  }

 private:
  char*& end_;
  unsigned long& rest_;
  Grow grow_;
};

template <class Grow>
AppendWriter<Grow> MakeWriter(char*& end, unsigned long& rest, Grow grow) {
  return AppendWriter<Grow>(end, rest, grow);
}

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_STRING_TEXTWALK_H
