// Internal helpers for the operations that work through temporary objects: a guard that puts a
// borrowed setting back on every exit, and the comparison code of an object.
#ifndef MOJIWA_STRING_WORKOBJECT_H
#define MOJIWA_STRING_WORKOBJECT_H

#include "string/Kanji.h"

namespace mojiwa {
namespace detail {

// Saves a value and writes it back when the scope ends, also when an exception passes:
//   RestoreOnExit<CKanji::EMODE> keep(eModeInput);  eModeInput = other.eModeOutput;
template <class T>
class RestoreOnExit {
 public:
  explicit RestoreOnExit(T& ref) : ref_(ref), saved_(ref) {}
  ~RestoreOnExit() { ref_ = saved_; }
  RestoreOnExit(const RestoreOnExit&) = delete;
  RestoreOnExit& operator=(const RestoreOnExit&) = delete;

 private:
  T& ref_;
  T saved_;
};

// The code in which an object's characters are one or two bytes: Shift_JIS for a JIS object.
constexpr CKanji::EMODE ComparisonCode(CKanji::EMODE output) {
  return output == CKanji::EMODE_JIS ? CKanji::EMODE_SJIS : output;
}

// The growth step for a work object that takes in a text of `length` bytes: one growth where the
// object's own step would copy the text over and over (each growth copies what is held).
constexpr unsigned long StepFor(unsigned long step, unsigned long length) {
  return length >= step ? length + 1 : step;
}

// The one step that leaves a work object taking a text of `length` bytes in one growth exactly as
// large as growths by `step` would: the limit refuses it exactly when it would refuse the last of
// those growths, and the text is copied once.
constexpr unsigned long StepLike(unsigned long step, unsigned long length) {
  return (length / step + 1) * step;
}
static_assert(StepLike(1024, 0) == 1024 && StepLike(1024, 1023) == 1024 &&
                  StepLike(1024, 1024) == 2048,
              "room for the NUL");

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_STRING_WORKOBJECT_H
