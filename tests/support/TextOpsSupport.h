// Shared pieces of the string object's tests: the codes a table row holds for, the corpus files,
// and a switch that makes the library's single-object new (std::nothrow) fail
// (FailingNothrowNew.cpp).
#ifndef MOJIWA_TESTS_TEXTOPS_SUPPORT_H
#define MOJIWA_TESTS_TEXTOPS_SUPPORT_H

#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

namespace mojiwa_test {

using K = CKanji;

// While above 0, counts the library's new (std::nothrow) calls down; the one reaching 0 gets null.
extern int fail_nothrow_new;

// The codes of a row's letters: e EUC-JP, s Shift_JIS, j JIS (EMODE values 0, 1, 2).
inline std::vector<K::EMODE> Codes(const char* letters = "esj") {
  std::vector<K::EMODE> out;
  for (int code = 0; code < 3; ++code) {
    if (std::strchr(letters, "esj"[code]) != nullptr) out.push_back(K::EMODE(code));
  }
  return out;
}

// The same text in every file; the first three are indexed by EMODE value.
struct CorpusFile {
  const char* name;
  K::EMODE code;
};
constexpr CorpusFile kCorpus[] = {{"ja-euc.txt", K::EMODE_EUC},   {"ja-sjis.txt", K::EMODE_SJIS},
                                  {"ja-jis.txt", K::EMODE_JIS},   {"hw-euc.txt", K::EMODE_EUC},
                                  {"hw-sjis.txt", K::EMODE_SJIS}, {"hw-jis.txt", K::EMODE_JIS}};

// The whole corpus file, or about `bytes` bytes from its start, ending after a LF.
inline std::string Corpus(const std::string& name, std::size_t bytes = std::string::npos) {
  const std::string text = ReadFile(SharedPath("corpus/" + name));
  return text.size() <= bytes ? text : text.substr(0, text.find('\n', bytes) + 1);
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_TEXTOPS_SUPPORT_H
