// The built filter as a Unix filter: each code to each code on the corpus, switches, width
// operations and detection write what the library writes for the whole text, also in reads of
// 1 to 17 bytes; nkf's bytes where its options agree; option spellings, --guess, --conf, EUC-JP
// single shifts, every error path with its exit status, the man page, and bounded memory.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/ConvertSupport.h"

namespace {

using mojiwa_test::Euc;
using mojiwa_test::Jis;
using mojiwa_test::ReadFile;
using mojiwa_test::Sjis;

// A file of this process under the temporary folder holding `bytes`; returns its path.
std::string TempFile(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + "mojiwa-" + std::to_string(getpid()) + "-" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

struct Call {
  std::string command;  // for the shell; "mojiwa" is the filter just built
  std::string input;
  int status;  // exit status; 128 + signal when killed
  std::string out, err;
};

Call Shell(const std::string& command, const std::string& input = "") {
  const std::string bin = MOJIWA_FILTER_BIN, in = TempFile("in", input), out = TempFile("out", ""),
                    err = TempFile("err", "");
  const int rc = std::system(("PATH=" + bin.substr(0, bin.rfind('/')) + ":$PATH; (" + command +
                              ") <" + in + " >" + out + " 2>" + err)
                                 .c_str());
  Call r{command, input, WIFEXITED(rc) ? WEXITSTATUS(rc) : 128 + WTERMSIG(rc), ReadFile(out),
         ReadFile(err)};
  for (const std::string* path : {&in, &out, &err}) std::remove(path->c_str());
  return r;
}

// Runs each row's command on its input and checks the exit status, output and messages; a
// wrong output is shown from its first differing byte rather than as megabytes of dump.
void Check(const std::vector<Call>& rows) {
  for (const Call& row : rows) {
    SCOPED_TRACE(row.command);
    const Call r = Shell(row.command, row.input);
    EXPECT_EQ(row.status, r.status);
    EXPECT_EQ(mojiwa_test::FirstDifference(r.out, row.out), "")
        << "sizes " << row.out.size() << ", " << r.out.size();
    EXPECT_EQ(row.err, r.err);
  }
}

enum Switch : unsigned { kKanaToZen = 1, kCrLf = 2, kKeepKana = 4 };

// The library's conversion of a whole text, then the width and case operations `ops` calls.
std::string LibraryConvert(const std::string& text, CKanji::EMODE from, CKanji::EMODE to,
                           unsigned sw = 0, void (*ops)(CKanji&) = nullptr) {
  CKanji object(to, from, true, sw & kKanaToZen, sw & kCrLf, sw & kKeepKana,
                static_cast<unsigned long>(text.size() * 2 + 1024));
  object = text.c_str();
  if (ops != nullptr) ops(object);
  return std::string(object.GetBuff(), object.GetSize());
}

const CKanji::EMODE S = CKanji::EMODE_SJIS, E = CKanji::EMODE_EUC, J = CKanji::EMODE_JIS;

const std::string kText = u8"漢字かな\n";
// Key order, blanks, comments and a repeated key.
const std::string kConf = u8"# 設定\n\nplace = 東京　駅\nmode=fast  # note\ndebug=1\nmode=slow\n";
const std::string kEntries = u8"debug=1\nmode=slow\nplace=東京駅\n";

std::string Corpus(const std::string& name) { return mojiwa_test::SharedPath("corpus/" + name); }

// The lines of a corpus file within its first `size` bytes.
std::string Head(const std::string& name, std::size_t size = 100000) {
  const std::string text = ReadFile(Corpus(name));
  return text.substr(0, text.rfind('\n', size) + 1);
}

std::string Flag(CKanji::EMODE code, bool to) {
  return std::string(" -") + "sejSEJ"[(code == S ? 0 : code == E ? 1 : 2) + (to ? 0 : 3)];
}

class FilterCorpusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  }
  mojiwa_test::MemLimitScope unlimited_{0};  // the references hold whole files
};

TEST_F(FilterCorpusTest, EachCodeToEachCodeIsTheLibrarysConversion) {
  const std::pair<std::string, CKanji::EMODE> rows[] = {{"ja-sjis.txt", S}, {"ja-euc.txt", E},
                                                        {"ja-jis.txt", J},  {"hw-sjis.txt", S},
                                                        {"hw-euc.txt", E},  {"hw-jis.txt", J}};
  for (const auto& row : rows) {
    // hw-euc.txt holds the text of hw-sjis.txt, with SS2 katakana, which the library does not read.
    const bool ss2 = row.first == "hw-euc.txt";
    const std::string text = ReadFile(Corpus(ss2 ? "hw-sjis.txt" : row.first));
    for (CKanji::EMODE to : {S, E, J}) {
      Check({{"mojiwa" + Flag(row.second, false) + Flag(to, true) + " " + Corpus(row.first), "", 0,
              LibraryConvert(text, ss2 ? S : row.second, to), ""}});
    }
  }
}

