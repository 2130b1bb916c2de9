// Replace in both forms: matches on whole characters without overlap, texts read in the input
// code, the object form's conversion of the replacement, and counts over the corpus.
#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using ReplaceTest = AccountingTest;

TEST_F(ReplaceTest, WorkedExamplesInEachCode) {
  // Text, pattern, replacement and result in UTF-8 (given in the object's code), and the count.
  const std::tuple<const char*, const char*, const char*, const char*, int> rows[] = {
      {"banana", "a", "xy", "bxynxynxy", 3},
      {"banana", "ana", ".", "b.na", 1},
      {u8"東京都", u8"京", u8"大阪", u8"東大阪都", 1},
      {u8"漢字かな", "x", "y", u8"漢字かな", 0},
      {"", "a", "b", "", 0},
      {"banana", "", "x", "banana", 0},
      {u8"漢x", "x", "y", u8"漢y", 1},
      {u8"漢x", "B", "y", u8"漢x", 0},       // not in the escape sequence of JIS
      {u8"アA", "A", "B", u8"アB", 1},       // nor in the second byte 0x41 of ア in Shift_JIS
      {u8"ぐ、", u8"亜", "x", u8"ぐ、", 0},  // nor across a b0|a1 boundary in EUC-JP
  };
  for (const auto& [text, pattern, replacement, want, count] : rows) {
    for (K::EMODE code : Codes()) {
      K k(InCode(code, text).c_str(), code, code);
      EXPECT_EQ(k.Replace(InCode(code, pattern).c_str(), InCode(code, replacement).c_str()), count)
          << text << " / " << pattern << " / " << CodeName(code);
      // A JIS object gets an escape pair around every run and replacement: compare the reading.
      EXPECT_EQ(code == K::EMODE_JIS ? Iconv(k.GetBuff(), "ISO-2022-JP", "UTF-8") : k.GetBuff(),
                code == K::EMODE_JIS ? want : InCode(code, want));
    }
  }
  K jis("\x1B$B\x1B$B\x30\x21\x1B(Bx", K::EMODE_JIS, K::EMODE_JIS);
  EXPECT_EQ(jis.Replace("z", "y"), 0);
  EXPECT_EQ(Hex(jis.GetBuff()), Hex("\x1B$B\x30\x21\x1B(Bx"));  // rebuilt although nothing matched
}

// Where a run of bytes that may all lead a pair stands before a candidate, the pairs count off
// from the run's start: the candidate is a second byte or not by the run's length.
TEST_F(ReplaceTest, MatchesOnlyWhereTheCharacterWalkStands) {
  // Code, text, pattern, result (replacement "_"), count.
  const std::tuple<K::EMODE, const char*, const char*, const char*, int> rows[] = {
      {K::EMODE_SJIS, "\x88\x88\x88\x41", "A", "\x88\x88\x88\x41", 0},
      {K::EMODE_SJIS, "a\x88\x88\x41", "A", "a\x88\x88_", 1},
      {K::EMODE_SJIS, "\x88\x88\x88\x88\x88", "\x88\x88", "__\x88", 2},
      {K::EMODE_EUC, "\xA1\xB0\xB0\xB0", "\xB0\xB0", "\xA1\xB0_", 1},
      {K::EMODE_EUC, "\xB0\xB0\xB0\xA1", "\xB0\xA1", "\xB0\xB0_", 1},
  };
  for (const auto& [code, text, pattern, want, count] : rows) {
    K k(text, code, code);
    EXPECT_EQ(k.Replace(pattern, "_"), count) << Hex(text);
    EXPECT_EQ(Hex(k.GetBuff()), Hex(want));
  }
}

