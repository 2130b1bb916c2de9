// Shared pieces of the tests of width and case conversion, Replace, Clean and character access:
// which output codes a table row applies to, objects holding a text in their own code, and a single
// object allocation with new (std::nothrow) that fails on request (FailingNothrowNew.cpp).
#ifndef MOJIWA_TESTS_TEXTOPS_SUPPORT_H
#define MOJIWA_TESTS_TEXTOPS_SUPPORT_H

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace mojiwa_test {

// Output codes a row applies to, one bit per EMODE value.
enum CodeSet : unsigned {
  kEuc = 1u << CKanji::EMODE_EUC,
  kSjis = 1u << CKanji::EMODE_SJIS,
  kJis = 1u << CKanji::EMODE_JIS,
  kEucJis = kEuc | kJis,
  kSjisJis = kSjis | kJis,
  kAllCodes = kEuc | kSjis | kJis,
};

inline std::vector<CKanji::EMODE> CodesOf(unsigned set) {
  std::vector<CKanji::EMODE> out;
  for (CKanji::EMODE code : {CKanji::EMODE_SJIS, CKanji::EMODE_EUC, CKanji::EMODE_JIS}) {
    if ((set & (1u << code)) != 0) out.push_back(code);
  }
  return out;
}

// Loads bytes that are already in the object's output code, unconverted, and leaves the input
// code as it was.
inline void Load(CKanji& k, const std::string& bytes) {
  const CKanji::EMODE input = k.SetInputMode(k.GetModeOutput());
  k = bytes.c_str();
  k.SetInputMode(input);
}

// While alive, the nth allocation of a single object with new (std::nothrow) yields null.
class FailNothrowNew {
 public:
  explicit FailNothrowNew(long nth = 1);
  ~FailNothrowNew();
  FailNothrowNew(const FailNothrowNew&) = delete;
  FailNothrowNew& operator=(const FailNothrowNew&) = delete;
  bool Fired() const;
};

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_TEXTOPS_SUPPORT_H
