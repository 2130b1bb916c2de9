// The configuration file reader: the three file codes into three kinds of reader, blank and
// comment handling, line ends, each format error with its record and the entries kept before it,
// unreadable paths, and allocations failing in the middle of a file.
#include <algorithm>
#include <cstring>
#include <new>

#include "support/DictionarySupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::Dump;
using mojiwa_test::Entries;
using mojiwa_test::EntryList;
using mojiwa_test::FailAllocation;
using mojiwa_test::Iconv;
using mojiwa_test::InCode;
using mojiwa_test::OpenFileCount;
using mojiwa_test::Settings;
using mojiwa_test::Sjis;
using mojiwa_test::SjisKey;
using mojiwa_test::TempFile;

using ReadConfTest = AccountingTest;

// The entries in Shift_JIS, from UTF-8 pairs.
EntryList SjisEntries(const std::vector<std::pair<std::string, std::string>>& utf8) {
  EntryList out;
  for (const auto& e : utf8) out.emplace_back(Sjis(e.first), Sjis(e.second));
  return out;
}

// The record of a reader error: message bytes, the path in place of the function, the line.
void ExpectConfError(const CThrowErr& err, const char* utf8_message, const char* path, int line) {
  EXPECT_EQ(Iconv(err.pcMessage, "SHIFT_JIS", "UTF-8"), utf8_message);
  EXPECT_STREQ(err.pcFunction, path);
  EXPECT_EQ(err.nLine, line);
  EXPECT_EQ(err.dwCode, 0UL);
  EXPECT_NE(std::strstr(err.pcFile, "Kanji"), nullptr);
}

const char kOpenMessage[] = u8"設定ファイルオープン失敗";
const char kNoKeyMessage[] = u8"設定ファイル書式異常(キー無し=???";
const char kNoEqualMessage[] = u8"設定ファイル書式異常(=無し)";
const char kNoValueMessage[] = u8"設定ファイル書式異常(?#値無し";

// A comment line, an empty line, a full-width space inside a value, a comment after an entry,
// and a last entry; every line ends with a line feed.
const char kExample[] = u8"# 設定\n\nplace = 東京　駅\nmode=fast  # note\ndebug=1\n";

TEST_F(ReadConfTest, ExampleInEveryFileCodeIntoEveryReader) {
  struct Reader {
    const char* what;
    CKanji::EMODE output;
    bool kana_to_zen, cr_lf, keep_kana;
    unsigned long grow;
    CKanji::EMODE stored;  // the code of the stored texts
  };
  // The Shift_JIS reader writes each EUC-JP line feed as CR LF: the CR must not reach a value.
  const Reader readers[] = {
      {"EUC-JP reader", CKanji::EMODE_EUC, false, false, false, 1024, CKanji::EMODE_EUC},
      {"Shift_JIS reader", CKanji::EMODE_SJIS, true, true, false, 256, CKanji::EMODE_SJIS},
      {"JIS reader", CKanji::EMODE_JIS, false, false, true, 64, CKanji::EMODE_SJIS},
  };
  for (CKanji::EMODE file_code : {CKanji::EMODE_SJIS, CKanji::EMODE_EUC, CKanji::EMODE_JIS}) {
    const TempFile file(InCode(file_code, kExample));
    for (const Reader& r : readers) {
      SCOPED_TRACE(std::string(r.what) + ", file in " + mojiwa_test::CodeName(file_code));
      const CKanji reader("untouched", r.output, CKanji::EMODE_AUTO, true, r.kana_to_zen, r.cr_lf,
                          r.keep_kana, r.grow);
      const std::string reader_text = reader.GetBuff();
      CKanjiHash dict;
      reader.ReadConf(file.Path(), dict);

      const EntryList want = {
          {"debug", "1"}, {"mode", "fast"}, {"place", InCode(r.stored, u8"東京駅")}};
      const EntryList got = Entries(dict);
      EXPECT_EQ(got, want) << Dump(got);
      const Settings stored{r.stored, CKanji::EMODE_AUTO, true,  r.kana_to_zen,
                            r.cr_lf,  r.keep_kana,        r.grow};
      CKanjiIterator it;
      for (it = dict.Begin(); it != dict.End(); ++it) {
        SCOPED_TRACE(it.Key().GetBuff());
        EXPECT_EQ(Settings::Of(it.Key()), stored);
        EXPECT_EQ(Settings::Of(it.Value()), stored);
      }
      // The reader is only a template: its text and its undetected input code stay.
      EXPECT_EQ(std::string(reader.GetBuff()), reader_text);
      EXPECT_EQ(reader.GetModeInput(), CKanji::EMODE_AUTO);
    }
  }
}

