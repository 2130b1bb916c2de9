#include "support/TestSupport.h"

#include <iconv.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace mojiwa_test {

std::string Iconv(const std::string& bytes, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "iconv_open " << from << " -> " << to;
    return std::string();
  }
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char* dst = &out[0];
  size_t out_left = out.size();
  if (iconv(cd, &in, &in_left, &dst, &out_left) == static_cast<size_t>(-1) ||
      iconv(cd, nullptr, nullptr, &dst, &out_left) == static_cast<size_t>(-1)) {
    ADD_FAILURE() << "iconv " << from << " -> " << to << " failed at byte "
                  << (bytes.size() - in_left) << " of " << Hex(bytes);
  }
  iconv_close(cd);
  out.resize(out.size() - out_left);
  return out;
}

std::string Sjis(const std::string& utf8) { return Iconv(utf8, "UTF-8", "SHIFT_JIS"); }
std::string Euc(const std::string& utf8) { return Iconv(utf8, "UTF-8", "EUC-JP"); }
std::string Jis(const std::string& utf8) { return Iconv(utf8, "UTF-8", "ISO-2022-JP"); }

std::string InCode(CKanji::EMODE code, const std::string& utf8) {
  switch (code) {
    case CKanji::EMODE_EUC: return Euc(utf8);
    case CKanji::EMODE_SJIS: return Sjis(utf8);
    case CKanji::EMODE_JIS: return Jis(utf8);
    default: return utf8;
  }
}

const char* CodeName(CKanji::EMODE code) {
  switch (code) {
    case CKanji::EMODE_EUC: return "EUC";
    case CKanji::EMODE_SJIS: return "SJIS";
    case CKanji::EMODE_JIS: return "JIS";
    default: return "AUTO";
  }
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char cell[4];
  for (unsigned char b : bytes) {
    std::snprintf(cell, sizeof cell, "%02x ", b);
    out += cell;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

bool HaveShared() {
  struct stat st;
  return stat(MOJIWA_SHARED_DIR "/corpus", &st) == 0;
}

std::string SharedPath(const std::string& relative) {
  return std::string(MOJIWA_SHARED_DIR) + "/" + relative;
}

std::string TestDataPath(const std::string& relative) {
  return std::string(MOJIWA_TEST_DATA) + "/" + relative;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return std::string();
  }
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

MemLimitScope::MemLimitScope(unsigned long limit) : saved_(Probe::MemLimit()) {
  CKanji::SetMemLimit(limit);
}

MemLimitScope::~MemLimitScope() { CKanji::SetMemLimit(saved_); }

void AccountingTest::SetUp() {
  start_all_ = Probe::AllSize();
  start_limit_ = Probe::MemLimit();
}

void AccountingTest::TearDown() {
  EXPECT_EQ(Probe::AllSize(), start_all_) << "buffer bytes were not given back";
  CKanji::SetMemLimit(start_limit_);
}

}  // namespace mojiwa_test