TEST_F(FilterCorpusTest, SwitchesWidthAndDetectionAreTheLibrarys) {
  // Undecided text longer than the read buffer waits in a temporary file.
  std::string crlf, lf;
  for (int i = 0; i < 30000; ++i) {
    crlf += "\r\nline " + std::to_string(i);
    lf += "ascii Text 0123\n";
  }
  // One line longer than the width stage's pieces, which end on a character (and in JIS, enter
  // the set again: compared as Shift_JIS).
  std::string line;
  for (const std::string unit = Sjis(u8"漢字とｶﾞﾅとＡＢ１２"); line.size() < 100000;) line += unit;
  struct Row {
    std::string text, args;
    CKanji::EMODE from, to;
    void (*ops)(CKanji&);
    unsigned sw = 0;
  };
  const Row rows[] = {
      {Head("ja-euc.txt"), "-E -s --crlf --han2zen=digit,alpha --lower", E, S,
       [](CKanji& k) { k.han2zen(1, 1, 0, 0, 0), k.ToLower(1, 1); }, kCrLf},
      {Head("hw-sjis.txt"),
       "-S -j -x --zen2han=digit,kata --han2zen=alpha,mark --upper=han --lower=zen", S, J,
       [](CKanji& k) {
         k.zen2han(1, 0, 1, 0, 0), k.han2zen(0, 1, 0, 1, 0), k.ToUpper(0, 1), k.ToLower(1, 0);
       },
       kKeepKana},
      {Head("hw-jis.txt"), "-J -s --kana-to-zen --zen2han=HIRA,alpha,mark --upper=zen", J, S,
       [](CKanji& k) { k.zen2han(0, 1, 0, 1, 1), k.ToUpper(1, 0); }, kKanaToZen},
      {Head("hw-jis.txt"), "-J -s --han2zen=all", J, S,
       [](CKanji& k) { k.han2zen(1, 1, 1, 1, 0); }},
      {Head("hw-sjis.txt"), "-S --han2zen=hira", S, S, [](CKanji& k) { k.han2zen(0, 0, 1, 0, 1); }},
      {crlf + Sjis(u8"漢字かな\r\n") + "tail\r\n", "-e", S, E, nullptr},
      {lf + Euc(u8"全角ＡＢＣ\n") + "end", "--han2zen=alpha", E, E,
       [](CKanji& k) { k.han2zen(0, 1, 0, 0, 0); }},
      // SI: the katakana set of a JIS reader, once JIS is decided.
      {"\x0F" + lf + Jis(u8"漢字\n"), "-s", J, S, nullptr},
      {crlf + "\xE0\xA1\xE0\xA1\r\n", "-e", CKanji::EMODE_AUTO, E, nullptr},  // never decided
      {line, "-S -e --zen2han=all --lower", S, E,
       [](CKanji& k) { k.zen2han(1, 1, 1, 1, 1), k.ToLower(1, 1); }},
      {line, "-S -j --zen2han=all", S, J, [](CKanji& k) { k.zen2han(1, 1, 1, 1, 1); }},
  };
  for (const Row& row : rows) {
    std::string command = "mojiwa " + row.args + " " + TempFile("text", row.text);
    std::string expected = LibraryConvert(row.text, row.from, row.to, row.sw, row.ops);
    if (row.text == line && row.to == J) {
      command += " | mojiwa -J -s";
      expected = LibraryConvert(expected, J, S);
    }
    Check({{command, "", 0, expected, ""}});
  }
}

TEST_F(FilterCorpusTest, ReadsOfEverySizeFrom1To17GiveTheOutputOfLargeReads) {
  // Undecided over its first lines (CR and SI make them wait), then Shift_JIS in a line with
  // half-width katakana and sound marks.
  std::string late = std::string("\x0F") + "abc\r\n";
  for (int i = 0; i < 40; ++i) late += "plain line\r\n";
  late += Sjis(u8"漢字ｶﾞｷﾞｸﾟ\r\n") + Head("hw-sjis.txt", 2000);
  const std::pair<std::string, std::string> rows[] = {
      {Head("hw-jis.txt", 6000), "-e"},
      {Head("hw-sjis.txt", 6000), "-S -e --han2zen=kata,hira"},
      {late, "-j --upper"}};
  for (const auto& row : rows) {
    const std::string whole = Shell("mojiwa " + row.second, row.first).out;
    for (int size = 1; size <= 17; ++size) {
      Check({{"mojiwa ---read-size=" + std::to_string(size) + " " + row.second, row.first, 0, whole,
              ""}});
    }
  }
}

