// The built filter on the corpus: every code to every code (given and detected) writes what the
// library writes for the whole file, the switches and width operations too; reads of every size
// from 1 to 17 bytes give the output of large reads; text before the deciding line is converted
// from the code it decides, also when it has to wait in a temporary file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FilterSupport.h"

namespace {

using mojiwa_test::LibraryConvert;
using mojiwa_test::LibraryRead;
using mojiwa_test::RunFilter;
using mojiwa_test::RunResult;
using mojiwa_test::SameBytes;

constexpr CKanji::EMODE kCodes[] = {CKanji::EMODE_SJIS, CKanji::EMODE_EUC, CKanji::EMODE_JIS};

std::string Corpus(const std::string& name) { return mojiwa_test::SharedPath("corpus/" + name); }

std::string ToFlag(CKanji::EMODE code) {
  return code == CKanji::EMODE_SJIS ? "-s" : code == CKanji::EMODE_EUC ? "-e" : "-j";
}
std::string FromFlag(CKanji::EMODE code) {
  return code == CKanji::EMODE_SJIS ? "-S" : code == CKanji::EMODE_EUC ? "-E" : "-J";
}

class FilterCorpusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  }
  mojiwa_test::MemLimitScope unlimited_{0};  // the references hold whole files
};

TEST_F(FilterCorpusTest, EachCodeToEachCodeIsTheLibrarysConversion) {
  struct Row {
    const char* file;
    CKanji::EMODE code;
  };
  const Row rows[] = {{"ja-sjis.txt", CKanji::EMODE_SJIS},
                      {"ja-euc.txt", CKanji::EMODE_EUC},
                      {"ja-jis.txt", CKanji::EMODE_JIS},
                      {"hw-sjis.txt", CKanji::EMODE_SJIS},
                      {"hw-jis.txt", CKanji::EMODE_JIS}};
  for (const Row& row : rows) {
    const std::string path = Corpus(row.file);
    const std::string text = mojiwa_test::ReadFile(path);
    // The input code that the library fixes reading the file as a stream, line by line.
    CKanji::EMODE fixed;
    LibraryRead(path, CKanji::EMODE_AUTO, row.code, {}, &fixed);
    for (CKanji::EMODE to : kCodes) {
      SCOPED_TRACE(std::string(row.file) + " to " + mojiwa_test::CodeName(to));
      const RunResult given = RunFilter({FromFlag(row.code), ToFlag(to), path});
      EXPECT_EQ(0, given.status) << given.err;
      EXPECT_TRUE(SameBytes(LibraryConvert(text, row.code, to), given.out));
      // Detected, the code is the one the library fixes. (The half-width Shift_JIS file's
      // first deciding line makes it EUC-JP, and the filter then reads its 0x8E bytes as single
      // shifts, which the library does not.)
      const RunResult detected = RunFilter({ToFlag(to), path});
      EXPECT_EQ(0, detected.status) << detected.err;
      EXPECT_TRUE(SameBytes(RunFilter({FromFlag(fixed), ToFlag(to), path}).out, detected.out));
      if (fixed == row.code) {
        EXPECT_TRUE(SameBytes(LibraryRead(path, CKanji::EMODE_AUTO, to), detected.out));
      }
    }
    // Without --to the text keeps its code.
    if (fixed == row.code) {
      EXPECT_TRUE(SameBytes(text, RunFilter({path}).out)) << row.file;
    }
  }
  // The main files hold the same text: each conversion is the other file itself.
  EXPECT_TRUE(SameBytes(mojiwa_test::ReadFile(Corpus("ja-jis.txt")),
                        RunFilter({"-j", Corpus("ja-euc.txt")}).out));
}

