// Comparison across codes: equality and order of the texts in the comparison code, the split of
// the four-argument Compare, and the comparing object, the input codes and the byte count left
// as found on every exit.
#include <algorithm>

#include "support/AppendSupport.h"
#include "support/TextOpsSupport.h"

namespace {

using mojiwa_test::CodeName;
using mojiwa_test::Hex;
using mojiwa_test::InCode;
using mojiwa_test::MemLimitScope;
using mojiwa_test::Probe;
using K = CKanji;

using CompareTest = mojiwa_test::AccountingTest;

constexpr K::EMODE kCodes[] = {K::EMODE_EUC, K::EMODE_SJIS, K::EMODE_JIS};

// The unsigned difference of the first differing bytes, NUL included: what a comparison of the
// two texts in one code must answer.
int ByteOrder(const std::string& a, const std::string& b) {
  const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  const int left = at.first == a.end() ? 0 : static_cast<unsigned char>(*at.first);
  const int right = at.second == b.end() ? 0 : static_cast<unsigned char>(*at.second);
  return left - right;
}

TEST_F(CompareTest, ByteDifferencesOfTheFirstDifferingCharacter) {
  const struct {
    const char* what;
    K::EMODE code;
    std::string mine, other;
    bool prefix;
    int want;
  } rows[] = {
      {"last letter", K::EMODE_SJIS, "abc", "abd", false, -1},
      {"shorter", K::EMODE_SJIS, "ab", "abc", false, -99},
      {"shorter, prefix", K::EMODE_SJIS, "ab", "abc", true, 0},
      {"longer", K::EMODE_EUC, "abc", "ab", false, 99},
      {"longer, prefix", K::EMODE_EUC, "abc", "ab", true, 99},
      {"both empty", K::EMODE_EUC, "", "", false, 0},
      {"empty", K::EMODE_SJIS, "", "x", false, -120},
      {"empty, prefix", K::EMODE_SJIS, "", "x", true, 0},
      {"case", K::EMODE_SJIS, "a", "A", false, 32},
      {"width", K::EMODE_SJIS, "\x82\x60", "A", false, 0x82 - 0x41},
      {"second byte", K::EMODE_SJIS, "\x82\xA0", "\x82\xA2", false, -2},
      {"bytes over 0x7F", K::EMODE_EUC, "\xB0\xA1", "a", false, 0xB0 - 0x61},
      {"kanji designations", K::EMODE_JIS, "\x1B$@\x30\x21\x1B(Bx", "\x1B$B\x30\x21\x1B(Jx", false,
       0},
      {"JIS by characters", K::EMODE_JIS, "\x1B$B\x30\x21\x1B(B", "\x1B$B\x30\x22\x1B(B", false,
       0x9F - 0xA0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.what) + " in " + CodeName(row.code));
    K k(row.code, row.code);
    k = row.mine.c_str();
    K other(row.code, row.code);
    other = row.other.c_str();
    EXPECT_EQ(k.Compare(row.other.c_str(), row.prefix), row.want);
    EXPECT_EQ(k.Compare(other, row.prefix), row.want);
    if (row.prefix) continue;
    EXPECT_EQ(k == other, row.want == 0);
    EXPECT_EQ(k < other, row.want < 0);
  }
}