// A derived class that sees every byte as a character of its own is asked character by
// character, so matches, removals and the split may start on any byte.
TEST_F(ReplaceTest, AnOverriddenIsKanjiDecidesWhereCharactersStart) {
  struct Bytewise : K {
    using K::K;
    bool isKanji(const char*&, ETYPE*, ESHIFT*) const override { return false; }
  };
  Bytewise k("\x83\x41"), cleaned("\x83\x41");
  K same, this_rest, other_rest;
  EXPECT_EQ(k.Replace("A", "B"), 1);
  EXPECT_EQ(cleaned.Clean(K("A")), 1);
  EXPECT_EQ(k.Compare(K("\x83\x43"), same, this_rest, other_rest), 'B' - 'C');
  EXPECT_EQ(Hex(k.GetBuff()) + " / " + Hex(cleaned.GetBuff()) + " / " + Hex(same.GetBuff()),
            "83 42 / 83 / 83");
}

// Texts come in the input code: EUC-JP for a Shift_JIS object; a CR dropped on its way into
// EUC-JP leaves an empty pattern; with AUTO, a replacement that reveals EUC-JP must not convert
// the runs again (half-width ｱｲ, b1 b2, also reads as an EUC-JP kanji). Objects come in their own
// code, the replacement converted into the pattern's.
TEST_F(ReplaceTest, TextsAreReadInTheInputCodeAndObjectsInTheirOwn) {
  K sjis(Sjis(u8"東京都").c_str()), euc("a\rb", K::EMODE_EUC, K::EMODE_EUC);
  K detect(Sjis(u8"ｱｲabcｳｴ").c_str()), jis(Jis(u8"東京と京").c_str(), K::EMODE_JIS, K::EMODE_JIS);
  sjis.SetInputMode(K::EMODE_EUC);
  euc.SetInputMode(K::EMODE_SJIS);
  detect.SetInputMode(K::EMODE_AUTO);
  EXPECT_EQ(sjis.Replace(Euc(u8"京").c_str(), Euc(u8"大阪").c_str()), 1);
  EXPECT_EQ(Hex(sjis.GetBuff()), Hex(Sjis(u8"東大阪都")));
  EXPECT_EQ(euc.Replace("\r", "x"), 0);
  EXPECT_STREQ(euc.GetBuff(), "a\rb");
  EXPECT_EQ(detect.Replace("abc", Euc(u8"東京").c_str()), 1);
  EXPECT_EQ(Hex(detect.GetBuff()), Hex(Sjis(u8"ｱｲ東京ｳｴ")));
  EXPECT_EQ(
      jis.Replace(K(Euc(u8"京").c_str(), K::EMODE_EUC, K::EMODE_EUC), K(Sjis(u8"都").c_str())), 2);
  EXPECT_EQ(jis.Replace(K(), K("x")), 0);  // a pattern without a buffer
  EXPECT_EQ(Iconv(jis.GetBuff(), "ISO-2022-JP", "UTF-8"), u8"東都と都");
  EXPECT_EQ(std::make_pair(detect.GetModeInput(), jis.GetModeInput()),
            std::make_pair(K::EMODE_AUTO, K::EMODE_JIS));
}

// The UTF-8 file holds the same text, so counting there counts whole characters.
TEST_F(ReplaceTest, CorpusReplacedByItselfOrCleanedOfNothingIsUnchanged) {
  if (!HaveShared()) GTEST_SKIP() << "no corpus";
  MemLimitScope unlimited(0);
  const std::string utf8 = Corpus("ja-utf8.txt");
  for (const CorpusFile& file : {kCorpus[0], kCorpus[1]}) {
    const std::string text = Corpus(file.name);
    K k(text.c_str(), file.code, file.code, true, false, false, false, 1 << 20);
    for (const char* what : {"\\", u8"表", u8"の"}) {  // '\' is also a trail byte of 表
      int want = 0;
      for (auto at = utf8.find(what); at != std::string::npos; at = utf8.find(what, at + 1)) ++want;
      const std::string pattern = InCode(file.code, what);
      EXPECT_EQ(k.Replace(pattern.c_str(), pattern.c_str()), want) << file.name << " " << what;
      EXPECT_TRUE(k.GetBuff() == text);
    }
    EXPECT_EQ(k.Clean(K(file.code, file.code)), 0);
    EXPECT_TRUE(k.GetBuff() == text);
  }
}

}  // namespace
}  // namespace mojiwa_test