TEST_F(FilterCorpusTest, EucSingleShiftsOfTheCorpusAndOfRealFiles) {
  const std::string sjis = mojiwa_test::ReadFile(Corpus("hw-sjis.txt"));
  struct Row {
    CKanji::EMODE to;
    bool keep_kana;
  };
  const Row rows[] = {{CKanji::EMODE_SJIS, false},
                      {CKanji::EMODE_EUC, false},
                      {CKanji::EMODE_JIS, false},
                      {CKanji::EMODE_JIS, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(mojiwa_test::CodeName(row.to)) + (row.keep_kana ? " -x" : ""));
    std::vector<std::string> args{"-E", ToFlag(row.to), Corpus("hw-euc.txt")};
    if (row.keep_kana) args.push_back("-x");
    const RunResult r = RunFilter(args);
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("", r.err);  // no JIS X 0212 here
    EXPECT_TRUE(SameBytes(
        LibraryConvert(sjis, CKanji::EMODE_SJIS, row.to, {false, false, row.keep_kana}), r.out));
  }
  EXPECT_TRUE(SameBytes(sjis, RunFilter({"-E", "-s", Corpus("hw-euc.txt")}).out));
  EXPECT_TRUE(SameBytes(mojiwa_test::ReadFile(Corpus("hw-jis.txt")),
                        RunFilter({"-E", "-j", "-x", Corpus("hw-euc.txt")}).out));
  // Web pages with SS2 katakana: in Shift_JIS they are the bare katakana bytes.
  for (const char* name :
       {"aristrist.s57.xrea.com.xml", "overcube.com.atom.xml", "atom.ycf.nanet.co.jp.xml"}) {
    SCOPED_TRACE(name);
    const std::string path =
        mojiwa_test::SharedPath(std::string("testdata/chardet/EUC-JP/") + name);
    const std::string sjis_pairs = mojiwa_test::SjisOf(mojiwa_test::ReadFile(path));
    const RunResult r = RunFilter({"-E", "-s", path});
    EXPECT_EQ(0, r.status);
    EXPECT_TRUE(SameBytes(sjis_pairs, r.out));
  }
  // JIS X 0212, one character a line after a 4-line header: the geta mark, counted.
  const std::string path = mojiwa_test::SharedPath("testdata/encoding_rs/jis0212_in.txt");
  const RunResult r = RunFilter({"-E", "-e", path});
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("mojiwa: " + path + ": 8836 JIS X 0212 character(s) written as the geta mark\n", r.err);
  const std::size_t header = r.out.find("\xA2\xAE\n");
  ASSERT_NE(std::string::npos, header);
  std::string getas;
  for (int i = 0; i < 8836; ++i) getas += "\xA2\xAE\n";
  EXPECT_TRUE(SameBytes(getas, r.out.substr(header)));
}

TEST_F(FilterCorpusTest, SwitchesAndWidthOperationsAreTheLibrarys) {
  struct Row {
    const char* file;
    std::vector<std::string> args;  // with the input code given
    CKanji::EMODE from, to;
  };
  const CKanji::EMODE S = CKanji::EMODE_SJIS, E = CKanji::EMODE_EUC, J = CKanji::EMODE_JIS;
  const Row rows[] = {
      {"ja-euc.txt", {"-E", "-s", "--crlf"}, E, S},
      {"ja-euc.txt", {"-E", "-j", "--crlf"}, E, J},
      {"hw-sjis.txt", {"-S", "-j", "--keep-kana"}, S, J},
      {"hw-jis.txt", {"-J", "-s", "--kana-to-zen"}, J, S},
      {"hw-jis.txt", {"-J", "-e"}, J, E},
      {"hw-sjis.txt", {"-S", "--zen2han=all"}, S, S},
      {"hw-sjis.txt", {"-S", "-e", "--han2zen=kata,hira"}, S, E},
      {"hw-sjis.txt", {"-S", "-j", "--han2zen=all", "--upper"}, S, J},
      {"hw-sjis.txt", {"-S", "-j", "-x", "--lower=zen", "--zen2han=digit,kata"}, S, J},
      {"hw-jis.txt", {"-J", "-e", "--zen2han=hira,mark", "--upper=han"}, J, E},
      {"ja-sjis.txt", {"-S", "-j", "--han2zen=alpha,digit,mark", "--lower"}, S, J},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " " + ::testing::PrintToString(row.args));
    const mojiwa::filter::Options o = mojiwa_test::ParsedOptions(row.args);
    // The library's width operations walk a text character by character through virtual
    // calls: a part of the file is enough for them (and keeps sanitizer builds quick).
    std::string path = Corpus(row.file);
    std::string text = mojiwa_test::ReadFile(path);
    if (o.HasWidthOps()) {
      text.resize(text.rfind('\n', 256 * 1024) + 1);
      path = mojiwa_test::WriteTempFile(std::string("part-") + row.file, text);
    }
    const mojiwa_test::Switches sw{o.kana_to_zen, o.crlf, o.keep_kana};
    std::string expected = LibraryConvert(text, row.from, row.to, sw);
    if (o.HasWidthOps()) expected = mojiwa_test::LibraryWidth(expected, row.to, o);
    std::vector<std::string> args = row.args;
    args.push_back(path);
    const RunResult r = RunFilter(args);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(SameBytes(expected, r.out));
  }
}

