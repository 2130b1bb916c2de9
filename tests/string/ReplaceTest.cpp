// Replace in both forms: matches on whole characters without overlap, texts read in the input
// code, the object form's conversion of the replacement, and counts over the corpus.
#include <cstring>
#include <string>

#include "support/TextOpsSupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::CodeName;
using mojiwa_test::CodesOf;
using mojiwa_test::Euc;
using mojiwa_test::FailNothrowNew;
using mojiwa_test::Hex;
using mojiwa_test::Iconv;
using mojiwa_test::InCode;
using mojiwa_test::Jis;
using mojiwa_test::kAllCodes;
using mojiwa_test::Load;
using mojiwa_test::MemLimitScope;
using mojiwa_test::Sjis;
using ReplaceTest = AccountingTest;

TEST_F(ReplaceTest, ReplacesEveryOccurrenceWithoutOverlap) {
  struct Row {
    const char* what;
    const char* text;  // UTF-8; all four texts are given in the object's code
    const char* pattern;
    const char* replacement;
    const char* expected;
    int count;
  };
  const Row rows[] = {
      {"longer replacement", "banana", "a", "xy", "bxynxynxy", 3},
      {"no overlap", "banana", "ana", ".", "b.na", 1},
      {"two-byte, no overlap", "ａａａ", "ａａ", "b", "bａ", 1},
      {"kanji", "東京都", "京", "大阪", "東大阪都", 1},
      {"empty replacement", "banana", "a", "", "bnn", 3},
      {"no match", "漢字かな", "x", "y", "漢字かな", 0},
      {"itself", "のはのの", "の", "の", "のはのの", 3},
      {"empty text", "", "a", "b", "", 0},
      {"empty pattern", "banana", "", "x", "banana", 0},
      {"after kanji", "漢x", "x", "y", "漢y", 1},
      {"escape bytes are not text", "漢x", "B", "y", "漢x", 0},
  };
  for (const Row& row : rows) {
    for (CKanji::EMODE code : CodesOf(kAllCodes)) {
      SCOPED_TRACE(std::string(row.what) + " / " + CodeName(code));
      CKanji k(code, code);
      Load(k, InCode(code, row.text));
      EXPECT_EQ(k.Replace(InCode(code, row.pattern).c_str(), InCode(code, row.replacement).c_str()),
                row.count);
      // Each append to a JIS object ends in the Roman set, so the JIS text comes back with an
      // escape pair around every run and every replacement: compare what it reads as.
      if (code == CKanji::EMODE_JIS) {
        EXPECT_EQ(Iconv(k.GetBuff(), "ISO-2022-JP", "UTF-8"), row.expected);
      } else {
        EXPECT_EQ(Hex(k.GetBuff()), Hex(InCode(code, row.expected)));
      }
    }
  }
}

