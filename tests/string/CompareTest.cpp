// Comparison across codes: equality and order of the texts in the comparison code, the split of
// the four-argument Compare, and the objects and input codes left as found.
#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using CompareTest = AccountingTest;

// Texts in UTF-8, held in the row's code: the byte difference in the comparison code, the answer
// with the prefix switch on, and the split (common part|this rest|other rest) into every code.
TEST_F(CompareTest, EdgesAndTheSplit) {
  const std::tuple<K::EMODE, const char*, const char*, int, int, const char*> rows[] = {
      {K::EMODE_SJIS, "abcx", "abdy", -1, -1, "ab|cx|dy"},
      {K::EMODE_SJIS, "abc", "abc", 0, 0, "abc||"},
      {K::EMODE_SJIS, "ab", "abc", -99, 0, "ab||c"},
      {K::EMODE_EUC, "abc", "ab", 99, 99, "ab|c|"},
      {K::EMODE_SJIS, "", "x", -120, 0, "||x"},
      {K::EMODE_SJIS, "a", u8"Ａ", 'a' - 0x82, 'a' - 0x82, u8"|a|Ａ"},
      {K::EMODE_SJIS, u8"aあ", u8"aい", -2, -2, u8"a|あ|い"},
      {K::EMODE_EUC, u8"亜", "a", 0xB0 - 'a', 0xB0 - 'a', u8"|亜|a"},
      {K::EMODE_JIS, u8"x漢字", u8"x漢a", 0x8E - 'a', 0x8E - 'a', u8"x漢|字|a"},
  };
  for (const auto& [code, mine_utf8, other_utf8, want, prefix, split] : rows) {
    const std::string mine = InCode(code, mine_utf8), other = InCode(code, other_utf8);
    const K k(mine.c_str(), code, code), o(other.c_str(), code, code);
    SCOPED_TRACE(std::string(mine_utf8) + " against " + other_utf8);
    EXPECT_EQ(std::make_tuple(k.Compare(other.c_str()), k.Compare(o), k == o, k < o),
              std::make_tuple(want, want, want == 0, want < 0));
    EXPECT_EQ(std::make_pair(k.Compare(other.c_str(), true), k.Compare(o, true)),
              std::make_pair(prefix, prefix));
    if (code != K::EMODE_JIS) {
      EXPECT_EQ(K::strcmp(mine.c_str(), other.c_str()), want);
    }
    for (K::EMODE out : Codes()) {
      K same(out, K::EMODE_AUTO), this_rest(out, K::EMODE_AUTO), other_rest(out, K::EMODE_AUTO);
      EXPECT_EQ(k.Compare(o, same, this_rest, other_rest), want);
      EXPECT_EQ(std::string(same) + "|" + this_rest.GetBuff() + "|" + other_rest.GetBuff(),
                InCode(out, split))
          << CodeName(out);
      EXPECT_EQ(same.GetModeInput(), K::EMODE_AUTO);
    }
  }
}

// The split starts on the character that holds the first differing byte, found back through
// bytes that may all lead a pair; long equal stretches are compared a block at a time.
TEST_F(CompareTest, SplitStartsOnTheCharacterOfTheFirstDifference) {
  const std::string a1500(1500, 'a'), b1500 = std::string(1499, 'a') + "\x88";
  // Code, this text, other text, result, the length of the common part.
  const std::tuple<K::EMODE, std::string, std::string, int, std::size_t> rows[] = {
      {K::EMODE_SJIS, "\x88\x88\x88\x41", "\x88\x88\x88\x42", -1, 2},
      {K::EMODE_SJIS, "a\x88\x88\x41", "a\x88\x88\x42", -1, 3},
      {K::EMODE_EUC, "\xB0\xB0\xB0\xA1", "\xB0\xB0\xB0\xA2", -1, 2},
      {K::EMODE_SJIS, a1500 + "x", a1500 + "y", 'x' - 'y', 1500},
      {K::EMODE_SJIS, b1500 + "\x9F", b1500 + "\xA0", -1, 1499},
      {K::EMODE_SJIS, a1500 + a1500, a1500, 'a', 1500},
      {K::EMODE_EUC, a1500, a1500, 0, 1500},
  };
  for (const auto& [code, mine, other, want, common] : rows) {
    SCOPED_TRACE(Hex(mine.substr(0, 8)) + " .. " + std::to_string(mine.size()));
    const K k(mine.c_str(), code, code), o(other.c_str(), code, code);
    K same(code, code), this_rest(code, code), other_rest(code, code);
    EXPECT_EQ(k.Compare(o, same, this_rest, other_rest), want);
    EXPECT_EQ(k.Compare(other.c_str()), want);
    EXPECT_EQ(Hex(std::string(same) + "|" + this_rest.GetBuff() + "|" + other_rest.GetBuff()),
              Hex(mine.substr(0, common) + "|" + mine.substr(common) + "|" + other.substr(common)));
  }
}

