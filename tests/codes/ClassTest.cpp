// Character classes: peAsciiType, the class predicates of the three codes over the whole 94x94
// grid, and isKanji for each output code, including the JIS shift state.
#include <cctype>

#include "support/DetectSupport.h"
#include "support/TestSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Exact;
using mojiwa_test::Hex;

TEST(ClassTest, AsciiTypeAgreesWithTheCLocale) {
  for (int b = 0x20; b <= 0x7F; ++b) {
    K::ETYPE expected = std::isdigit(b) ? K::ETYPE_DIGIT : K::ETYPE_MARK;
    if (std::isalpha(b)) expected = K::ETYPE_ALPHA;
    if (std::iscntrl(b)) expected = K::ETYPE_OTHER;
    EXPECT_EQ(K::peAsciiType[b - 0x20], expected) << std::hex << b;
  }
}

// Every cell has one class in all three codes, and the classes hold as many cells as the
// character set gives them: 52 letters, 10 digits, 86 katakana, 83 hiragana, 94 symbols in row 1.
// The Shift_JIS form is worked out here, independently of the library.
TEST(ClassTest, EveryCellHasOneClassInAllThreeCodes) {
  const K jis(K::EMODE_JIS), sjis(K::EMODE_SJIS), euc(K::EMODE_EUC);
  int count[6] = {};
  for (int row = 0x21; row <= 0x7E; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const int odd = (row - 0x21) % 2 == 0;
      const int lead = 0x81 + (row - 0x21) / 2 + (row >= 0x5F ? 0x40 : 0);
      const int trail = odd ? cell + (cell >= 0x60 ? 0x20 : 0x1F) : cell + 0x7E;
      const std::string forms[3] = {{char(row), char(cell)},
                                    {char(lead), char(trail)},
                                    {char(row | 0x80), char(cell | 0x80)}};
      const K* objects[3] = {&jis, &sjis, &euc};
      K::ETYPE types[3] = {};
      for (int code = 0; code < 3; ++code) {
        const char* p = forms[code].c_str();
        K::ESHIFT shift = K::ESHIFT_KANJI;
        ASSERT_TRUE(objects[code]->isKanji(p, &types[code], &shift)) << Hex(forms[code]);
        ASSERT_TRUE(types[code] == types[0] && p == forms[code].c_str()) << Hex(forms[code]);
      }
      ++count[types[0]];
    }
  }
  EXPECT_EQ(count[K::ETYPE_ALPHA], 52);
  EXPECT_EQ(count[K::ETYPE_DIGIT], 10);
  EXPECT_EQ(count[K::ETYPE_KATAKANA], 86);
  EXPECT_EQ(count[K::ETYPE_HIRAKANA], 83);
  EXPECT_EQ(count[K::ETYPE_MARK], 94);
}