TEST_F(FilterCorpusTest, ReadsOfEverySizeFrom1To17GiveTheOutputOfLargeReads) {
  // A text that stays undecided over its first lines (CR and an SI make them wait), then
  // decides for Shift_JIS in a line with half-width katakana and sound marks.
  std::string late =
      "\x0F"
      "abc\r\n";
  for (int i = 0; i < 40; ++i) late += "plain line\r\n";
  late += mojiwa_test::Sjis(u8"漢字ｶﾞｷﾞｸﾟ\r\n") +
          mojiwa_test::ReadFile(Corpus("hw-sjis.txt")).substr(0, 2000);
  struct Row {
    std::string input;
    std::vector<std::string> args;
  };
  const Row rows[] = {
      {mojiwa_test::ReadFile(Corpus("hw-jis.txt")).substr(0, 6000), {"-e"}},
      {mojiwa_test::ReadFile(Corpus("ja-jis.txt")).substr(0, 6000), {"-s", "--zen2han=all"}},
      {mojiwa_test::ReadFile(Corpus("hw-euc.txt")).substr(0, 6000), {"-E", "-j", "-x"}},
      {mojiwa_test::ReadFile(Corpus("hw-sjis.txt")).substr(0, 6000),
       {"-S", "-e", "--han2zen=kata,hira"}},
      {late, {"-e"}},
      {late, {"-j", "--upper"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    std::vector<std::string> args = row.args;
    args.push_back("-");
    const RunResult whole = RunFilter(args, row.input);
    ASSERT_EQ(0, whole.status) << whole.err;
    for (int size = 1; size <= 17; ++size) {
      std::vector<std::string> chunked{"---read-size=" + std::to_string(size)};
      chunked.insert(chunked.end(), args.begin(), args.end());
      const RunResult r = RunFilter(chunked, row.input);
      EXPECT_EQ(0, r.status) << r.err;
      EXPECT_TRUE(SameBytes(whole.out, r.out)) << "reads of " << size;
    }
  }
}

TEST_F(FilterCorpusTest, TextBeforeTheDecidingLineIsConvertedFromTheDecidedCode) {
  // Each prefix is larger than the read buffer, so that its held part goes to a temporary file.
  std::string crlf, lf;
  for (int i = 0; i < 30000; ++i) {
    crlf += "line " + std::to_string(i) + "\r\n";
    lf += "ascii Text 0123\n";
  }
  std::string shifted = "\x0F" + lf;  // SI: a JIS reader's katakana set, once JIS is decided
  struct Row {
    const char* name;
    std::string text;
    std::vector<std::string> args;
    CKanji::EMODE detected;  // the output code without --to; EMODE_AUTO: stays undecided
  };
  const Row rows[] = {
      {"crlf-sjis",
       crlf + mojiwa_test::Sjis(u8"漢字かな\r\n") + "tail\r\n",
       {"-e"},
       CKanji::EMODE_SJIS},
      {"lf-euc-han2zen",
       lf + mojiwa_test::Euc(u8"全角ＡＢＣ\n") + "end",
       {"--han2zen=alpha"},
       CKanji::EMODE_EUC},
      {"si-jis", shifted + mojiwa_test::Jis(u8"漢字\n"), {"-s"}, CKanji::EMODE_JIS},
      {"undecided", crlf + "\xE0\xA1\xE0\xA1\r\n", {"-e"}, CKanji::EMODE_AUTO},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const std::string path = mojiwa_test::WriteTempFile(std::string(row.name) + ".txt", row.text);
    const mojiwa::filter::Options o = mojiwa_test::ParsedOptions(row.args);
    CKanji::EMODE to = o.to != CKanji::EMODE_AUTO ? o.to : row.detected;
    if (to == CKanji::EMODE_AUTO) to = CKanji::EMODE_SJIS;
    CKanji::EMODE fixed;
    std::string expected = LibraryRead(path, CKanji::EMODE_AUTO, to, {}, &fixed);
    EXPECT_EQ(row.detected, fixed);
    if (o.HasWidthOps()) expected = mojiwa_test::LibraryWidth(expected, to, o);
    std::vector<std::string> args = row.args;
    args.push_back(path);
    const RunResult r = RunFilter(args);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(SameBytes(expected, r.out));
  }
  // Held text that cannot be kept is an error of that input.
  mojiwa_test::RunOptions no_tmp;
  no_tmp.env = {"TMPDIR=/nonexistent-mojiwa-dir"};
  const std::string path = mojiwa_test::WriteTempFile("crlf-only.txt", crlf);
  const RunResult r = RunFilter({"-e", path}, no_tmp);
  EXPECT_EQ(1, r.status);
  EXPECT_NE(std::string::npos, r.err.find("mojiwa: " + path + ": temporary file: "));
}

}  // namespace