TEST_F(FilterCorpusTest, SameBytesAsNkfWhereTheOptionsMeanTheSame) {
  if (std::system("command -v nkf > /dev/null") != 0) GTEST_SKIP() << "nkf not installed";
  // Half-width katakana, which nkf without -x writes full width, as mojiwa does into EUC-JP and
  // JIS. (The ja-*.txt files are the library's conversions of one another, as the conversion
  // tests check.) hw-jis.txt is left out: its SI/SO carry the reverse of ISO 2022's sense.
  const std::pair<std::string, std::string> rows[] = {{" -S -e ", "hw-sjis.txt"},
                                                      {" -E -j ", "hw-euc.txt"}};
  for (const auto& row : rows) {
    const Call nkf = Shell("nkf -m0" + row.first + Corpus(row.second));
    Check({{"mojiwa" + row.first + Corpus(row.second), "", nkf.status, nkf.out, ""}});
  }
}

TEST_F(FilterCorpusTest, GuessAndEucSingleShifts) {
  std::string guess = "mojiwa --guess", names;
  for (const char* name :
       {"ja-sjis.txt: Shift_JIS", "ja-euc.txt: EUC-JP", "ja-jis.txt: JIS", "hw-sjis.txt: Shift_JIS",
        "hw-euc.txt: EUC-JP", "hw-jis.txt: JIS", "sources.txt: ASCII"}) {
    guess += " " + Corpus(std::string(name).substr(0, std::string(name).find(':')));
    names += Corpus(name) + "\n";
  }
  // SS2 katakana kept half width into JIS; JIS X 0212 written as the geta mark, and counted.
  const std::string jis0212 = mojiwa_test::SharedPath("testdata/encoding_rs/jis0212_in.txt");
  const std::string text = ReadFile(jis0212);
  std::string geta = text.substr(0, text.find('\x8F'));
  for (int i = 0; i < 8836; ++i) geta += "\x81\xAC\n";
  Check({{guess + " " + jis0212, "", 0, names + jis0212 + ": Shift_JIS\n", ""},
         {"mojiwa -E -j -x " + Corpus("hw-euc.txt"), "", 0, ReadFile(Corpus("hw-jis.txt")), ""},
         {"mojiwa -E -s " + jis0212, "", 0, geta,
          "mojiwa: " + jis0212 + ": 8836 JIS X 0212 character(s) written as the geta mark\n"}});
}

TEST(FilterTest, OptionSpellingsAndConf) {
  const std::string conf = TempFile("good.conf", Sjis(kConf));
  Check({
      {"mojiwa --to=euc --from=sjis", Sjis(kText), 0, Euc(kText), ""},
      {"mojiwa -t SHIFT_JIS -f EUC-JP", Euc(kText), 0, Sjis(kText), ""},
      {"mojiwa --to-code=cp932//TRANSLIT --from-code=eucJP", Euc(kText), 0, Sjis(kText), ""},
      {"mojiwa --oc=iso2022jp --ic=sjis", Sjis(kText), 0, Jis(kText), ""},
      {"mojiwa --from=euc --from=auto -s -e -- -", Sjis(kText), 0, Euc(kText), ""},  // last counts
      // Regression: a NUL ended the width stage's text, and the rest of its line was lost.
      {"mojiwa -S --zen2han=alpha", Sjis(u8"ＡＢ") + '\0' + Sjis(u8"ＣＤ\n"), 0,
       std::string("AB\0CD\n", 6), ""},
      {"mojiwa -S -j", Sjis(u8"漢") + '\0' + "a", 0, Jis(u8"漢") + '\0' + "a", ""},  // NUL in Roman
      {"mojiwa -g", Euc(u8"漢字です"), 0, "-: EUC-JP\n", ""},
      {"mojiwa --help | sed -n 1p", "", 0, "Usage: mojiwa [OPTION]... [FILE]...\n", ""},
      {"mojiwa --conf " + conf, "", 0, Sjis(kEntries), ""},  // the file's own code
      {"mojiwa --conf -e -", Sjis(kConf), 0, Euc(kEntries), ""},
      {"mojiwa --conf", Jis(kConf), 0, Jis(kEntries), ""},
  });
}

