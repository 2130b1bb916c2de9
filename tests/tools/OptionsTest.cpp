// The command line: each spelling (the filter's own, iconv's, nkf's) lands in the right field,
// and bad options, codes and class lists are refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Options.h"

namespace {

using mojiwa::filter::Mode;
using mojiwa::filter::Options;
using mojiwa::filter::ParseOptions;
using mojiwa::filter::ParseResult;

ParseResult Parse(std::vector<std::string> args) {
  args.insert(args.begin(), "mojiwa");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  return ParseOptions(static_cast<int>(args.size()), argv.data());
}

// Width classes as "dakmh" letters (digit alpha kata mark hira), for compact tables.
std::string Letters(const mojiwa::filter::WidthClasses& c) {
  std::string s;
  if (c.digit) s += 'd';
  if (c.alpha) s += 'a';
  if (c.kata) s += 'k';
  if (c.mark) s += 'm';
  if (c.hira) s += 'h';
  return s;
}

TEST(OptionsTest, CodeSpellings) {
  struct Row {
    std::vector<std::string> args;
    CKanji::EMODE from, to;
  };
  const CKanji::EMODE A = CKanji::EMODE_AUTO, S = CKanji::EMODE_SJIS, E = CKanji::EMODE_EUC,
                      J = CKanji::EMODE_JIS;
  const Row rows[] = {
      {{}, A, A},
      {{"-s"}, A, S},
      {{"-e", "-J"}, J, E},
      {{"-j", "-S"}, S, J},
      {{"-E", "-s"}, E, S},
      {{"--to=euc", "--from=sjis"}, S, E},
      {{"--to", "jis"}, A, J},
      {{"-t", "SHIFT_JIS", "-f", "EUC-JP"}, E, S},
      {{"-tISO-2022-JP"}, A, J},
      {{"--to-code=cp932//TRANSLIT"}, A, S},
      {{"--from-code=eucJP", "--to-code=Shift-JIS"}, E, S},
      {{"--oc=iso2022jp", "--ic=sjis"}, S, J},
      {{"--from=sjis", "--from=auto"}, A, A},
      {{"-s", "-e"}, A, E},  // the last one counts
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const ParseResult r = Parse(row.args);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(row.from, r.options.from);
    EXPECT_EQ(row.to, r.options.to);
  }
}

TEST(OptionsTest, WidthClassesAndCase) {
  struct Row {
    std::vector<std::string> args;
    std::string zen2han, han2zen, upper, lower;  // classes as letters; case as "zh"
  };
  const Row rows[] = {
      {{"--zen2han=digit,alpha"}, "da", "", "", ""},
      {{"--zen2han=all"}, "dakmh", "", "", ""},
      {{"--zen2han=HIRA"}, "h", "", "", ""},
      {{"--han2zen=all"}, "", "dakm", "", ""},  // hira is a variant, not a class, here
      {{"--han2zen=hira"}, "", "kh", "", ""},   // half-width kana to hiragana
      {{"--han2zen=mark,kata"}, "", "km", "", ""},
      {{"--upper"}, "", "", "zh", ""},
      {{"--upper=zen", "--lower=han"}, "", "", "z", "h"},
      {{"--lower=all"}, "", "", "", "zh"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const ParseResult r = Parse(row.args);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(row.zen2han, Letters(r.options.zen2han));
    EXPECT_EQ(row.han2zen, Letters(r.options.han2zen));
    auto cases = [](const mojiwa::filter::CaseWidths& c) {
      return std::string(c.zen ? "z" : "") + (c.han ? "h" : "");
    };
    EXPECT_EQ(row.upper, cases(r.options.upper));
    EXPECT_EQ(row.lower, cases(r.options.lower));
  }
}

TEST(OptionsTest, ModesSwitchesAndFiles) {
  const ParseResult r =
      Parse({"a.txt", "-x", "--crlf", "-", "--kana-to-zen", "-m0", "-o", "out", "--", "-s"});
  ASSERT_TRUE(r.ok) << r.error;
  const Options& o = r.options;
  EXPECT_EQ(Mode::kConvert, o.mode);
  EXPECT_TRUE(o.keep_kana && o.crlf && o.kana_to_zen);
  EXPECT_EQ("out", o.output);
  EXPECT_EQ((std::vector<std::string>{"a.txt", "-", "-s"}), o.inputs);  // "--" ends options

  struct Row {
    std::vector<std::string> args;
    Mode mode;
  };
  const Row rows[] = {{{"-g"}, Mode::kGuess},    {{"--guess", "f"}, Mode::kGuess},
                      {{"--conf"}, Mode::kConf}, {{"-V"}, Mode::kVersion},
                      {{"--list"}, Mode::kList}, {{"-g", "--help"}, Mode::kHelp}};
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.args));
    const ParseResult m = Parse(row.args);
    ASSERT_TRUE(m.ok) << m.error;
    EXPECT_EQ(row.mode, m.options.mode);
  }
}

TEST(OptionsTest, Refusals) {
  const std::vector<std::string> rows[] = {
      {"--to=utf8"},
      {"--to=auto"},
      {"-f", "latin1"},
      {"--zen2han=kanji"},
      {"--han2zen="},
      {"--zen2han=digit,"},
      {"--upper=both"},
      {"--bogus"},
      {"-q"},
      {"-o"},
      {"--to"},
      {"-m1"},
      {"--guess", "--conf"},
      {"---read-size=0"},
      {"--keep-kana=yes"},
      {"-h", "--bogus"},
  };
  for (const std::vector<std::string>& args : rows) {
    SCOPED_TRACE(::testing::PrintToString(args));
    EXPECT_FALSE(Parse(args).ok);
  }
}

}  // namespace