TEST_F(ReadConfTest, WellFormedFiles) {
  struct Row {
    const char* what;
    std::string utf8;
    std::vector<std::pair<std::string, std::string>> entries;
  };
  const Row rows[] = {
      {"empty file", "", {}},
      {"comments, empty and blank lines only", "# only\n\n  \t\n#x=y\n#\n", {}},
      {"blanks removed inside key and value", "a b = c d\n", {{"ab", "cd"}}},
      {"full-width spaces removed", u8"名前　=　値　です\n", {{u8"名前", u8"値です"}}},
      {"a second = starts the key over", "a=b=c\n", {{"b", "c"}}},
      {"later line wins", "k=1\nk=2\n", {{"k", "2"}}},
      {"# ends the entry, its = counts for nothing", "k=v#x=y\n", {{"k", "v"}}},
      {"# right after the value", "a=1#\nb=2\n", {{"a", "1"}, {"b", "2"}}},
      {"comment with = between entries", "x=1\n#c=d=e\ny=2\n", {{"x", "1"}, {"y", "2"}}},
      {"last line without line feed", "a=1\nk=v", {{"a", "1"}, {"k", "v"}}},
      {"last line a comment without line feed", "a=1\n# end", {{"a", "1"}}},
      {"CR LF lines", "a=1\r\nb=2\r\n\r\n#c\r\n", {{"a", "1"}, {"b", "2"}}},
      {"CR before the end of the text", "a=1\r", {{"a", "1"}}},
      {"CR inside a key is a character", "a\rb=1\n", {{"a\rb", "1"}}},
      {"CR before # is a character", "k=v\r#c\n", {{"k", "v\r"}}},
      {"half-width katakana bytes", u8"ｱ=ｲｳ\n", {{u8"ｱ", u8"ｲｳ"}}},
      {"kanji whose trail bytes are ASCII", u8"表=ソ\n", {{u8"表", u8"ソ"}}},
  };
  const CKanji reader(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const TempFile file(Sjis(row.utf8));
    CKanjiHash dict;
    const int files = OpenFileCount();
    reader.ReadConf(file.Path(), dict);
    EXPECT_EQ(OpenFileCount(), files);
    const EntryList got = Entries(dict);
    EXPECT_EQ(got, SjisEntries(row.entries)) << Dump(got);
  }
}

TEST_F(ReadConfTest, FormatErrorsKeepTheEntriesBeforeThem) {
  struct Row {
    const char* what;
    std::string utf8;
    const char* message;
    int line;
    std::vector<std::pair<std::string, std::string>> entries;  // besides "pre"
  };
  const Row rows[] = {
      {"key= then line feed", "key=\n", kNoValueMessage, 2231, {{"a", "old"}}},
      {"key= then #", "key=#note\n", kNoValueMessage, 2231, {{"a", "old"}}},
      {"value of blanks only", u8"k= \t　\n", kNoValueMessage, 2231, {{"a", "old"}}},
      {"key= at the end of the text", "a=1\nb=", kNoValueMessage, 2231, {{"a", "1"}}},
      {"key= then CR LF", "a=1\r\nb=\r\n", kNoValueMessage, 2231, {{"a", "1"}}},
      {"key alone", "a=1\nkey\n", kNoEqualMessage, 2223, {{"a", "1"}}},
      {"key then #", "a=1\nkey#note\n", kNoEqualMessage, 2223, {{"a", "1"}}},
      {"key alone at the end of the text", "a=1\nkey", kNoEqualMessage, 2223, {{"a", "1"}}},
      {"text after a comment line",
       "#ok\n\nx=1#c\ny\n",
       kNoEqualMessage,
       2223,
       {{"a", "old"}, {"x", "1"}}},
      {"= first", "=value\n", kNoKeyMessage, 2208, {{"a", "old"}}},
      {"== in a line", "a=1\na==b\n", kNoKeyMessage, 2208, {{"a", "1"}}},
      {"key of blanks only", u8" \t　=v\n", kNoKeyMessage, 2208, {{"a", "old"}}},
      {"= first after two entries",
       "a=1\nb=2\n=3\nc=4\n",
       kNoKeyMessage,
       2208,
       {{"a", "1"}, {"b", "2"}}},
  };
  const CKanji reader(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const TempFile file(Sjis(row.utf8));
    CKanjiHash dict;
    dict[SjisKey("a")] = "old";
    dict[SjisKey("pre")] = "kept";
    const int files = OpenFileCount();
    try {
      reader.ReadConf(file.Path(), dict);
      ADD_FAILURE() << "no throw";
    } catch (const CThrowErr& err) {
      ExpectConfError(err, row.message, file.Path(), row.line);
    }
    EXPECT_EQ(OpenFileCount(), files);
    auto want = row.entries;
    want.emplace_back("pre", "kept");
    std::sort(want.begin(), want.end());
    const EntryList got = Entries(dict);
    EXPECT_EQ(got, SjisEntries(want)) << Dump(got);
  }
}

