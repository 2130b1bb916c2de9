// What the code-conversion tests share: the six block converters behind one call, their step
// bounds, and a one-shot conversion that fails the test if anything past the source's NUL was
// taken or anything past the output's NUL was written.
#ifndef MOJIWA_TESTS_CONVERTSUPPORT_H
#define MOJIWA_TESTS_CONVERTSUPPORT_H

#include <algorithm>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace mojiwa_test {

const std::string kToKanji = "\x1B$B";
const std::string kToAscii = "\x1B(B";
const std::string kSi = "\x0F";  // enters the kana set
const std::string kSo = "\x0E";  // leaves it

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
  switch (conv) {
    case Conv::kJ2E: return {"CopyJ2E", CKanji::EMODE_JIS, CKanji::EMODE_EUC, 3};
    case Conv::kJ2S: return {"CopyJ2S", CKanji::EMODE_JIS, CKanji::EMODE_SJIS, 3};
    case Conv::kE2J: return {"CopyE2J", CKanji::EMODE_EUC, CKanji::EMODE_JIS, 6};
    case Conv::kE2S: return {"CopyE2S", CKanji::EMODE_EUC, CKanji::EMODE_SJIS, 3};
    case Conv::kS2E: return {"CopyS2E", CKanji::EMODE_SJIS, CKanji::EMODE_EUC, 3};
    case Conv::kS2J: return {"CopyS2J", CKanji::EMODE_SJIS, CKanji::EMODE_JIS, 7};
  }
  return {"?", CKanji::EMODE_AUTO, CKanji::EMODE_AUTO, 0};
}
inline bool WritesJis(Conv conv) { return Info(conv).to == CKanji::EMODE_JIS; }
inline bool HasShift(Conv conv) { return WritesJis(conv) || Info(conv).from == CKanji::EMODE_JIS; }

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

struct Converted {
  std::string text;
  CKanji::ESHIFT shift;
};

// The whole input in one call without a room limit, from the given shift state; with `flush`,
// JIS output is then returned to the Roman set, as the string object does.
inline Converted Convert(Conv conv, const std::string& input, const Switches& sw = Switches(),
                         CKanji::ESHIFT shift = CKanji::ESHIFT_ASCII, bool flush = false) {
  // Past the NUL: a sound mark, an escape into the kanji set and a pair, which would all show.
  const char kPastEnd[] = "\xDE\x1B$B0!\xB0\xA1";
  std::vector<char> src(input.begin(), input.end());
  src.push_back('\0');
  src.insert(src.end(), kPastEnd, kPastEnd + sizeof kPastEnd);
  constexpr char kUntouched = '\xEE';
  std::vector<char> out(input.size() * 5 + 80, kUntouched);
  const char* from = src.data();
  char* to = out.data();
  Converted result{std::string(), shift};
  EXPECT_TRUE(CallConv(conv, from, to, sw, nullptr, &result.shift)) << Info(conv).name;
  EXPECT_EQ(from, src.data() + input.size()) << Info(conv).name << " stopped off the NUL";
  if (flush && WritesJis(conv)) CKanji::FlushXXX2jis(result.shift, to, nullptr);
  result.text.assign(out.data(), to);
  // Without a room the caller's buffer need hold only the output and its NUL; a fast path
  // stores at most 16 bytes at a time.
  for (int i = 1; i < 64; ++i) {
    if (to[i] != kUntouched) {
      ADD_FAILURE() << Info(conv).name << " wrote " << i << " bytes past its NUL";
      break;
    }
  }
  return result;
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_CONVERTSUPPORT_H
