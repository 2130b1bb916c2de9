// The built filter as a Unix filter: --guess, --conf, every error path with its exit status and
// message, agreement with nkf where the options mean the same conversion, the man page, and
// memory that does not grow with the input.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "FilterSupport.h"

namespace {

using mojiwa_test::RunFilter;
using mojiwa_test::RunResult;
using mojiwa_test::SameBytes;
using mojiwa_test::SharedPath;

const char* const kUsageTail = "Try 'mojiwa --help' for more information.\n";

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
constexpr bool kSanitized = __has_feature(address_sanitizer);
#else
constexpr bool kSanitized = false;
#endif

TEST(FilterGuessTest, EachInputsNameAndCode) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  struct Row {
    const char* file;
    const char* code;
  };
  const Row rows[] = {
      {"corpus/ja-sjis.txt", "Shift_JIS"}, {"corpus/ja-euc.txt", "EUC-JP"},
      {"corpus/ja-jis.txt", "JIS"},        {"corpus/hw-sjis.txt", "Shift_JIS"},
      {"corpus/hw-euc.txt", "EUC-JP"},     {"corpus/hw-jis.txt", "JIS"},
      {"corpus/sources.txt", "ASCII"},     {"testdata/encoding_rs/jis0212_in.txt", "Shift_JIS"}};
  std::vector<std::string> args{"--guess"};
  std::string expected;
  for (const Row& row : rows) {
    const std::string path = SharedPath(row.file);
    args.push_back(path);
    expected += path + ": " + row.code + "\n";
    // The whole content decides, as CheckCode decides it.
    EXPECT_STREQ(row.code,
                 mojiwa::filter::GuessName(CKanji::CheckCode(mojiwa_test::ReadFile(path).c_str())))
        << row.file;
  }
  const RunResult r = RunFilter(args);
  EXPECT_EQ(0, r.status);
  EXPECT_EQ(expected, r.out);
  EXPECT_EQ("-: EUC-JP\n", RunFilter({"-g"}, mojiwa_test::Euc(u8"漢字です")).out);
}

class FilterConfTest : public ::testing::Test {
 protected:
  // The key order, blank removal, comments and a repeated key of a small file.
  const std::string utf8_ = u8"# 設定\n\nplace = 東京　駅\nmode=fast  # note\ndebug=1\nmode=slow\n";
  const std::string entries_ = u8"debug=1\nmode=slow\nplace=東京駅\n";
};

TEST_F(FilterConfTest, EntriesInKeyOrderInTheOutputCode) {
  const std::string path = mojiwa_test::WriteTempFile("good.conf", mojiwa_test::Sjis(utf8_));
  struct Row {
    std::vector<std::string> args;
    std::string expected;
    std::string input;
  };
  const Row rows[] = {
      {{"--conf", "-e", path}, mojiwa_test::Euc(entries_), ""},
      {{"--conf", "-j", path}, mojiwa_test::Jis(entries_), ""},
      {{"--conf", path}, mojiwa_test::Sjis(entries_), ""},  // the file's own code
      {{"--conf", "-s", "-"}, mojiwa_test::Sjis(entries_), mojiwa_test::Euc(utf8_)},
      {{"--conf", "-"}, mojiwa_test::Jis(entries_), mojiwa_test::Jis(utf8_)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const RunResult r = RunFilter(row.args, row.input);
    EXPECT_EQ(0, r.status) << r.err;
    EXPECT_TRUE(SameBytes(row.expected, r.out));
  }
}

TEST_F(FilterConfTest, MalformedFilesGiveTheReadersMessage) {
  const std::string good = mojiwa_test::WriteTempFile("ok.conf", mojiwa_test::Sjis(utf8_));
  struct Row {
    const char* text;
    std::string message;  // UTF-8
  };
  const Row rows[] = {{"a=1\nkey\n", u8"設定ファイル書式異常(=無し)"},
                      {"=value\n", u8"設定ファイル書式異常(キー無し=???"},
                      {"key=\n", u8"設定ファイル書式異常(?#値無し"},
                      {"key=#note\n", u8"設定ファイル書式異常(?#値無し"}};
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const std::string bad =
        mojiwa_test::WriteTempFile("bad" + std::to_string(n++) + ".conf", row.text);
    mojiwa_test::RunOptions utf8, c;
    utf8.env = {"LC_ALL=C.UTF-8"};
    c.env = {"LC_ALL=C"};
    // The other files are still read.
    const RunResult r = RunFilter({"--conf", "-s", bad, good}, utf8);
    EXPECT_EQ(1, r.status);
    EXPECT_EQ("mojiwa: " + bad + ": " + row.message + "\n", r.err);
    EXPECT_TRUE(SameBytes(mojiwa_test::Sjis(entries_), r.out));
    // Without a UTF-8 locale the message stays in Shift_JIS.
    const RunResult raw = RunFilter({"--conf", "-s", bad}, c);
    EXPECT_EQ(1, raw.status);
    EXPECT_EQ("mojiwa: " + bad + ": " + mojiwa_test::Sjis(row.message) + "\n", raw.err);
    EXPECT_EQ("", raw.out);
  }
  mojiwa_test::RunOptions utf8;
  utf8.env = {"LC_ALL=C.UTF-8"};
  const RunResult missing = RunFilter({"--conf", "-e", "/nonexistent/x.conf"}, utf8);
  EXPECT_EQ(1, missing.status);
  EXPECT_EQ(std::string("mojiwa: /nonexistent/x.conf: ") + u8"設定ファイルオープン失敗" + "\n",
            missing.err);
}

