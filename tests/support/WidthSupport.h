// Test support for the width tables and converters: single full-width characters in each code's
// bare bytes (JIS without its escape sequences), as glibc iconv(3) writes them.
#ifndef MOJIWA_TESTS_WIDTH_SUPPORT_H
#define MOJIWA_TESTS_WIDTH_SUPPORT_H

#include <iconv.h>

#include <optional>
#include <string>

#include "support/TestSupport.h"

namespace mojiwa_test {

// iconv(3) without failing the test: nullopt when the text does not convert.
inline std::optional<std::string> TryIconv(const std::string& bytes, const char* from,
                                           const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t in_left = bytes.size();
  char* dst = &out[0];
  size_t out_left = out.size();
  const bool ok = iconv(cd, &in, &in_left, &dst, &out_left) != static_cast<size_t>(-1) &&
                  iconv(cd, nullptr, nullptr, &dst, &out_left) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

inline std::string Utf8(char32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

inline const char* IconvName(CKanji::EMODE code) {
  switch (code) {
    case CKanji::EMODE_EUC: return "EUC-JP";
    case CKanji::EMODE_SJIS: return "SHIFT_JIS";
    default: return "ISO-2022-JP";
  }
}

// The two bytes of one JIS X 0208 character in the code (JIS: row and cell, no escapes);
// nullopt when the character has no such form, e.g. one outside JIS X 0208.
inline std::optional<std::string> FullWidth(CKanji::EMODE code, const std::string& utf8) {
  std::optional<std::string> out = TryIconv(utf8, "UTF-8", IconvName(code));
  if (!out) return std::nullopt;
  if (code == CKanji::EMODE_JIS) {
    const std::string in = "\x1B$B", back = "\x1B(B";
    if (out->size() != in.size() + 2 + back.size() || out->compare(0, in.size(), in) != 0 ||
        out->compare(in.size() + 2, back.size(), back) != 0) {
      return std::nullopt;
    }
    *out = out->substr(in.size(), 2);
  }
  if (out->size() != 2) return std::nullopt;
  const auto lead = static_cast<unsigned char>((*out)[0]);
  // EUC-JP writes half-width katakana after 0x8E; that is not a full-width form.
  if (code == CKanji::EMODE_EUC && lead < 0xA1) return std::nullopt;
  return out;
}

// As FullWidth, for characters that must have the form: fails the test otherwise.
inline std::string Bare(CKanji::EMODE code, const std::string& utf8) {
  std::optional<std::string> out = FullWidth(code, utf8);
  if (!out) {
    ADD_FAILURE() << "no " << CodeName(code) << " form for " << utf8;
    return std::string();
  }
  return *out;
}

// A two-byte record as it is stored, and an expected result of up to two bytes padded to it.
inline std::string RecordPair(char first, char second) { return std::string{first, second}; }
inline std::string Padded(std::string bytes) {
  bytes.resize(2, '\0');
  return bytes;
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_WIDTH_SUPPORT_H
