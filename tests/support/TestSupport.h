// Test helpers: text in each code from UTF-8 (through glibc iconv), hex dumps for failure
// messages, corpus access, and a fixture that checks the process-wide byte count.
#ifndef MOJIWA_TESTS_SUPPORT_H
#define MOJIWA_TESTS_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

#include "string/Kanji.h"

namespace mojiwa_test {

// Converts bytes with iconv(3); fails the test (and returns what converted) on an error.
std::string Iconv(const std::string& bytes, const char* from, const char* to);
// UTF-8 text in each code. Jis() ends in the Roman set, as the library's JIS writer does.
std::string Sjis(const std::string& utf8);
std::string Euc(const std::string& utf8);
std::string Jis(const std::string& utf8);
// The text in the given code.
std::string InCode(CKanji::EMODE code, const std::string& utf8);
const char* CodeName(CKanji::EMODE code);

// "41 82 a0" style dump, for failure messages.
std::string Hex(const std::string& bytes);

// Files of the shared corpus and test data; HaveShared() is false when the folder is absent.
bool HaveShared();
std::string SharedPath(const std::string& relative);
std::string ReadFile(const std::string& path);
// A file of the repository's tests/data folder.
std::string TestDataPath(const std::string& relative);

// A CKanji that shows its protected state to tests.
class Probe : public CKanji {
 public:
  using CKanji::CKanji;
  using CKanji::operator=;
  static unsigned long AllSize() { return dwAllSize; }
  static unsigned long MemLimit() { return dwMemLimit; }
  unsigned long BuffSize() const { return dwBuffSize; }
  unsigned long Rest() const { return dwRest; }
  unsigned long GrowSize() const { return dwGrowSize; }
  ESHIFT Shift() const { return eShift; }
  void SetShift(ESHIFT shift) { eShift = shift; }
  bool FixInput() const { return bFixInput; }
  bool KanaToZen() const { return bKanaToZen; }
  bool CrLf() const { return bCrLf; }
  bool KeepKana() const { return bKeepKana; }
  bool HasBuffer() const { return pcBuff != nullptr; }
};

// Sets the memory limit for a scope and puts the previous one back.
class MemLimitScope {
 public:
  explicit MemLimitScope(unsigned long limit);
  ~MemLimitScope();
  MemLimitScope(const MemLimitScope&) = delete;
  MemLimitScope& operator=(const MemLimitScope&) = delete;

 private:
  unsigned long saved_;
};

// Fixture: every test must give back every buffer byte it took, and leaves the limit as found.
class AccountingTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  unsigned long start_all_ = 0;
  unsigned long start_limit_ = 0;
};

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_SUPPORT_H