TEST_F(CompareTest, TheSameTextInAnyCodeIsEqual) {
  const std::string utf8 = u8"漢字かなカナ、abc";
  std::vector<K> objects;
  for (K::EMODE code : kCodes) objects.emplace_back(InCode(code, utf8).c_str(), code, code);
  std::string at_sign = InCode(K::EMODE_JIS, utf8);
  at_sign[2] = '@';  // ESC $ @ designates the same kanji set
  objects.emplace_back(at_sign.c_str(), K::EMODE_JIS, K::EMODE_JIS);
  for (const K& a : objects) {
    for (const K& b : objects) {
      SCOPED_TRACE(Hex(a.GetBuff()) + " against " + Hex(b.GetBuff()));
      EXPECT_TRUE(a == b);
      EXPECT_FALSE(a != b);
      EXPECT_EQ(a.Compare(b), 0);
      EXPECT_FALSE(a < b || a > b);
      EXPECT_TRUE(a <= b && a >= b);
      EXPECT_EQ(a == b.GetBuff(), std::string(a.GetBuff()) == b.GetBuff());
    }
  }
  // A text is read in the input code, except by operator== with a text.
  K sjis(InCode(K::EMODE_SJIS, utf8).c_str());
  sjis.SetInputMode(K::EMODE_EUC);
  EXPECT_EQ(sjis.Compare(InCode(K::EMODE_EUC, utf8).c_str()), 0);
  EXPECT_FALSE(sjis == InCode(K::EMODE_EUC, utf8).c_str());
  // A JIS object's own side keeps half-width katakana; the other side follows its switch.
  for (bool kana_to_zen : {false, true}) {
    K jis(K::EMODE_JIS, K::EMODE_JIS, true, kana_to_zen);
    jis = "\x0F\x31\x0E";  // SI, the 7-bit katakana a, SO
    EXPECT_EQ(jis.Compare(jis.GetBuff()), kana_to_zen ? 0xB1 - 0x83 : 0);
  }
}

TEST_F(CompareTest, OrderIsByteOrderInTheComparisonCodeOnCorpusLines) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  const char* const names[] = {"ja-euc.txt", "ja-sjis.txt", "ja-jis.txt"};  // by EMODE value
  std::vector<std::string> lines[3];
  std::size_t count = 3000;
  for (K::EMODE code : kCodes) {
    lines[code] = mojiwa_test::Lines(mojiwa_test::CorpusSlice(names[code], 300 * 1024));
    count = std::min(count, lines[code].size());
  }
  for (std::size_t i = 0; i + 1 < count; ++i) {
    const std::size_t j = (i * 7919 + 1) % count;
    for (K::EMODE left : kCodes) {
      const K::EMODE cmp = left == K::EMODE_JIS ? K::EMODE_SJIS : left;
      const int want = ByteOrder(lines[cmp][i], lines[cmp][j]);
      const K a(lines[left][i].c_str(), left, left);
      for (K::EMODE right : kCodes) {
        const K b(lines[right][j].c_str(), right, right);
        const int got = a.Compare(b);
        if (got != want || (a < b) != (want < 0) || (a == b) != (want == 0)) {
          ADD_FAILURE() << "line " << i << " against " << j << ", " << CodeName(left) << " with "
                        << CodeName(right) << ": " << got << ", want " << want;
        }
      }
    }
  }
}

TEST_F(CompareTest, SplitHandsEachPartOverInTheOutObjectsCode) {
  const struct {
    K::EMODE code;
    const char *mine, *other;
    int want;
    const char *same, *this_rest, *other_rest;
  } rows[] = {
      {K::EMODE_SJIS, "abcx", "abdy", -1, "ab", "cx", "dy"},
      {K::EMODE_SJIS, "abc", "abc", 0, "abc", "", ""},
      {K::EMODE_SJIS, u8"aあ", u8"aい", -2, "a", u8"あ", u8"い"},
      {K::EMODE_EUC, u8"aあ", u8"aい", -2, "a", u8"あ", u8"い"},
      {K::EMODE_EUC, "ab", "abc", -99, "ab", "", "c"},
      {K::EMODE_JIS, u8"x漢字", u8"x漢a", 0x8E - 0x61, u8"x漢", u8"字", "a"},
  };
  for (const auto& row : rows) {
    for (K::EMODE out : kCodes) {
      SCOPED_TRACE(std::string(row.mine) + " in " + CodeName(row.code) + ", parts in " +
                   CodeName(out));
      const K k(InCode(row.code, row.mine).c_str(), row.code, row.code);
      const K other(InCode(row.code, row.other).c_str(), row.code, row.code);
      K same(out, K::EMODE_AUTO), this_rest(out, K::EMODE_AUTO), other_rest(out, K::EMODE_AUTO);
      EXPECT_EQ(k.Compare(other, same, this_rest, other_rest), row.want);
      EXPECT_EQ(same.GetBuff(), InCode(out, row.same));
      EXPECT_EQ(this_rest.GetBuff(), InCode(out, row.this_rest));
      EXPECT_EQ(other_rest.GetBuff(), InCode(out, row.other_rest));
      EXPECT_EQ(same.GetModeInput(), K::EMODE_AUTO);
      EXPECT_EQ(other_rest.GetModeInput(), K::EMODE_AUTO);
      K again(out);
      EXPECT_EQ(k.Compare(InCode(row.code, row.other).c_str(), again, this_rest, other_rest),
                row.want);
      EXPECT_EQ(again.GetBuff(), InCode(out, row.same));
      EXPECT_EQ(k.GetBuff(), InCode(row.code, row.mine));
    }
  }
}

