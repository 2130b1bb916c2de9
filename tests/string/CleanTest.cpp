// Clean, CleanJIS, the index operator and the conversion to int.
#include <climits>
#include <string>

#include "support/TextOpsSupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::CodeName;
using mojiwa_test::CodesOf;
using mojiwa_test::Hex;
using mojiwa_test::InCode;
using mojiwa_test::kAllCodes;
using mojiwa_test::Load;
using mojiwa_test::MemLimitScope;
using CleanTest = AccountingTest;

TEST_F(CleanTest, RemovesListedCharactersByCode) {
  struct Row {
    const char* what;
    CKanji::EMODE list_code;  // the list is converted into the text's code first
    const char* list;         // UTF-8
    const char* text;
    const char* expected;
    int count;
  };
  const Row rows[] = {
      {"empty list", CKanji::EMODE_SJIS, "", "a b", "a b", 0},
      {"empty text", CKanji::EMODE_SJIS, " ", "", "", 0},
      {"blanks of both widths", CKanji::EMODE_SJIS, " \t　", "a b\tc　d　", "abcd", 4},
      {"full-width A only", CKanji::EMODE_EUC, "Ａ", "AＡAＡ", "AA", 2},
      {"ASCII A only", CKanji::EMODE_JIS, "A", "AＡAＡ", "ＡＡ", 2},
      {"a repeated entry counts once", CKanji::EMODE_SJIS, "ＡＡ", "ＡbＡ", "b", 2},
      {"everything", CKanji::EMODE_EUC, "漢a", "a漢a", "", 3},
  };
  for (const Row& row : rows) {
    for (CKanji::EMODE code : CodesOf(kAllCodes)) {
      SCOPED_TRACE(std::string(row.what) + " / " + CodeName(code));
      CKanji k(code, CKanji::EMODE_AUTO);
      Load(k, InCode(code, row.text));
      const CKanji list(InCode(row.list_code, row.list).c_str(), row.list_code, row.list_code);
      const std::string list_before = list.GetBuff();
      EXPECT_EQ(k.Clean(list), row.count);
      EXPECT_EQ(Hex(k.GetBuff()), Hex(InCode(code, row.expected)));
      EXPECT_EQ(k.GetModeInput(), CKanji::EMODE_AUTO);
      EXPECT_EQ(list.GetBuff(), list_before);
    }
  }
}