TEST_F(ReplaceTest, MatchesStartOnlyWhereCharactersStart) {
  struct Row {
    const char* what;
    CKanji::EMODE code;
    const char* text;
    const char* pattern;
    const char* expected;
    int count;
  };
  const Row rows[] = {
      {"katakana a is 83 41", CKanji::EMODE_SJIS, "\x83\x41\x41", "A", "\x83\x41\x42", 1},
      {"bytes across two characters", CKanji::EMODE_SJIS, "\x83\x41\x83\x41", "\x41\x83",
       "\x83\x41\x83\x41", 0},
      {"bytes across two characters", CKanji::EMODE_EUC, "\xB0\xA1\xB0\xA1", "\xA1\xB0",
       "\xB0\xA1\xB0\xA1", 0},
      // The JIS text is rebuilt as the library writes it, also without a match.
      {"redundant escapes go", CKanji::EMODE_JIS, "\x1B$B\x1B$B\x30\x21\x1B(B", "z",
       "\x1B$B\x30\x21\x1B(B", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CKanji k(row.code, row.code);
    Load(k, row.text);
    EXPECT_EQ(k.Replace(row.pattern, "B"), row.count);
    EXPECT_EQ(Hex(k.GetBuff()), Hex(row.expected));
  }
}

TEST_F(ReplaceTest, TextsAreReadInTheInputCode) {
  CKanji sjis(CKanji::EMODE_SJIS, CKanji::EMODE_EUC);
  Load(sjis, Sjis("東京都"));
  EXPECT_EQ(sjis.Replace(Euc("京").c_str(), Euc("大阪").c_str()), 1);
  EXPECT_EQ(Hex(sjis.GetBuff()), Hex(Sjis("東大阪都")));

  // A CR is dropped on its way into EUC-JP, which leaves nothing to look for.
  CKanji euc(CKanji::EMODE_EUC, CKanji::EMODE_SJIS);
  Load(euc, "a\rb");
  EXPECT_EQ(euc.Replace("\r", "x"), 0);
  EXPECT_STREQ(euc.GetBuff(), "a\rb");
}

TEST_F(ReplaceTest, DetectedReplacementLeavesEarlierRunsAlone) {
  // Half-width ｱｲ (b1 b2) also reads as an EUC-JP pair: converting the runs a second time, from
  // the code that the replacement revealed, would turn them into a kanji.
  CKanji k(CKanji::EMODE_SJIS, CKanji::EMODE_AUTO, true);
  Load(k, Sjis("ｱｲabcｳｴ"));
  const std::string replacement = Euc("東京");
  ASSERT_EQ(CKanji::CheckCode(replacement.c_str()), CKanji::EMODE_EUC);
  EXPECT_EQ(k.Replace("abc", replacement.c_str()), 1);
  EXPECT_EQ(Hex(k.GetBuff()), Hex(Sjis("ｱｲ東京ｳｴ")));
  EXPECT_EQ(k.GetModeInput(), CKanji::EMODE_AUTO);
}

TEST_F(ReplaceTest, ObjectFormConvertsTheReplacementIntoThePatternCode) {
  CKanji k(CKanji::EMODE_JIS, CKanji::EMODE_SJIS);
  Load(k, Jis("東京と京"));
  const CKanji pattern(Euc("京").c_str(), CKanji::EMODE_EUC, CKanji::EMODE_EUC);
  const CKanji replacement(Sjis("都").c_str(), CKanji::EMODE_SJIS, CKanji::EMODE_SJIS);
  EXPECT_EQ(k.Replace(pattern, replacement), 2);
  EXPECT_EQ(Iconv(k.GetBuff(), "ISO-2022-JP", "UTF-8"), "東都と都");
  EXPECT_EQ(k.GetModeInput(), CKanji::EMODE_SJIS);
  const std::string before = k.GetBuff();
  EXPECT_EQ(k.Replace(CKanji(), replacement), 0);  // a pattern without a buffer
  EXPECT_EQ(k.GetBuff(), before);
}

TEST_F(ReplaceTest, UnallocatedReplacementCopyThrowsAndChangesNothing) {
  CKanji k(CKanji::EMODE_SJIS, CKanji::EMODE_JIS);
  Load(k, "abc");
  const CKanji pattern("b", CKanji::EMODE_EUC, CKanji::EMODE_EUC);
  const CKanji replacement("x", CKanji::EMODE_SJIS, CKanji::EMODE_SJIS);
  FailNothrowNew fail;
  try {
    k.Replace(pattern, replacement);
    ADD_FAILURE() << "no throw";
  } catch (const CThrowErr& err) {
    EXPECT_STREQ(err.pcFunction, "CKanji::Replace");
    EXPECT_EQ(err.nLine, 2917);
    EXPECT_EQ(Iconv(err.pcMessage, "SHIFT_JIS", "UTF-8"),
              "作業用バッファ確保失敗(new演算子の戻り値がNULL)");
  }
  EXPECT_TRUE(fail.Fired());
  EXPECT_STREQ(k.GetBuff(), "abc");
  EXPECT_EQ(k.GetModeInput(), CKanji::EMODE_JIS);
}

// Occurrences that start where a character starts, without overlap; a two-byte character by the
// code's own lead-byte rule (the corpus holds only whole characters).
size_t CountAtCharacters(const std::string& text, const std::string& pattern, CKanji::EMODE code) {
  size_t count = 0;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, pattern.size(), pattern) == 0) {
      ++count;
      i += pattern.size();
      continue;
    }
    const auto b = static_cast<unsigned char>(text[i]);
    const bool lead = code == CKanji::EMODE_SJIS
                          ? (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xEF)
                          : b >= 0xA1;
    i += lead ? 2 : 1;
  }
  return count;
}

TEST_F(ReplaceTest, CorpusReplacedByItselfIsUnchangedAndCounted) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  MemLimitScope unlimited(0);
  for (CKanji::EMODE code : {CKanji::EMODE_SJIS, CKanji::EMODE_EUC}) {
    SCOPED_TRACE(CodeName(code));
    const std::string text = mojiwa_test::ReadFile(mojiwa_test::SharedPath(
        code == CKanji::EMODE_SJIS ? "corpus/ja-sjis.txt" : "corpus/ja-euc.txt"));
    CKanji k(code, code, true, false, false, false, 1 << 20);
    Load(k, text);
    // A backslash is also the second byte of ソ and 表 in Shift_JIS.
    for (const char* utf8 : {"\\", "表", "の"}) {
      SCOPED_TRACE(utf8);
      const std::string pattern = InCode(code, utf8);
      EXPECT_EQ(static_cast<size_t>(k.Replace(pattern.c_str(), pattern.c_str())),
                CountAtCharacters(text, pattern, code));
      EXPECT_TRUE(k.GetBuff() == text);
    }
  }
}

}  // namespace
