// Appending, assigning and streaming: every (source, output) pair lands as the block converters
// write it, at any growth step; detection fixes the input code whether text comes by appends or
// line by line; what a stream cannot carry; self-use, integers, borrowed codes.
#include <cstdio>
#include <memory>

#include "support/ConvertSupport.h"
#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using AppendTest = AccountingTest;
using namespace std::string_literals;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The block converter for (from, to) in one unbounded call, ended in the Roman set for JIS
// output; from == to copies. Switch bits: 1 bKanaToZen, 2 bCrLf, 4 bKeepKana.
std::string OneShot(K::EMODE from, K::EMODE to, const std::string& text, int sw = 0) {
  K::ESHIFT shift = K::ESHIFT_ASCII;
  for (Conv conv : kAllConv) {
    if (Info(conv).from == from && Info(conv).to == to)
      return Convert(conv, text, {(sw & 1) != 0, (sw & 2) != 0, (sw & 4) != 0}, shift);
  }
  return text;
}

// A stream that reads the bytes, which must outlive it.
File StreamOf(const std::string& bytes) {
  return File(fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r"));
}

// ASCII, kanji, both kana, CR LF, ソ and 表 (Shift_JIS trail byte '\'), and half-width ｶﾞｱ as
// each code carries them; the JIS text ends in the kanji set.
std::string Sample(K::EMODE code) {
  std::string text = InCode(code, u8"abc 漢字かなカナ、。\r\nＡ１ソ表\\~\n");
  if (code == K::EMODE_SJIS) text += "\xB6\xDE\xB1x";
  if (code == K::EMODE_JIS) text += "\x0F\x36\x5E\x31\x0E\x1B$B\x30\x21";
  return text;
}

TEST_F(AppendTest, EveryPairWritesWhatItsConverterWritesAtAnyStep) {
  for (K::EMODE from : Codes()) {
    const std::string text = Sample(from);
    ASSERT_EQ(K::CheckCode(text.c_str()), from);
    for (K::EMODE input : {from, K::EMODE_AUTO}) {
      for (K::EMODE to : Codes()) {
        for (int sw = 0; sw < 8; ++sw) {
          for (unsigned long step : {2UL, 7UL, 1024UL}) {
            K k(to, input, false, sw & 1, sw & 2, sw & 4, step);
            EXPECT_EQ(k = text.c_str(), OneShot(from, to, text, sw))
                << CodeName(input) << " to " << CodeName(to) << " switches " << sw << " step "
                << step;
            EXPECT_EQ(std::make_pair(k.GetSize(), k.GetModeInput()),
                      std::make_pair(std::strlen(k.GetBuff()), input));
          }
        }
      }
    }
  }
}

// Long texts of every kind through a stream, into a file and back.
TEST_F(AppendTest, CorpusTextThroughAStream) {
  if (!HaveShared()) GTEST_SKIP() << "no corpus";
  MemLimitScope limit(0);
  for (const CorpusFile& file : kCorpus) {
    const std::string text = Corpus(file.name, 16 * 1024);
    for (K::EMODE to : Codes()) {
      const std::string want = OneShot(file.code, to, text);
      K in(to, file.code), back(to, to);
      const File out(std::tmpfile());
      in = StreamOf(text).get();
      in >> out.get();
      EXPECT_EQ(static_cast<unsigned long>(std::ftell(out.get())), in.GetSize());
      std::rewind(out.get());
      back = out.get();
      EXPECT_TRUE(in.GetBuff() == want && back.GetBuff() == want) << file.name << " to " << to;
    }
  }
}

// ASCII, then a tie (one EUC-only and one Shift_JIS-only pair), then EUC-JP, then Shift_JIS text.
TEST_F(AppendTest, DetectionFixesTheInputCodeAndConvertsTheEarlierTextOnce) {
  const std::string undecided = "abc\n\xF0\xA1\x81\x40\n", euc = Euc(u8"漢字かな\n");
  const std::string sjis = Sjis(u8"東京\n");
  for (int how = 0; how < 8; ++how) {  // bits: 1 by stream, 2 to JIS, 4 not fixing
    const K::EMODE to = (how & 2) != 0 ? K::EMODE_JIS : K::EMODE_SJIS;
    K k(to, K::EMODE_AUTO, (how & 4) == 0);
    if ((how & 1) != 0) {
      k = StreamOf(undecided + euc + sjis).get();
    } else {
      for (const std::string& piece : {"abc\n"s, "\xF0\xA1\x81\x40\n"s, euc, sjis}) {
        k += piece.c_str();
      }
    }
    const std::string want = (how & 4) == 0 ? OneShot(K::EMODE_EUC, to, undecided + euc + sjis)
                                            : undecided + OneShot(K::EMODE_EUC, to, euc) +
                                                  OneShot(K::EMODE_SJIS, to, sjis);
    EXPECT_EQ(k.GetModeInput(), (how & 4) == 0 ? K::EMODE_EUC : K::EMODE_AUTO) << how;
    EXPECT_EQ(k.GetBuff(), want) << how << ": " << Hex(k.GetBuff()) << "\nwant " << Hex(want);
  }
}

// A NUL ends its line's text (the LF stays); a read error ends the text as the end of file does.
TEST_F(AppendTest, BytesAStreamCannotCarryIntoATextEndTheirLine) {
  const std::pair<std::string, std::string> rows[] = {
      {"a\nb", "a\nb"}, {"ab\0cd\nef\0\ngh\0"s, "ab\nef\ngh"}, {"\0x\ny"s, "\ny"}};
  for (const auto& row : rows) {
    K k("old");
    const File in = StreamOf(row.first);
    k = in.get();
    EXPECT_EQ(std::string(k.GetBuff(), k.GetSize()), row.second);
    EXPECT_EQ(std::fgetc(in.get()), EOF);  // read to the end, not closed
  }
  const File write_only(std::fopen("/dev/null", "w"));
  K k("old");
  k = write_only.get();
  EXPECT_TRUE(std::ferror(write_only.get()) && *k.GetBuff() == '\0');
}

TEST_F(AppendTest, JisInputKeepsItsShiftStateAcrossAppendsAndIntegersAreAscii) {
  K k(K::EMODE_SJIS, K::EMODE_JIS);
  k += "\x1B$B\x30\x21";
  k += "\x30\x22\x1B(Bz";
  EXPECT_EQ(k.GetBuff(), std::string("\x88\x9F\x88\xA0z"));
  const std::pair<int, const char*> ints[] = {
      {0, "0"}, {-7, "-7"}, {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
  for (const auto& row : ints) {
    K jis("old", K::EMODE_JIS);
    EXPECT_EQ(jis = row.first, row.first);
    EXPECT_STREQ(jis.GetBuff(), row.second);
  }
}

// The closing ESC ( B refused by the limit leaves the text in the kanji set, and the next append
// goes on from there and closes it.
TEST_F(AppendTest, JisTextWhoseClosingEscapeMeetsTheLimit) {
  Probe k(K::EMODE_JIS, K::EMODE_SJIS, true, false, false, false, 7);  // ESC $ B and one kanji
  {
    MemLimitScope limit(Probe::AllSize() + 7);
    EXPECT_THROW(k = Sjis(u8"漢").c_str(), CThrowErr);
  }
  EXPECT_EQ(std::make_tuple(Hex(k.GetBuff()), k.GetSize(), k.Shift()),
            std::make_tuple(Hex("\x1B$B4A"), 5UL, K::ESHIFT_KANJI));
  k += Sjis(u8"漢字").c_str();
  EXPECT_EQ(std::make_pair(Hex(k.GetBuff()), k.Shift()),
            std::make_pair(Hex("\x1B$B4A4A;z\x1B(B"), K::ESHIFT_ASCII));
}

TEST_F(AppendTest, AnObjectAsItsOwnSourceKeepsItsText) {
  const std::string text = "0123456789\x82\xA0\x82\xA2\x82\xA4";  // more than one step
  const std::pair<std::function<void(K&)>, std::string> rows[] = {
      {[](K& k) { k = static_cast<const K&>(k); }, text},
      {[](K& k) { k << k; }, text},
      {[](K& k) { k = k.GetBuff() + 4; }, text.substr(4)},
      {[](K& k) { k += k.GetBuff() + 10; }, text + text.substr(10)},
  };
  for (const auto& row : rows) {
    K k(text.c_str(), K::EMODE_SJIS, K::EMODE_AUTO, true, false, false, false, 8);
    row.first(k);
    EXPECT_EQ(k.GetBuff(), row.second) << Hex(k.GetBuff());
  }
}

// (After a growth error too: the fault-injection rows that append objects check the input code.)
TEST_F(AppendTest, BorrowingAnotherCodeRestoresTheInputCode) {
  const K src(Sjis(u8"漢字かな").c_str());
  const std::function<void(K&)> uses[] = {[&](K& k) { k += src; }, [&](K& k) { k << src; }};
  for (const auto& use : uses) {
    K k(K::EMODE_EUC, K::EMODE_AUTO, true, false, false, false, 4);
    use(k);
    EXPECT_EQ(k.GetBuff(), OneShot(K::EMODE_SJIS, K::EMODE_EUC, src.GetBuff()));
    EXPECT_EQ(k.GetModeInput(), K::EMODE_AUTO);
  }
}

}  // namespace
}  // namespace mojiwa_test
