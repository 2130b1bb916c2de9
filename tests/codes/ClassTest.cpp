// isKanji on what is no pair, and in a JIS text with its shift state (the classes of every cell
// of the grid are checked with the conversions).
#include <cctype>
#include <tuple>
#include <vector>

#include "support/ConvertSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Exact;
using mojiwa_test::Hex;
constexpr auto kUnset = static_cast<K::ETYPE>(99);

// What is no pair (0x83 0x7F neither) takes the class of its first byte, ASCII as C sees it.
TEST(ClassTest, IsKanjiInShiftJisAndEucOnWhatIsNoPair) {
  std::vector<std::pair<std::string, K::ETYPE>> rows = {
      {"", K::ETYPE_OTHER},     {"\xB1", K::ETYPE_KATAKANA}, {"\xDF", K::ETYPE_KATAKANA},
      {"\xA0", K::ETYPE_OTHER}, {"\x80", K::ETYPE_OTHER},    {"\x83\x7F", K::ETYPE_OTHER}};
  for (int b = 0x20; b <= 0x7F; ++b) {
    rows.push_back({std::string(1, char(b)), std::isdigit(b)   ? K::ETYPE_DIGIT
                                             : std::isalpha(b) ? K::ETYPE_ALPHA
                                             : std::iscntrl(b) ? K::ETYPE_OTHER
                                                               : K::ETYPE_MARK});
  }
  for (const auto& row : rows) {
    for (K::EMODE code : {K::EMODE_SJIS, K::EMODE_EUC}) {
      const auto text = Exact(row.first);
      const char* p = text.get();
      K::ETYPE type = kUnset;
      EXPECT_FALSE(K(code).isKanji(p, &type)) << code << ": " << Hex(row.first);
      EXPECT_TRUE(type == row.second && p == text.get()) << code << ": " << Hex(row.first);
    }
  }
}

// A JIS object steps over escapes and shift codes and follows the state; it gives a class only
// for a pair in the kanji set.
TEST(ClassTest, IsKanjiFollowsTheJisShiftState) {
  constexpr auto A = K::ESHIFT_ASCII, Kj = K::ESHIFT_KANJI, Kn = K::ESHIFT_KANA;
  const std::tuple<K::ESHIFT, std::string, bool, int, K::ESHIFT, K::ETYPE> rows[] = {
      {A, "\x1B$B\x30\x21", true, 3, Kj, K::ETYPE_OTHER},
      {A, "\x1Bx", false, 2, A, kUnset},
      {A, "\x30\x21", false, 0, A, kUnset},
      {Kj, "\x23\x41", true, 0, Kj, K::ETYPE_ALPHA},
      {Kj, "\x1B(Z\x25\x22", true, 3, Kj, K::ETYPE_KATAKANA},
      {Kj, "\x1B(BA", false, 3, A, kUnset},
      {Kj, "\n", true, 0, Kj, kUnset},
      {Kj, "\x1B$", true, 2, Kj, kUnset},  // cut short: stops on the terminator
      {Kn, "\x0E\x41", false, 1, A, kUnset},
      {A, "\x0F\x31", false, 1, Kn, kUnset},
      {Kn, "\x1B$@\x25\x21", true, 3, Kj, K::ETYPE_KATAKANA}};
  const K jis(K::EMODE_JIS);
  for (const auto& [before, bytes, kanji, moved, after, want] : rows) {
    const auto text = Exact(bytes);
    const char* p = text.get();
    K::ESHIFT shift = before;
    K::ETYPE type = kUnset;
    EXPECT_EQ(jis.isKanji(p, &type, &shift), kanji) << Hex(bytes);
    EXPECT_TRUE(p - text.get() == moved && shift == after && type == want) << Hex(bytes);
  }
  // Without a state pointer each call starts in the Roman set.
  const char* p = "\x1B$B\x30\x21";
  EXPECT_TRUE(jis.isKanji(p));
  EXPECT_FALSE(jis.isKanji(p));
}

}  // namespace
