// Shared pieces of the append, stream and comparison tests: the bytes the block converters write
// for a whole text in one unbounded call, a check that no escape sequence of a JIS text is cut, and
// corpus slices that end at a line end.
#ifndef MOJIWA_TESTS_APPEND_SUPPORT_H
#define MOJIWA_TESTS_APPEND_SUPPORT_H

#include <cstring>
#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace mojiwa_test {

struct Switches {
  bool kana_to_zen;
  bool cr_lf;
  bool keep_kana;
};

// One call of the converter for (from, to) with no limit of room, then FlushXXX2jis for JIS
// output; from == to copies. `shift` carries a JIS state across calls, as an object does.
inline std::string OneShot(CKanji::EMODE from, CKanji::EMODE to, const std::string& text,
                           Switches sw = {false, false, false}, CKanji::ESHIFT* shift = nullptr) {
  CKanji::ESHIFT local = CKanji::ESHIFT_ASCII;
  CKanji::ESHIFT& state = shift != nullptr ? *shift : local;
  std::string out(text.size() * 8 + 16, '\0');  // 4.5 times is the worst a converter writes
  const char* src = text.c_str();
  char* dst = &out[0];
  using K = CKanji;
  if (from == to) {
    std::memcpy(dst, src, text.size());
    dst += text.size();
  } else if (from == K::EMODE_EUC) {
    to == K::EMODE_SJIS ? K::CopyE2S(src, dst, sw.cr_lf)
                        : K::CopyE2J(src, dst, sw.cr_lf, 0, &state);
  } else if (from == K::EMODE_SJIS) {
    to == K::EMODE_EUC ? K::CopyS2E(src, dst)
                       : K::CopyS2J(src, dst, sw.kana_to_zen, sw.keep_kana, 0, &state);
  } else {
    to == K::EMODE_EUC ? K::CopyJ2E(src, dst, 0, &state)
                       : K::CopyJ2S(src, dst, sw.kana_to_zen, 0, &state);
  }
  if (to == K::EMODE_JIS) K::FlushXXX2jis(state, dst, nullptr);
  out.resize(static_cast<std::size_t>(dst - out.data()));
  return out;
}

// True when every ESC of the text starts a whole three- or four-byte sequence.
inline bool EscapesWhole(const std::string& text) {
  for (std::size_t at = text.find('\x1b'); at != std::string::npos;
       at = text.find('\x1b', at + 1)) {
    const std::size_t length = text.compare(at, 4, "\x1b$(D") == 0 ? 4 : 3;
    if (at + length > text.size()) return false;
  }
  return true;
}

// About `bytes` bytes from the start of a corpus file, ending after a LF.
inline std::string CorpusSlice(const std::string& name, std::size_t bytes) {
  const std::string text = ReadFile(SharedPath("corpus/" + name));
  if (text.size() <= bytes) return text;
  return text.substr(0, text.find('\n', bytes) + 1);
}

// Each line of a text, LF not included.
inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t lf; (lf = text.find('\n', start)) != std::string::npos; start = lf + 1)
    lines.push_back(text.substr(start, lf - start));
  return lines;
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_APPEND_SUPPORT_H
