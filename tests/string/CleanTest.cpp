// Clean, CleanJIS, the index operator and the conversion to int.
#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using CleanTest = AccountingTest;

TEST_F(CleanTest, RemovesListedCharactersInEachCode) {
  // The list's code (it is converted into the text's first), list, text and result in UTF-8, count.
  const std::tuple<K::EMODE, const char*, const char*, const char*, int> rows[] = {
      {K::EMODE_SJIS, "", "a b", "a b", 0},
      {K::EMODE_SJIS, " ", "", "", 0},
      {K::EMODE_SJIS, u8" \t　", u8"a b\tc　d　", "abcd", 4},
      {K::EMODE_EUC, u8"Ａ", u8"AＡAＡ", "AA", 2},
      {K::EMODE_JIS, "A", u8"AＡAＡ", u8"ＡＡ", 2},
      {K::EMODE_SJIS, u8"ＡＡ", u8"ＡbＡ", "b", 2},     // a repeated entry counts once
      {K::EMODE_EUC, "A\\", u8"アA\\ソ", u8"アソ", 2},  // ア is 83 41 and ソ 83 5c in Shift_JIS
      {K::EMODE_SJIS, "ab", "abba", "", 4},             // nothing left
      {K::EMODE_EUC, u8"あ", u8"あいう", u8"いう", 1},  // い and う share the lead of あ
  };
  for (const auto& [list_code, list_text, text, want, count] : rows) {
    for (K::EMODE code : Codes()) {
      K k(InCode(code, text).c_str(), code, code);
      k.SetInputMode(K::EMODE_AUTO);
      const K list(InCode(list_code, list_text).c_str(), list_code, list_code);
      EXPECT_EQ(k.Clean(list), count) << list_text << " from " << text << " in " << code;
      EXPECT_EQ(Hex(k.GetBuff()), Hex(InCode(code, want)));
      EXPECT_EQ(k.GetModeInput(), K::EMODE_AUTO);
      EXPECT_EQ(list.GetBuff(), InCode(list_code, list_text));
    }
  }
  // EUC-JP half-width katakana (8e xx) are two single bytes to the walk, in the list and the text.
  K euc("\x8E\xB1\x61\x8E\xB2", K::EMODE_EUC, K::EMODE_EUC);
  EXPECT_EQ(euc.Clean(K("\x8E\xB1", K::EMODE_EUC, K::EMODE_EUC)), 3);
  EXPECT_EQ(Hex(euc.GetBuff()), "61 b2");
}

// Clean with an empty list rewrites a JIS text as CleanJIS does and leaves the others alone.
TEST_F(CleanTest, CleanJisKeepsOnlyTheEscapesItNeeds) {
  // Code, bKeepKana, text, result.
  const std::tuple<K::EMODE, bool, const char*, const char*> rows[] = {
      {K::EMODE_SJIS, false, "\x8A\xBF\x1B$Ba", "\x8A\xBF\x1B$Ba"},
      {K::EMODE_JIS, false, "\x1B$B\x1B$B\x30\x21\x1B(B", "\x1B$B\x30\x21\x1B(B"},
      {K::EMODE_JIS, false, "\x1B$B\x1B(Bx", "x"},
      {K::EMODE_JIS, false, "\x1B$@\x30\x21\x1B(Jx", "\x1B$B\x30\x21\x1B(Bx"},
      {K::EMODE_JIS, false, "\x0F\x31\x0E", "\x1B$B\x25\x22\x1B(B"},
      {K::EMODE_JIS, true, "\x0F\x31\x0E", "\x0F\x31\x1B(B"},
  };
  for (const auto& [code, keep_kana, text, want] : rows) {
    K k(text, code, code, true, false, false, keep_kana), c(k);
    k.CleanJIS();
    EXPECT_EQ(c.Clean(K()), 0);
    EXPECT_EQ(Hex(k.GetBuff()) + " / " + Hex(c.GetBuff()), Hex(want) + " / " + Hex(want));
  }
}

TEST_F(CleanTest, IndexReadsStoredBytesAndZeroOutside) {
  const K empty, ab("ab"), jis(Jis(u8"漢").c_str(), K::EMODE_JIS, K::EMODE_JIS);
  const std::pair<char, int> rows[] = {{empty[0], 0},  {ab[1], 'b'}, {ab[2], 0},
                                       {ab[3], 0},     {ab[-1], 0},  {ab[INT_MIN], 0},
                                       {jis[3], 0x34}, {jis[8], 0},  {jis[0], 0x1B}};
  for (const auto& row : rows) {
    EXPECT_EQ(static_cast<unsigned char>(row.first), row.second) << "row " << &row - rows;
  }
}

// Full-width digits count; a number beyond int is held at the nearest end.
TEST_F(CleanTest, IntReadsTheLeadingNumberWithFullWidthDigits) {
  const char* const texts[] = {u8"１２３", " 42abc", "-7", u8"−７", u8"漢123", "99999999999"};
  const int wants[] = {123, 42, -7, 0, 0, INT_MAX};
  for (std::size_t i = 0; i < std::size(texts); ++i) {
    for (K::EMODE code : Codes()) {
      const K k(InCode(code, texts[i]).c_str(), code, code);
      EXPECT_EQ(static_cast<int>(k), wants[i]) << texts[i] << " in " << CodeName(code);
      EXPECT_EQ(k.GetBuff(), InCode(code, texts[i]));
    }
  }
  EXPECT_EQ(static_cast<int>(K()), 0);
}

}  // namespace
}  // namespace mojiwa_test