TEST_F(CompareTest, OutObjectsMayBeTheComparedObjects) {
  enum Role { kMine, kOther, kNone };
  const struct {
    const char* what;
    Role same, this_rest, other_rest;
  } rows[] = {{"first is the comparing object", kMine, kNone, kNone},
              {"second is the comparing object", kNone, kMine, kNone},
              {"first is the compared object", kOther, kNone, kNone},
              {"second is the compared object", kNone, kOther, kNone},
              {"third is the compared object", kNone, kNone, kOther}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    K mine("abcx"), other("abdy"), spare[3];
    auto pick = [&](Role role, int i) -> K& {
      return role == kMine ? mine : role == kOther ? other : spare[i];
    };
    K& same = pick(row.same, 0);
    K& this_rest = pick(row.this_rest, 1);
    K& other_rest = pick(row.other_rest, 2);
    EXPECT_EQ(mine.Compare(other, same, this_rest, other_rest), -1);
    EXPECT_STREQ(same.GetBuff(), "ab");
    EXPECT_STREQ(this_rest.GetBuff(), "cx");
    EXPECT_STREQ(other_rest.GetBuff(), "dy");
  }
}

TEST_F(CompareTest, ErrorsLeaveTheComparingObjectAndTheInputCodesAsFound) {
  const Probe jis(mojiwa_test::Jis(u8"漢字").c_str(), K::EMODE_JIS, K::EMODE_JIS);
  try {
    const mojiwa_test::FailNothrowNew fail;
    jis.Compare("x");
    ADD_FAILURE() << "no throw";
  } catch (const CThrowErr& err) {
    EXPECT_EQ(mojiwa_test::Iconv(err.pcMessage, "SHIFT_JIS", "UTF-8"),
              u8"作業用バッファ確保失敗(new演算子の戻り値がNULL)");
    EXPECT_STREQ(err.pcFunction, "CKanji::MakeCmpThis");
    EXPECT_EQ(err.nLine, 3661);
  }

  // Room for the work object but not for the out objects: the split fails while filling them.
  const K sjis("abcx");
  K same(K::EMODE_EUC, K::EMODE_AUTO), this_rest(K::EMODE_EUC, K::EMODE_AUTO), other_rest;
  MemLimitScope limit(Probe::AllSize() + 1024);
  EXPECT_THROW(sjis.Compare("abdy", same, this_rest, other_rest), CThrowErr);
  EXPECT_EQ(same.GetModeInput(), K::EMODE_AUTO);
  EXPECT_EQ(this_rest.GetModeInput(), K::EMODE_AUTO);
  EXPECT_EQ(other_rest.GetModeInput(), K::EMODE_SJIS);
  EXPECT_STREQ(sjis.GetBuff(), "abcx");
  EXPECT_THROW(static_cast<void>(jis == jis), CThrowErr);
}

TEST_F(CompareTest, StaticStrcmpIsUnsignedByteOrder) {
  const struct {
    const char *left, *right;
    int want;
  } rows[] = {
      {"", "", 0}, {"a", "b", -1}, {"\xFF", "a", 0xFF - 'a'}, {"ab", "a", 'b'}, {"a", "ab", -'b'}};
  for (const auto& row : rows) {
    SCOPED_TRACE(Hex(row.left) + " against " + Hex(row.right));
    EXPECT_EQ(K::strcmp(row.left, row.right), row.want);
  }
}

}  // namespace