// Rows for EMODE_AUTO are UTF-8 and tried in both codes; the others are bytes of that code.
TEST(ClassTest, IsKanjiClassifiesWithoutMovingInShiftJisAndEuc) {
  const struct {
    K::EMODE code;
    std::string text;
    bool pair;
    K::ETYPE type;
  } rows[] = {
      {K::EMODE_AUTO, u8"ｚ", true, K::ETYPE_ALPHA},
      {K::EMODE_AUTO, u8"９", true, K::ETYPE_DIGIT},
      {K::EMODE_AUTO, u8"ヶ", true, K::ETYPE_KATAKANA},
      {K::EMODE_AUTO, u8"あ", true, K::ETYPE_HIRAKANA},
      {K::EMODE_AUTO, u8"◇", true, K::ETYPE_MARK},   // last of row 1
      {K::EMODE_AUTO, u8"◆", true, K::ETYPE_OTHER},  // first of row 2
      {K::EMODE_AUTO, u8"亜", true, K::ETYPE_OTHER},
      {K::EMODE_AUTO, "A", false, K::ETYPE_ALPHA},
      {K::EMODE_AUTO, "7", false, K::ETYPE_DIGIT},
      {K::EMODE_AUTO, " ", false, K::ETYPE_MARK},
      {K::EMODE_AUTO, "~", false, K::ETYPE_MARK},
      {K::EMODE_AUTO, "\x7F", false, K::ETYPE_OTHER},
      {K::EMODE_AUTO, "\n", false, K::ETYPE_OTHER},
      {K::EMODE_AUTO, "", false, K::ETYPE_OTHER},
      {K::EMODE_SJIS, "\xB1", false, K::ETYPE_KATAKANA},
      {K::EMODE_SJIS, "\xA0", false, K::ETYPE_OTHER},
      {K::EMODE_SJIS, "\x80", false, K::ETYPE_OTHER},
      {K::EMODE_SJIS, "\x83\x7F", false, K::ETYPE_OTHER},  // the gap in the trail bytes
      {K::EMODE_SJIS, "\xE0\xA1", true, K::ETYPE_OTHER},   // a valid EUC pair too
      {K::EMODE_EUC, "\xB1", false, K::ETYPE_KATAKANA},
      {K::EMODE_EUC, "\x82\xA0", false, K::ETYPE_OTHER},  // Shift_JIS hiragana
      {K::EMODE_EUC, "\x8E\xB1", false, K::ETYPE_OTHER},  // single shift: not known
  };
  for (const auto& row : rows) {
    for (K::EMODE code : {K::EMODE_SJIS, K::EMODE_EUC}) {
      if (row.code != K::EMODE_AUTO && row.code != code) continue;
      const auto text =
          Exact(row.code == K::EMODE_AUTO ? mojiwa_test::InCode(code, row.text) : row.text);
      SCOPED_TRACE(std::string(mojiwa_test::CodeName(code)) + ": " + Hex(text.get()));
      const char* p = text.get();
      K::ETYPE type = K::ETYPE_ALPHA;
      EXPECT_EQ(K(code).isKanji(p), row.pair);
      EXPECT_EQ(K(code).isKanji(p, &type), row.pair);
      EXPECT_EQ(type, row.type);
      EXPECT_EQ(p, text.get());
    }
  }
  // isKanji never asks about these (no Shift_JIS pair has trail 0x7F), but callers may.
  EXPECT_FALSE(K::isMarkSJIS("\x81\x7F") || K::isKatakanaSJIS("\x83\x7F"));
}

// A JIS object steps over escapes and shift codes and follows the state. It gives a class only
// for a pair in the kanji set, and leaves *peType alone elsewhere.
TEST(ClassTest, IsKanjiFollowsTheJisShiftState) {
  constexpr auto kSame = static_cast<K::ETYPE>(99);
  constexpr auto kAscii = K::ESHIFT_ASCII, kKanji = K::ESHIFT_KANJI, kKana = K::ESHIFT_KANA;
  const struct {
    K::ESHIFT before;
    std::string bytes;
    bool kanji;
    std::ptrdiff_t moved;
    K::ESHIFT after;
    K::ETYPE type;
  } rows[] = {
      {kAscii, "\x1B$B\x30\x21", true, 3, kKanji, K::ETYPE_OTHER},
      {kAscii, "\x1Bx", false, 2, kAscii, kSame},
      {kAscii, "\x30\x21", false, 0, kAscii, kSame},
      {kKanji, "\x23\x41", true, 0, kKanji, K::ETYPE_ALPHA},
      {kKanji, "\x24\x22", true, 0, kKanji, K::ETYPE_HIRAKANA},
      {kKanji, "\x21\x21", true, 0, kKanji, K::ETYPE_MARK},
      {kKanji, "\x1B(Z\x25\x22", true, 3, kKanji, K::ETYPE_KATAKANA},
      {kKanji, "\x1B(BA", false, 3, kAscii, kSame},
      {kKanji, "\n", true, 0, kKanji, kSame},
      {kKanji, "\x1B$", true, 2, kKanji, kSame},  // cut short: stops on the terminator
      {kKana, "\x0E\x41", false, 1, kAscii, kSame},
      {kAscii, "\x0F\x31", false, 1, kKana, kSame},
      {kKana, "\x1B$@\x25\x21", true, 3, kKanji, K::ETYPE_KATAKANA},
  };
  const K jis(K::EMODE_JIS);
  for (const auto& row : rows) {
    SCOPED_TRACE(Hex(row.bytes));
    const auto text = Exact(row.bytes);
    const char* p = text.get();
    K::ESHIFT shift = row.before;
    K::ETYPE type = kSame;
    EXPECT_EQ(jis.isKanji(p, &type, &shift), row.kanji);
    EXPECT_EQ(p - text.get(), row.moved);
    EXPECT_EQ(shift, row.after);
    EXPECT_EQ(type, row.type);
  }
  // Without a state pointer each call starts in the Roman set.
  const char* p = "\x1B$B\x30\x21";
  EXPECT_TRUE(jis.isKanji(p));
  EXPECT_FALSE(jis.isKanji(p));
}

}  // namespace