// Each line against itself and against another line, in every pair of codes.
TEST_F(CompareTest, OrderIsByteOrderInTheComparisonCodeOnCorpusLines) {
  if (!HaveShared()) GTEST_SKIP() << "no corpus";
  std::vector<std::string> lines[3];  // ja-euc, ja-sjis, ja-jis: by EMODE value, the same text
  for (int code = 0; code < 3; ++code) {
    std::istringstream in(Corpus(kCorpus[code].name, 100 * 1024));
    for (std::string line; std::getline(in, line);) lines[code].push_back(line);
  }
  const std::size_t count = lines[K::EMODE_JIS].size();  // the longest form, the fewest lines
  for (std::size_t i = 0; i < count; ++i) {
    for (std::size_t j : {i, (i * 7919 + 1) % count}) {
      for (K::EMODE left : Codes()) {
        const auto& cmp = lines[left == K::EMODE_JIS ? K::EMODE_SJIS : left];
        const auto at = std::mismatch(cmp[i].begin(), cmp[i].end(), cmp[j].begin(), cmp[j].end());
        const int want = (at.first == cmp[i].end() ? 0 : static_cast<unsigned char>(*at.first)) -
                         (at.second == cmp[j].end() ? 0 : static_cast<unsigned char>(*at.second));
        const K a(lines[left][i].c_str(), left, left);
        for (K::EMODE right : Codes()) {
          const K b(lines[right][j].c_str(), right, right);
          if (a.Compare(b) != want || (a < b) != (want < 0) || (a == b) != (want == 0)) {
            ADD_FAILURE() << "line " << i << " against " << j << " in " << left << ", " << right;
          }
        }
      }
    }
  }
}

// ESC $ @ designates the same kanji set as ESC $ B; a text is read in the input code, except by
// operator== with a text, which takes raw bytes.
TEST_F(CompareTest, EqualityOfDesignationsAndOfRawText) {
  const std::string jis = Jis(u8"漢字abc");
  const K b(jis.c_str(), K::EMODE_JIS, K::EMODE_JIS),
      at(("\x1B$@" + jis.substr(3)).c_str(), K::EMODE_JIS, K::EMODE_JIS);
  EXPECT_TRUE(at == b && !(at != b) && at <= b && at >= b && at.Compare(b) == 0);
  EXPECT_FALSE(at == b.GetBuff());
  K sjis(Sjis(u8"漢字abc").c_str());
  sjis.SetInputMode(K::EMODE_EUC);
  EXPECT_EQ(sjis.Compare(Euc(u8"漢字abc").c_str()), 0);
  EXPECT_FALSE(sjis == Euc(u8"漢字abc").c_str());
}

// The split reads both texts before it writes an out object, which may be one of them.
TEST_F(CompareTest, OutObjectsMayBeTheComparedOnes) {
  for (int role = 0; role < 5; ++role) {  // mine as out object 0 or 1, other as 0, 1 or 2
    K mine("abcx"), other("abdy"), spare[3];
    K* out[3] = {&spare[0], &spare[1], &spare[2]};
    out[role < 2 ? role : role - 2] = role < 2 ? &mine : &other;
    EXPECT_EQ(mine.Compare(other, *out[0], *out[1], *out[2]), -1);
    EXPECT_EQ(std::string(*out[0]) + "|" + out[1]->GetBuff() + "|" + out[2]->GetBuff(), "ab|cx|dy")
        << role;
  }
}

}  // namespace
}  // namespace mojiwa_test
