// What the fuzz targets share: a reader that turns the fuzzer's bytes into choices, a check that
// aborts with a readable message (libFuzzer and the replay main both treat an abort as a
// failure), a hex dump, and the check that a CThrowErr comes from one of the library's throw sites.
#ifndef MOJIWA_FUZZ_FUZZSUPPORT_H
#define MOJIWA_FUZZ_FUZZSUPPORT_H

#include <mojiwa/Kanji.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace mojiwa_fuzz {

// Takes choices from the front of the input; once it is used up every choice is 0 and every
// text empty, so a short input is still a complete run.
class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool Empty() const { return size_ == 0; }
  std::uint8_t Byte() { return size_ == 0 ? 0 : (--size_, *data_++); }
  // A value in [lo, hi], from as many bytes as the span needs.
  unsigned long Range(unsigned long lo, unsigned long hi) {
    unsigned long value = 0;
    for (unsigned long seen = 0; seen < hi - lo && size_ != 0; seen = (seen << 8) | 0xFF) {
      value = (value << 8) | Byte();
    }
    return hi - lo == ~0UL ? value : lo + value % (hi - lo + 1);
  }
  // A run of bytes whose length comes first (at most `max`); NULs are kept.
  std::string Bytes(std::size_t max) { return Take(Range(0, max)); }
  std::string Rest() { return Take(size_); }

 private:
  std::string Take(std::size_t length) {
    if (length > size_) length = size_;
    const std::string out(reinterpret_cast<const char*>(data_), length);
    data_ += length;
    size_ -= length;
    return out;
  }
  const std::uint8_t* data_;
  std::size_t size_;
};

[[noreturn]] inline void Fail(const char* file, int line, const char* rule,
                              const std::string& detail) {
  std::fprintf(stderr, "\n%s:%d: broken: %s\n  %s\n", file, line, rule, detail.c_str());
  std::fflush(stderr);
  std::abort();
}

#define FUZZ_CHECK(cond, detail)                                           \
  do {                                                                     \
    if (!(cond)) ::mojiwa_fuzz::Fail(__FILE__, __LINE__, #cond, (detail)); \
  } while (false)

inline std::string Hex(const std::string& bytes) {
  std::string out;
  char digits[4];
  for (const char c : bytes) {
    std::snprintf(digits, sizeof digits, "%02x ", static_cast<unsigned char>(c));
    out += digits;
  }
  return out;
}

// Checks the record of an error and returns its line. The library throws from a fixed set of
// sites; ReadConf's (an empty name here) carry the file's path, `path`, where the others name their
// function. The message bytes are the unit tests' business.
inline int CheckError(const CThrowErr& error, const char* path = nullptr) {
  static const std::map<int, std::string> kSites = {{997, "Initialize"},  {1092, "GrowBuffer"},
                                                    {1107, "GrowBuffer"}, {2090, "Add"},
                                                    {2917, "Replace"},    {3661, "MakeCmpThis"},
                                                    {2166, ""},           {2208, ""},
                                                    {2223, ""},           {2231, ""}};
  const std::string where = "error at line " + std::to_string(error.nLine) + " function " +
                            (error.pcFunction != nullptr ? error.pcFunction : "(null)");
  FUZZ_CHECK(error.dwCode == 0 && error.pcMessage != nullptr && *error.pcMessage != '\0', where);
  FUZZ_CHECK(error.pcFunction && error.pcDate && error.pcTime && error.pcFile, where);
  const auto site = kSites.find(error.nLine);
  FUZZ_CHECK(site != kSites.end() && (path != nullptr || !site->second.empty()), where);
  FUZZ_CHECK((site->second.empty() ? path : "CKanji::" + site->second) == error.pcFunction, where);
  return error.nLine;
}

}  // namespace mojiwa_fuzz

#endif  // MOJIWA_FUZZ_FUZZSUPPORT_H
