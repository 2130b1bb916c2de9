// Appending and assigning: every (source, output) pair lands as the block converters write it, at
// any growth step; detection fixes the input code and converts the earlier text once; JIS output
// ends whole in the Roman set; an object used as its own source keeps its text.
#include <climits>
#include <functional>

#include "support/AppendSupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::CodeName;
using mojiwa_test::Hex;
using mojiwa_test::InCode;
using mojiwa_test::MemLimitScope;
using mojiwa_test::OneShot;
using mojiwa_test::Probe;
using mojiwa_test::Switches;
using K = CKanji;

using AppendTest = AccountingTest;

constexpr K::EMODE kCodes[] = {K::EMODE_EUC, K::EMODE_SJIS, K::EMODE_JIS};

// ASCII, kanji, both kana, symbols, CR LF, and ソ and 表, whose Shift_JIS trail byte is '\'.
std::string Sample(K::EMODE code) {
  std::string text = InCode(code, u8"abc 漢字かなカナ、。\r\nＡ１ソ表\\~\n");
  // Half-width katakana as each code carries them (ｶﾞｱ); the JIS text ends in the kanji set.
  if (code == K::EMODE_SJIS) text += "\xB6\xDE\xB1x";
  if (code == K::EMODE_JIS) text += "\x0F\x36\x5E\x31\x0E\x1B$B\x30\x21";
  return text;
}

TEST_F(AppendTest, EveryPairWritesWhatItsConverterWritesAtAnyStep) {
  for (K::EMODE from : kCodes) {
    const std::string text = Sample(from);
    ASSERT_EQ(K::CheckCode(text.c_str()), from) << CodeName(from);
    for (K::EMODE input : {from, K::EMODE_AUTO}) {
      for (K::EMODE to : kCodes) {
        for (int bits = 0; bits < 8; ++bits) {
          const Switches sw{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0};
          const std::string want = OneShot(from, to, text, sw);
          for (unsigned long step : {2UL, 7UL, 1024UL}) {
            SCOPED_TRACE(std::string(CodeName(input)) + " to " + CodeName(to) + " switches " +
                         std::to_string(bits) + " step " + std::to_string(step));
            K k(to, input, false, sw.kana_to_zen, sw.cr_lf, sw.keep_kana, step);
            k = text.c_str();
            EXPECT_EQ(k.GetBuff(), want) << Hex(k.GetBuff()) << "\nwant " << Hex(want);
            EXPECT_EQ(k.GetSize(), want.size());
            EXPECT_EQ(k.GetModeInput(), input);
          }
        }
      }
    }
  }
}

TEST_F(AppendTest, CorpusTextIsTheSameAtEveryGrowthStep) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  MemLimitScope limit(0);
  const std::pair<const char*, K::EMODE> files[] = {{"ja-sjis.txt", K::EMODE_SJIS},
                                                    {"ja-euc.txt", K::EMODE_EUC},
                                                    {"ja-jis.txt", K::EMODE_JIS},
                                                    {"hw-sjis.txt", K::EMODE_SJIS},
                                                    {"hw-jis.txt", K::EMODE_JIS}};
  for (const auto& file : files) {
    // Step 2 regrows the whole text every two bytes: a shorter slice keeps it quick.
    const std::string texts[] = {mojiwa_test::CorpusSlice(file.first, 16 * 1024),
                                 mojiwa_test::CorpusSlice(file.first, 64 * 1024)};
    for (K::EMODE to : kCodes) {
      for (unsigned long step : {2UL, 16UL, 1024UL}) {
        const std::string& text = texts[step == 2 ? 0 : 1];
        const std::string want = OneShot(file.second, to, text);
        SCOPED_TRACE(std::string(file.first) + " to " + CodeName(to) + " step " +
                     std::to_string(step));
        K k(to, file.second, true, false, false, false, step);
        k = text.c_str();
        EXPECT_TRUE(k.GetBuff() == want);
      }
    }
  }
}

