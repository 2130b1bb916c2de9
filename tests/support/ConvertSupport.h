// What the codes tests share: the six block converters behind one call, a one-shot conversion
// that checks nothing past either NUL was touched, and iconv(3) that may refuse.
#ifndef MOJIWA_TESTS_CONVERTSUPPORT_H
#define MOJIWA_TESTS_CONVERTSUPPORT_H

#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace mojiwa_test {

const std::string kToKanji = "\x1B$B", kToAscii = "\x1B(B";

enum class Conv { kJ2E, kJ2S, kE2J, kE2S, kS2E, kS2J };
constexpr Conv kAllConv[] = {Conv::kJ2E, Conv::kJ2S, Conv::kE2J,
                             Conv::kE2S, Conv::kS2E, Conv::kS2J};

// The switches by meaning; each converter takes the ones it has.
struct Switches {
  bool kana_to_zen = false;  // CopyJ2S, and CopyS2J's first flag (which has no effect)
  bool crlf = false;         // CopyE2J, CopyE2S
  bool keep_kana = false;    // CopyS2J's second flag
};

struct ConvInfo {
  const char* name;
  CKanji::EMODE from, to;
  unsigned long bound;  // the most one step writes, plus the NUL
};
inline ConvInfo Info(Conv conv) {
  constexpr auto E = CKanji::EMODE_EUC, S = CKanji::EMODE_SJIS, J = CKanji::EMODE_JIS;
  const ConvInfo info[] = {{"CopyJ2E", J, E, 3}, {"CopyJ2S", J, S, 3}, {"CopyE2J", E, J, 6},
                           {"CopyE2S", E, S, 3}, {"CopyS2E", S, E, 3}, {"CopyS2J", S, J, 7}};
  return info[static_cast<int>(conv)];
}

inline bool CallConv(Conv conv, const char*& src, char*& dst, const Switches& sw,
                     unsigned long* room, CKanji::ESHIFT* shift) {
  switch (conv) {
    case Conv::kJ2E: return CKanji::CopyJ2E(src, dst, room, shift);
    case Conv::kJ2S: return CKanji::CopyJ2S(src, dst, sw.kana_to_zen, room, shift);
    case Conv::kE2J: return CKanji::CopyE2J(src, dst, sw.crlf, room, shift);
    case Conv::kE2S: return CKanji::CopyE2S(src, dst, sw.crlf, room);
    case Conv::kS2E: return CKanji::CopyS2E(src, dst, room);
    case Conv::kS2J: return CKanji::CopyS2J(src, dst, sw.kana_to_zen, sw.keep_kana, room, shift);
  }
  return false;
}

// The bytes in a heap block of their exact length and a NUL: ASan reports a read past it.
inline std::unique_ptr<char[]> Exact(const std::string& bytes) {
  std::unique_ptr<char[]> copy(new char[bytes.size() + 1]);
  std::memcpy(copy.get(), bytes.c_str(), bytes.size() + 1);
  return copy;
}

// The whole input in one call without a room limit, ended in the Roman set for JIS output as the
// string object does; `shift` goes in as the start state and comes out as the end state.
inline std::string Convert(Conv conv, const std::string& input, const Switches& sw,
                           CKanji::ESHIFT& shift) {
  const auto src = Exact(input);
  constexpr char kUntouched = '\xEE';
  std::vector<char> out(input.size() * 5 + 80, kUntouched);
  const char* from = src.get();
  char* to = out.data();
  EXPECT_TRUE(CallConv(conv, from, to, sw, nullptr, &shift)) << Info(conv).name;
  EXPECT_EQ(from, src.get() + input.size()) << Info(conv).name << " stopped off the NUL";
  CKanji::ESHIFT end = shift;
  if (Info(conv).to == CKanji::EMODE_JIS) CKanji::FlushXXX2jis(end, to, nullptr);
  // Without a room the buffer need hold only the output and its NUL.
  EXPECT_EQ(std::string(to + 1, to + 64), std::string(63, kUntouched)) << Info(conv).name;
  return std::string(out.data(), to);
}

// "" when equal, else where the texts part and how, for failure messages.
inline std::string FirstDifference(const std::string& got, const std::string& want) {
  if (got == want) return "";
  const auto i =
      std::mismatch(got.begin(), got.end(), want.begin(), want.end()).first - got.begin();
  return "byte " + std::to_string(i) + ": " + Hex(got.substr(i, 12)) + " instead of " +
         Hex(want.substr(i, 12));
}

// iconv(3) without failing the test: nullopt when the text does not convert.
inline std::optional<std::string> TryIconv(const std::string& bytes, const char* from,
                                           const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(bytes.size() * 4 + 16, '\0');
  char* in = const_cast<char*>(bytes.data());
  char* dst = &out[0];
  size_t in_left = bytes.size(), out_left = out.size();
  const bool ok = iconv(cd, &in, &in_left, &dst, &out_left) != static_cast<size_t>(-1) &&
                  iconv(cd, nullptr, nullptr, &dst, &out_left) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(out.size() - out_left);
  return out;
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_CONVERTSUPPORT_H