TEST(FilterErrorTest, UnreadableInputsAreReportedAndSkipped) {
  const std::string good = mojiwa_test::WriteTempFile("good.txt", mojiwa_test::Sjis(u8"漢字\n"));
  const std::string dir = ::testing::TempDir();
  const RunResult r = RunFilter({"-e", "/nonexistent/in.txt", good, dir, good});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("mojiwa: /nonexistent/in.txt: No such file or directory\nmojiwa: " + dir +
                ": Is a directory\n",
            r.err);
  EXPECT_EQ(mojiwa_test::Euc(u8"漢字\n漢字\n"), r.out);
  const RunResult g = RunFilter({"-g", "/nonexistent/in.txt", good});
  EXPECT_EQ(1, g.status);
  EXPECT_EQ(good + ": Shift_JIS\n", g.out);
}

TEST(FilterErrorTest, UsageErrorsExitWith2) {
  struct Row {
    std::vector<std::string> args;
    std::string first_line;
  };
  const Row rows[] = {
      {{"--bogus"}, "mojiwa: unrecognized option '--bogus'"},
      {{"-q"}, "mojiwa: invalid option -- 'q'"},
      {{"--to=utf8"}, "mojiwa: unknown code 'utf8' for --to (see --list)"},
      {{"--zen2han=kanji"},
       "mojiwa: invalid class list 'kanji' for --zen2han (digit, alpha, kata, hira, mark, all)"},
      {{"--upper=big"}, "mojiwa: invalid argument 'big' for --upper (zen, han, all)"},
      {{"-g", "--conf"}, "mojiwa: --guess and --conf cannot be combined"},
      {{"-o"}, "mojiwa: option requires an argument -- 'o'"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const RunResult r = RunFilter(row.args, "input");
    EXPECT_EQ(2, r.status);
    EXPECT_EQ("", r.out);
    EXPECT_EQ(row.first_line + "\nUsage: mojiwa [OPTION]... [FILE]...\n" + kUsageTail, r.err);
  }
  const RunResult help = RunFilter({"--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.out.find("Usage: mojiwa [OPTION]... [FILE]...\n"));
  EXPECT_EQ("mojiwa 1.0.0\n", RunFilter({"-V"}).out);
}

TEST(FilterErrorTest, WriteErrorsExitWith1) {
  const std::string text = mojiwa_test::Sjis(u8"漢字\n");
  mojiwa_test::RunOptions full;
  full.input = text;
  full.stdout_path = "/dev/full";
  RunResult r = RunFilter({"-e"}, full);
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("mojiwa: write error: No space left on device\n", r.err);
  r = RunFilter({"--help"}, full);
  EXPECT_EQ(1, r.status);
  r = RunFilter({"-e", "-o", "/dev/full", "-"}, text);
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("mojiwa: /dev/full: No space left on device\n", r.err);
  r = RunFilter({"-o", "/nonexistent/out.txt"}, text);
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("mojiwa: /nonexistent/out.txt: No such file or directory\n", r.err);
  // An input that is the output would be truncated before it is read.
  const std::string same = mojiwa_test::WriteTempFile("same.txt", text);
  r = RunFilter({"-e", "-o", same, same});
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("mojiwa: " + same + ": input file is the output file\n", r.err);
  EXPECT_EQ(text, mojiwa_test::ReadFile(same));
  // Standard output on an input file (as with >>): that input is skipped, the others converted.
  const std::string other = mojiwa_test::WriteTempFile("other.txt", "abc\n");
  mojiwa_test::RunOptions onto;
  onto.stdout_path = same.c_str();
  r = RunFilter({"-e", same, other}, onto);
  EXPECT_EQ(1, r.status);
  EXPECT_EQ("mojiwa: " + same + ": input file is the output file\n", r.err);
  EXPECT_EQ("abc\n", mojiwa_test::ReadFile(same).substr(0, 4));
}

TEST(FilterNkfTest, SameBytesWhereTheOptionsMeanTheSameConversion) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  if (std::system("command -v nkf > /dev/null 2>&1") != 0) GTEST_SKIP() << "nkf not installed";
  struct Row {
    const char* file;
    std::vector<std::string> mojiwa;
    std::vector<std::string> nkf;
  };
  std::vector<Row> rows;
  for (const char* file : {"ja-sjis.txt", "ja-euc.txt", "ja-jis.txt"}) {
    for (const char* to : {"-s", "-e", "-j"}) rows.push_back({file, {to}, {"-m0", "-x", to}});
  }
  // The half-width files, with their code given (detection differs: nkf's looks at the whole
  // file). Where nkf's -x is left out, it would keep half-width katakana as SS2 in EUC-JP and
  // as ESC ( I in JIS, where the library writes them full width.
  rows.push_back({"hw-sjis.txt", {"-S", "-s"}, {"-m0", "-x", "-S", "-s"}});
  rows.push_back({"hw-sjis.txt", {"-S", "-e"}, {"-m0", "-S", "-e"}});
  rows.push_back({"hw-sjis.txt", {"-S", "-j"}, {"-m0", "-S", "-j"}});
  rows.push_back({"hw-euc.txt", {"-E", "-s"}, {"-m0", "-x", "-E", "-s"}});
  rows.push_back({"hw-euc.txt", {"-E", "-e"}, {"-m0", "-E", "-e"}});
  rows.push_back({"hw-euc.txt", {"-E", "-j"}, {"-m0", "-E", "-j"}});
  // hw-jis.txt is not compared: its SI/SO carry the reverse of ISO 2022's sense, which nkf reads.
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " " + ::testing::PrintToString(row.mojiwa));
    std::vector<std::string> mojiwa_args = row.mojiwa, nkf_args = row.nkf;
    mojiwa_args.push_back(SharedPath(std::string("corpus/") + row.file));
    nkf_args.push_back(mojiwa_args.back());
    const RunResult ours = RunFilter(mojiwa_args);
    const RunResult theirs = mojiwa_test::RunProgram("nkf", nkf_args, {});
    ASSERT_EQ(0, theirs.status);
    EXPECT_TRUE(SameBytes(theirs.out, ours.out));
  }
}