TEST_F(AppendTest, GrowthErrorNeverCutsAJisEscapeSequence) {
  const std::string text = mojiwa_test::Sjis(u8"a漢字b\nカナc。d東京\r\n表示") + "\xB1";
  const std::string full = OneShot(K::EMODE_SJIS, K::EMODE_JIS, text);
  for (unsigned long room = 16; room < full.size() + 16; room += 16) {
    SCOPED_TRACE(room);
    Probe k(K::EMODE_JIS, K::EMODE_SJIS, true, false, false, false, 16);
    MemLimitScope limit(Probe::AllSize() + room);
    try {
      k = text.c_str();
      EXPECT_EQ(k.GetBuff(), full);
    } catch (const CThrowErr&) {
      const std::string held = k.GetBuff();
      EXPECT_EQ(full.compare(0, held.size(), held), 0) << Hex(held);
      EXPECT_TRUE(mojiwa_test::EscapesWhole(held)) << Hex(held);
    }
  }
}

// Three undecided appends (ASCII, then one EUC-only and one Shift_JIS-only pair: a tie), then an
// EUC-JP text, then a Shift_JIS one.
TEST_F(AppendTest, DetectionFixesTheInputCodeAndConvertsTheEarlierTextOnce) {
  const std::string undecided[] = {"abc\n", "\xF0\xA1\x81\x40"};
  const std::string euc = mojiwa_test::Euc(u8"漢字かな");
  const std::string sjis = mojiwa_test::Sjis(u8"東京");
  for (K::EMODE to : {K::EMODE_SJIS, K::EMODE_JIS}) {
    for (bool fix : {true, false}) {
      SCOPED_TRACE(std::string(CodeName(to)) + (fix ? " fixing" : " not fixing"));
      K k(to, K::EMODE_AUTO, fix);
      for (const std::string& text : undecided) k += text.c_str();
      EXPECT_EQ(k.GetModeInput(), K::EMODE_AUTO);
      EXPECT_EQ(k.GetBuff(), undecided[0] + undecided[1]);
      k += euc.c_str();
      k += sjis.c_str();
      const std::string want = fix ? OneShot(K::EMODE_EUC, to, undecided[0] + undecided[1]) +
                                         OneShot(K::EMODE_EUC, to, euc) +
                                         OneShot(K::EMODE_EUC, to, sjis)
                                   : undecided[0] + undecided[1] + OneShot(K::EMODE_EUC, to, euc) +
                                         OneShot(K::EMODE_SJIS, to, sjis);
      EXPECT_EQ(k.GetModeInput(), fix ? K::EMODE_EUC : K::EMODE_AUTO);
      EXPECT_EQ(k.GetBuff(), want) << Hex(k.GetBuff()) << "\nwant " << Hex(want);
    }
  }
}

TEST_F(AppendTest, ShiftStateAcrossAppends) {
  struct Row {
    const char* what;
    K::EMODE output, input;
    std::vector<std::string> appends;
    std::string want;
  };
  const Row rows[] = {
      {"JIS output closes a kanji run",
       K::EMODE_JIS,
       K::EMODE_SJIS,
       {"a\x8A\xBF"},
       "a\x1B$B4A\x1B(B"},
      {"JIS input resumes a kanji run",
       K::EMODE_SJIS,
       K::EMODE_JIS,
       {"\x1B$B\x30\x21", "\x30\x22\x1B(Bz"},
       "\x88\x9F\x88\xA0z"},
      {"JIS to JIS copies, kanji set left open",
       K::EMODE_JIS,
       K::EMODE_JIS,
       {"\x1B$B\x30\x21", "\x30\x22"},
       "\x1B$B\x30\x21\x30\x22"},
      {"step 16 to JIS",
       K::EMODE_JIS,
       K::EMODE_SJIS,
       {std::string(200, 'a') + "\x8A\xBF"},
       std::string(200, 'a') + "\x1B$B4A\x1B(B"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Probe k(row.output, row.input, true, false, false, false, 16);
    for (const std::string& text : row.appends) k += text.c_str();
    EXPECT_EQ(k.GetBuff(), row.want) << Hex(k.GetBuff());
    EXPECT_EQ(k.BuffSize() % 16, 0UL);
    if (row.output == K::EMODE_JIS) {
      EXPECT_EQ(k.Shift(), K::ESHIFT_ASCII);
    }
  }
}

TEST_F(AppendTest, IntegersAndSingleBytes) {
  const std::pair<int, const char*> rows[] = {
      {0, "0"}, {7, "7"}, {-7, "-7"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
  for (K::EMODE code : kCodes) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::string(CodeName(code)) + " " + row.second);
      K k(code, code);
      k = "old";
      EXPECT_EQ(k = row.first, row.first);
      EXPECT_STREQ(k.GetBuff(), row.second);
    }
  }
  Probe j(K::EMODE_JIS, K::EMODE_JIS);
  j += '\x1B';
  j += '\0';
  EXPECT_EQ(std::string(j.GetBuff(), j.GetSize()), std::string("\x1B\0", 2));
  EXPECT_EQ(j.Shift(), K::ESHIFT_ASCII);
}