TEST(FilterTest, ErrorsAndTheirExitStatus) {
  const std::string usage =
      "\nUsage: mojiwa [OPTION]... [FILE]...\nTry 'mojiwa --help' for more information.\n";
  const std::string good = TempFile("good.conf", Sjis(kConf)), same = TempFile("same", Sjis(kText)),
                    other = TempFile("other", "abc\n"), dir = ::testing::TempDir();
  std::string undecided;  // more than the read buffer holds, waiting in a temporary file
  for (int i = 0; i < 30000; ++i) undecided += "\r\nline " + std::to_string(i);
  const std::string held = TempFile("held", undecided), no_eq = TempFile("1.conf", "a=1\nkey\n"),
                    no_value = TempFile("2.conf", "key=\n");
  Check({
      {"mojiwa --bogus", "x", 2, "", "mojiwa: unrecognized option '--bogus'" + usage},
      {"mojiwa --to=auto", "x", 2, "", "mojiwa: unknown code 'auto' for --to (see --list)" + usage},
      {"mojiwa --zen2han=digit,", "x", 2, "",
       "mojiwa: invalid class list 'digit,' for --zen2han (digit, alpha, kata, hira, mark, all)" +
           usage},
      {"mojiwa -m1", "x", 2, "",
       "mojiwa: -m takes only 0: MIME decoding is not done anyway" + usage},
      {"mojiwa -g --conf", "x", 2, "", "mojiwa: --guess and --conf cannot be combined" + usage},
      // Unreadable inputs are reported, and the others still converted.
      {"mojiwa -e /nonexistent/in " + same, "", 1, Euc(kText),
       "mojiwa: /nonexistent/in: No such file or directory\n"},
      {"mojiwa -e " + dir + " " + same, "", 1, Euc(kText), "mojiwa: " + dir + ": Is a directory\n"},
      {"mojiwa -g /nonexistent/in " + same, "", 1, same + ": Shift_JIS\n",
       "mojiwa: /nonexistent/in: No such file or directory\n"},
      {"TMPDIR=/nonexistent mojiwa -e " + held, "", 1, "",
       "mojiwa: " + held + ": temporary file: No such file or directory\n"},
      {"mojiwa -e >/dev/full", "x", 1, "", "mojiwa: write error: No space left on device\n"},
      {"mojiwa --help >/dev/full", "", 1, "", "mojiwa: write error: No space left on device\n"},
      {"mojiwa -e -o /dev/full -", "x", 1, "", "mojiwa: /dev/full: No space left on device\n"},
      {"mojiwa -o /nonexistent/out", "x", 1, "",
       "mojiwa: /nonexistent/out: No such file or directory\n"},
      // An input that is the output would be truncated before it is read; >> skips it too.
      {"mojiwa -e -o " + same + " " + same, "", 1, "",
       "mojiwa: " + same + ": input file is the output file\n"},
      {"mojiwa -e " + same + " " + other + " >>" + same, "", 1, "",
       "mojiwa: " + same + ": input file is the output file\n"},
      // The library's error messages, in UTF-8 under a UTF-8 locale, else in Shift_JIS.
      {"LC_ALL=C.UTF-8 mojiwa --conf -s " + no_eq + " " + good, "", 1, Sjis(kEntries),
       "mojiwa: " + no_eq + u8": 設定ファイル書式異常(=無し)\n"},
      {"LC_ALL=C mojiwa --conf " + no_value, "", 1, "",
       "mojiwa: " + no_value + ": " + Sjis(u8"設定ファイル書式異常(?#値無し") + "\n"},
      {"LC_ALL=C.UTF-8 mojiwa --conf -e /nonexistent/x.conf", "", 1, "",
       u8"mojiwa: /nonexistent/x.conf: 設定ファイルオープン失敗\n"},
  });
  EXPECT_EQ(Sjis(kText) + "abc\n", ReadFile(same));
}

TEST(FilterTest, ManPageRendersWithoutWarnings) {
  if (std::system("command -v man > /dev/null") != 0) GTEST_SKIP() << "man not installed";
  Check({{"MANWIDTH=80 LC_ALL=C man --warnings -l " MOJIWA_MAN_PAGE " | grep -c 'EXIT STATUS'", "",
          0, "1\n", ""}});
}

TEST(FilterTest, MemoryDoesNotGrowWithTheInput) {
  if (MOJIWA_SANITIZED) GTEST_SKIP() << "sanitizers reserve terabytes of address space";
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  // Ten copies of a 6 MB file, in 32 MiB of address space, give ten times one copy's output.
  for (const std::string args : {" -j ", " -e --zen2han=all "}) {
    const std::string one = Shell("mojiwa" + args + Corpus("ja-sjis.txt") + " | wc -c").out;
    Check({{"for i in 0 1 2 3 4 5 6 7 8 9; do cat " + Corpus("ja-sjis.txt") +
                "; done | (ulimit -v 32768; mojiwa" + args + ") | wc -c",
            "", 0, std::to_string(10 * std::stol(one)) + "\n", ""}});
  }
}

}  // namespace