TEST(FilterManPageTest, RendersWithoutWarnings) {
  if (std::system("command -v man > /dev/null 2>&1") != 0) GTEST_SKIP() << "man not installed";
  mojiwa_test::RunOptions o;
  o.env = {"MANWIDTH=80", "LC_ALL=C"};
  const RunResult r = mojiwa_test::RunProgram("man", {"--warnings", "-l", MOJIWA_MAN_PAGE}, o);
  EXPECT_EQ(0, r.status);
  EXPECT_EQ("", r.err);
  for (const char* section : {"NAME", "SYNOPSIS", "OPTIONS", "EXIT STATUS", "SEE ALSO"})
    EXPECT_NE(std::string::npos, r.out.find(section)) << section;
}

TEST(FilterMemoryTest, PeakMemoryDoesNotGrowWithTheInput) {
  if (kSanitized) GTEST_SKIP() << "the sanitizer's quarantine keeps freed memory: peaks grow";
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  const std::string piece = mojiwa_test::ReadFile(SharedPath("corpus/ja-sjis.txt"));
  std::string small, large;
  while (small.size() < (16u << 20)) small += piece;
  while (large.size() < (64u << 20)) large += piece;
  const std::vector<std::string> rows[] = {{"-j"}, {"-e", "--zen2han=all"}};
  for (const std::vector<std::string>& args : rows) {
    SCOPED_TRACE(::testing::PrintToString(args));
    long peak[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
      mojiwa_test::RunOptions o;
      o.input = i == 0 ? small : large;
      o.discard_output = true;
      const RunResult r = RunFilter(args, o);
      EXPECT_EQ(0, r.status) << r.err;
      EXPECT_GT(r.out_size, o.input.size() - o.input.size() / 4);
      peak[i] = r.peak_kb;
    }
    EXPECT_GT(peak[0], 0);
    EXPECT_LT(peak[1] - peak[0], 2 * 1024) << "KiB more for four times the input";
    EXPECT_LT(peak[1], 16 * 1024) << "peak resident size in KiB";
  }
}

}  // namespace