TEST_F(CleanTest, WalksTheTextCharacterByCharacter) {
  struct Row {
    const char* what;
    CKanji::EMODE code;
    const char* list;  // in the text's code
    const char* text;
    const char* expected;
    int count;
  };
  const Row rows[] = {
      {"second byte of ア is A", CKanji::EMODE_SJIS, "A", "\x83\x41\x41", "\x83\x41", 1},
      {"second byte of ソ is a backslash", CKanji::EMODE_SJIS, "\\", "\\\x83\x5C", "\x83\x5C", 1},
      // EUC-JP half-width katakana (8e xx) are single bytes to the walk, in the list and in the
      // text alike: each byte is removed wherever it stands alone.
      {"single-shift bytes", CKanji::EMODE_EUC, "\x8E\xB1",
       "\x8E\xB1"
       "a\x8E",
       "a", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CKanji k(row.code, row.code);
    Load(k, row.text);
    EXPECT_EQ(k.Clean(CKanji(row.list, row.code, row.code)), row.count);
    EXPECT_EQ(Hex(k.GetBuff()), Hex(row.expected));
  }
}

TEST_F(CleanTest, CleanJisKeepsOnlyTheEscapesItNeeds) {
  struct Row {
    const char* what;
    CKanji::EMODE code;
    bool keep_kana;
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {"Shift_JIS untouched", CKanji::EMODE_SJIS, false, "\x8A\xBF\x1B$Ba", "\x8A\xBF\x1B$Ba"},
      {"EUC-JP untouched", CKanji::EMODE_EUC, false, "\xB4\xC1\x1B(B", "\xB4\xC1\x1B(B"},
      {"repeated kanji escape", CKanji::EMODE_JIS, false, "\x1B$B\x1B$B\x30\x21\x1B(B",
       "\x1B$B\x30\x21\x1B(B"},
      {"empty kanji run", CKanji::EMODE_JIS, false, "\x1B$B\x1B(Bx", "x"},
      {"other designations", CKanji::EMODE_JIS, false, "\x1B$@\x30\x21\x1B(Jx",
       "\x1B$B\x30\x21\x1B(Bx"},
      {"kana set made full width", CKanji::EMODE_JIS, false, "\x0F\x31\x0E",
       "\x1B$B\x25\x22\x1B(B"},
      {"kana set kept", CKanji::EMODE_JIS, true, "\x0F\x31\x0E", "\x0F\x31\x1B(B"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CKanji k(row.code, row.code, true, false, false, row.keep_kana);
    Load(k, row.text);
    k.CleanJIS();
    EXPECT_EQ(Hex(k.GetBuff()), Hex(row.expected));
    // Clean with an empty list rewrites a JIS text the same way and leaves the others alone.
    CKanji c(row.code, row.code, true, false, false, row.keep_kana);
    Load(c, row.text);
    EXPECT_EQ(c.Clean(CKanji()), 0);
    EXPECT_EQ(Hex(c.GetBuff()), Hex(row.expected));
  }
}

TEST_F(CleanTest, CorpusWithEmptyListIsUnchanged) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  MemLimitScope unlimited(0);
  for (const char* file : {"corpus/ja-sjis.txt", "corpus/ja-euc.txt"}) {
    SCOPED_TRACE(file);
    const CKanji::EMODE code = std::string(file).find("sjis") != std::string::npos
                                   ? CKanji::EMODE_SJIS
                                   : CKanji::EMODE_EUC;
    const std::string text = mojiwa_test::ReadFile(mojiwa_test::SharedPath(file));
    CKanji k(code, code, true, false, false, false, 1 << 20);
    Load(k, text);
    EXPECT_EQ(k.Clean(CKanji(code, code)), 0);
    EXPECT_TRUE(k.GetBuff() == text);
  }
}

TEST_F(CleanTest, IndexReadsStoredBytesAndZeroOutside) {
  struct Row {
    CKanji::EMODE code;
    const char* text;  // UTF-8; null: an object that never had a buffer
    int index;
    int expected;
  };
  const Row rows[] = {
      {CKanji::EMODE_SJIS, nullptr, 0, 0}, {CKanji::EMODE_SJIS, "ab", 1, 'b'},
      {CKanji::EMODE_SJIS, "ab", 2, 0},    {CKanji::EMODE_SJIS, "ab", 3, 0},
      {CKanji::EMODE_SJIS, "ab", -1, 0},   {CKanji::EMODE_EUC, "ab", INT_MIN, 0},
      {CKanji::EMODE_JIS, "漢", 0, 0x1B},  {CKanji::EMODE_JIS, "漢", 3, 0x34},
      {CKanji::EMODE_EUC, "漢", 1, 0xC1},  {CKanji::EMODE_JIS, "漢", 8, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(CodeName(row.code)) + " " + std::to_string(row.index));
    CKanji k(row.code, row.code);
    if (row.text != nullptr) Load(k, InCode(row.code, row.text));
    EXPECT_EQ(static_cast<unsigned char>(k[row.index]), row.expected);
  }
}

TEST_F(CleanTest, IntReadsTheLeadingNumberWithFullWidthDigits) {
  struct Row {
    const char* text;
    int expected;
  };
  const Row rows[] = {
      {"123", 123},
      {"１２３", 123},
      {" 42", 42},
      {"42abc", 42},
      {"abc", 0},
      {"-7", -7},
      {"−７", 0},
      {"１ａ２", 1},
      {"", 0},
      {"漢123", 0},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
  };
  for (const Row& row : rows) {
    for (CKanji::EMODE code : CodesOf(kAllCodes)) {
      SCOPED_TRACE(std::string(row.text) + " / " + CodeName(code));
      CKanji k(code, code);
      Load(k, InCode(code, row.text));
      const std::string before = k.GetBuff();
      EXPECT_EQ(static_cast<int>(k), row.expected);
      EXPECT_EQ(k.GetBuff(), before);
    }
  }
  EXPECT_EQ(static_cast<int>(CKanji()), 0);
}

}  // namespace