TEST_F(AppendTest, AnObjectAsItsOwnSourceKeepsItsText) {
  const std::string text = "0123456789\x82\xA0\x82\xA2\x82\xA4";  // more than one step
  const struct {
    const char* what;
    std::function<void(Probe&)> use;
    std::string want;
  } rows[] = {
      {"assign itself", [](Probe& k) { k = static_cast<const K&>(k); }, text},
      {"shift itself in", [](Probe& k) { k << k; }, text},
      {"assign its buffer", [](Probe& k) { k = k.GetBuff(); }, text},
      {"assign its tail", [](Probe& k) { k = k.GetBuff() + 4; }, text.substr(4)},
      {"append itself", [](Probe& k) { k += static_cast<const K&>(k); }, text + text},
      {"append its buffer", [](Probe& k) { k += k.GetBuff(); }, text + text},
      {"append its tail", [](Probe& k) { k += k.GetBuff() + 10; }, text + text.substr(10)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Probe k(K::EMODE_SJIS, K::EMODE_AUTO, true, false, false, false, 8);
    k = text.c_str();
    row.use(k);
    EXPECT_EQ(k.GetBuff(), row.want) << Hex(k.GetBuff());
  }
  Probe k(K::EMODE_SJIS, K::EMODE_JIS);
  k.SetShift(K::ESHIFT_KANJI);
  k << k;
  k = static_cast<const K&>(k);
  EXPECT_EQ(k.Shift(), K::ESHIFT_KANJI);
  EXPECT_FALSE(k.HasBuffer());
}

TEST_F(AppendTest, BorrowingAnotherCodeRestoresTheInputCodeAlsoAfterAGrowthError) {
  const K src(mojiwa_test::Sjis(u8"漢字かな").c_str());
  const struct {
    const char* what;
    std::function<void(K&)> use;
  } rows[] = {{"append", [&](K& k) { k += src; }}, {"shift in", [&](K& k) { k << src; }}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    K k(K::EMODE_EUC, K::EMODE_AUTO, true, false, false, false, 4);
    row.use(k);
    EXPECT_EQ(k.GetBuff(), OneShot(K::EMODE_SJIS, K::EMODE_EUC, src.GetBuff()));
    EXPECT_EQ(k.GetModeInput(), K::EMODE_AUTO);
    K small(K::EMODE_EUC, K::EMODE_AUTO, true, false, false, false, 4);
    small = "x";
    MemLimitScope limit(Probe::AllSize());
    EXPECT_THROW(row.use(small), CThrowErr);
    EXPECT_EQ(small.GetModeInput(), K::EMODE_AUTO);
  }
}

TEST_F(AppendTest, AssigningAnObjectCopiesEverySettingAndTheText) {
  const Probe src(mojiwa_test::Jis(u8"漢字").c_str(), K::EMODE_JIS, K::EMODE_JIS, false, true, true,
                  true, 64);
  Probe k(K::EMODE_EUC, K::EMODE_AUTO);
  k = "x";
  k = static_cast<const K&>(src);
  EXPECT_EQ(k.GetBuff(), std::string(src.GetBuff()));
  EXPECT_EQ(k.GetModeOutput(), K::EMODE_JIS);
  EXPECT_EQ(k.GetModeInput(), K::EMODE_JIS);
  EXPECT_FALSE(k.FixInput());
  EXPECT_TRUE(k.KanaToZen() && k.CrLf() && k.KeepKana());
  EXPECT_EQ(k.GrowSize(), 64UL);
}

}  // namespace