TEST_F(ReadConfTest, PathsThatCannotBeReadThrowTheOpenError) {
  const std::string folder = ::testing::TempDir();
  const std::string missing = folder + "mojiwa-no-such-folder/settings.conf";
  struct Row {
    const char* what;
    const char* path;
    const char* reported;
  };
  const Row rows[] = {
      {"missing file", missing.c_str(), missing.c_str()},
      {"a folder opens but cannot be read", folder.c_str(), folder.c_str()},
      {"null path", nullptr, ""},
  };
  const CKanji reader(CKanji::EMODE_EUC, CKanji::EMODE_AUTO);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CKanjiHash dict;
    dict[SjisKey("k")] = "v";
    const int files = OpenFileCount();
    try {
      reader.ReadConf(row.path, dict);
      ADD_FAILURE() << "no throw";
    } catch (const CThrowErr& err) {
      ExpectConfError(err, kOpenMessage, row.reported, 2166);
    }
    EXPECT_EQ(OpenFileCount(), files);
    EXPECT_EQ(Entries(dict), (EntryList{{"k", "v"}}));
  }
}

// Every allocation of a reading fails in turn: whatever is thrown, the file is closed, nothing
// leaks, and the dictionary holds the file's first entries, each with its whole value.
TEST_F(ReadConfTest, FailedAllocationKeepsWholeEntriesOnly) {
  // b's value outgrows the buffer of a fresh default value, so storing it must grow.
  std::string two;
  for (int i = 0; i < 600; ++i) two += u8"二";
  const TempFile file(Sjis(u8"a = 1\nb = " + two + u8"\nc = 3\n"));
  const CKanji reader(CKanji::EMODE_EUC, CKanji::EMODE_AUTO, true, false, false, false, 16);
  const std::string b = mojiwa_test::Euc(two);
  std::vector<EntryList> states = {{{"b", "old"}}};
  states.push_back({{"a", "1"}, {"b", "old"}});
  states.push_back({{"a", "1"}, {"b", b}});
  states.push_back({{"a", "1"}, {"b", b}, {"c", "3"}});
  bool completed = false;
  for (long nth = 1; !completed && nth < 1000; ++nth) {
    SCOPED_TRACE(nth);
    CKanjiHash dict;
    dict[SjisKey("b")] = "old";
    const int files = OpenFileCount();
    bool threw = false;
    {
      FailAllocation fail(nth);
      try {
        reader.ReadConf(file.Path(), dict);
      } catch (const std::bad_alloc&) {
        threw = true;
      } catch (const CThrowErr&) {
        threw = true;
      }
      completed = !fail.Fired();
    }
    EXPECT_NE(threw, completed);
    EXPECT_EQ(OpenFileCount(), files);
    const EntryList got = Entries(dict);
    if (completed) {
      EXPECT_EQ(got, states.back()) << Dump(got);
    } else {
      EXPECT_NE(std::find(states.begin(), states.end(), got), states.end()) << Dump(got);
    }
  }
  EXPECT_TRUE(completed);
}

}  // namespace
