// The configuration file reader: one example in each file code through each kind of reader, one
// table of files good and bad, and readings cut short by the memory limit.
#include <string>
#include <utility>

#include "support/DictionarySupport.h"

namespace {

using mojiwa_test::Flat;
using mojiwa_test::InCode;
using mojiwa_test::Settings;
using mojiwa_test::Sjis;
using mojiwa_test::TempFile;
using ReadConfTest = mojiwa_test::AccountingTest;

// Reads the file and returns what was thrown as "message line function code", or "". The file
// must be closed either way.
std::string Read(const CKanji& reader, const char* path, CKanjiHash& dict) {
  const long files = mojiwa_test::OpenFileCount();
  std::string thrown;
  try {
    reader.ReadConf(path, dict);
  } catch (const CThrowErr& e) {
    thrown = mojiwa_test::Iconv(e.pcMessage, "SHIFT_JIS", "UTF-8") + " " + std::to_string(e.nLine) +
             " " + (e.pcFunction ? e.pcFunction : "(null)") + " " + std::to_string(e.dwCode);
  }
  EXPECT_EQ(mojiwa_test::OpenFileCount(), files) << "the file was left open";
  return thrown;
}

TEST_F(ReadConfTest, ExampleInEveryFileCodeIntoEveryReader) {
  // The Shift_JIS reader writes each line feed as CR LF: the CR must not reach a value.
  const CKanji readers[] = {
      {"untouched", CKanji::EMODE_EUC, CKanji::EMODE_AUTO, true, false, false, false, 1024},
      {"untouched", CKanji::EMODE_SJIS, CKanji::EMODE_AUTO, true, true, true, false, 256},
      {"untouched", CKanji::EMODE_JIS, CKanji::EMODE_AUTO, true, false, false, true, 64}};
  for (CKanji::EMODE code : {CKanji::EMODE_SJIS, CKanji::EMODE_EUC, CKanji::EMODE_JIS}) {
    const TempFile file(InCode(code, u8"# 設定\n\nplace = 東京　駅\nmode=fast  # note\ndebug=1\n"));
    for (const CKanji& reader : readers) {
      SCOPED_TRACE("file " + std::to_string(code) + ", reader " +
                   std::to_string(reader.GetModeOutput()));
      CKanjiHash dict;
      EXPECT_EQ(Read(reader, file.Path(), dict), "");
      // Keys and values carry the reader's settings; a JIS reader stores Shift_JIS.
      const CKanji::EMODE out =
          reader.GetModeOutput() == CKanji::EMODE_JIS ? CKanji::EMODE_SJIS : reader.GetModeOutput();
      EXPECT_EQ(Flat(dict), "debug=1 mode=fast place=" + InCode(out, u8"東京駅"));
      const auto want = std::make_pair(Settings(reader, out), Settings(reader, out));
      CKanjiIterator it;
      for (it = dict.Begin(); it != dict.End(); ++it)
        EXPECT_EQ(std::make_pair(Settings(it.Key()), Settings(it.Value())), want);
      EXPECT_STREQ(reader.GetBuff(), "untouched");
    }
  }
}

// Each message, then its line.
const char kOpen[] = u8"設定ファイルオープン失敗 2166";
const char kNoKey[] = u8"設定ファイル書式異常(キー無し=??? 2208";
const char kNoEqual[] = u8"設定ファイル書式異常(=無し) 2223";
const char kNoValue[] = u8"設定ファイル書式異常(?#値無し 2231";
const char kOwnFile[] = "";  // the row's text, written to a temporary file

// A Shift_JIS reader fills a dictionary holding a=old: entries stored before an error stay, a
// later value replaces an earlier one, and the file is closed on every way out.
TEST_F(ReadConfTest, EntriesAndErrorsOfEachFile) {
  const std::string folder = ::testing::TempDir(), missing = folder + "mojiwa-none/x.conf";
  struct Row {
    const char* what;
    std::string utf8;
    const char* error;  // null: none
    std::string entries;
    const char* path = kOwnFile;
  };
  const Row rows[] = {
      {"empty file", "", nullptr, "a=old"},
      {"blanks removed", u8"a b = c d\n名前　=　値　です\n", nullptr, u8"a=old ab=cd 名前=値です"},
      {"a second = starts the key over", "a=b=c\n", nullptr, "a=old b=c"},
      {"comments; # ends the entry", "# c\n\n \t\nk=v#x=y\nb=2\n# end", nullptr, "a=old b=2 k=v"},
      {"last line without line feed", "a=1\nk=v", nullptr, "a=1 k=v"},
      {"CR before a line end", "a=1\r\nb=2\r\n\r\n#c\r\nc=3\r", nullptr, "a=1 b=2 c=3"},
      {"CR elsewhere is a character", "k\rx=v\r#c\n", nullptr, "a=old k\rx=v\r"},
      {"key= then line feed", "k=\n", kNoValue, "a=old"},
      {"key= at the end of the text", "a=1\nb=", kNoValue, "a=1"},
      {"key= then CR LF", "a=1\r\nb=\r\n", kNoValue, "a=1"},
      {"key alone", "a=1\nkey\n", kNoEqual, "a=1"},
      {"key alone at the end of the text", "a=1\nkey", kNoEqual, "a=1"},
      {"= first", "=value\n", kNoKey, "a=old"},
      {"==", "a=1\nb==c\n", kNoKey, "a=1"},
      {"key of blanks only", u8" \t　=v\n", kNoKey, "a=old"},
      {"missing file", "", kOpen, "a=old", missing.c_str()},
      {"a folder opens but cannot be read", "", kOpen, "a=old", folder.c_str()},
      {"null path", "", kOpen, "a=old", nullptr},
  };
  const CKanji reader(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const TempFile file(Sjis(row.utf8));
    const char* const path = row.path == kOwnFile ? file.Path() : row.path;
    CKanjiHash dict;
    dict[CKanji("a")] = "old";
    EXPECT_EQ(Read(reader, path, dict),
              row.error ? row.error + std::string(" ") + (path ? path : "") + " 0" : "");
    EXPECT_EQ(Flat(dict), Sjis(row.entries));
  }
}

// Files no one writes on purpose: lead bytes where the next byte cannot finish them, NULs inside
// lines (the rest of such a line is dropped), escapes inside a key or cut short, then binary
// files through every reader, which give entries or a format error, never an empty key or value.
TEST_F(ReadConfTest, BytesBesideTheSeparatorsAndBinaryFiles) {
  constexpr auto E = CKanji::EMODE_EUC, S = CKanji::EMODE_SJIS, J = CKanji::EMODE_JIS;
  const std::tuple<CKanji::EMODE, std::string, std::string> rows[] = {
      {S, "\x81=v\nk=\x81\nl=v\x81#c\nm=v\x81", "k=\x81 l=v\x81 m=v\x81 \x81=v"},
      {E, "\xB0=\xB0\xA1\n\x8E=\x8F\n", "\x8E=\x8F \xB0=\xB0\xA1"},
      {S, std::string("a=b\0junk\n\0x\nc=d\n", 17), "a=b c=d"},
      {J, "a\x1B(Bb=1\nk=v\x1B$", "ab=1 k=v"},
  };
  for (const auto& [code, bytes, entries] : rows) {
    const TempFile file(bytes);
    CKanjiHash dict;
    EXPECT_EQ(Read(CKanji(code, code), file.Path(), dict), "") << mojiwa_test::Hex(bytes);
    EXPECT_EQ(Flat(dict), entries) << mojiwa_test::Hex(bytes);
  }
  // Every byte value, '=' and line feeds among them: a reader of every kind stores entries.
  std::string mixed;
  for (int b = 0; b <= 0xFF; ++b)
    mixed += {static_cast<char>(0xFF - b), b % 3 == 0   ? '='
                                           : b % 7 == 0 ? '\n'
                                                        : static_cast<char>(b)};
  const TempFile file(mixed);
  for (CKanji::EMODE output : {E, S, J}) {
    for (CKanji::EMODE input : {E, S, J, CKanji::EMODE_AUTO}) {
      CKanjiHash dict;
      const std::string thrown = Read(CKanji(output, input), file.Path(), dict);
      EXPECT_TRUE(thrown.empty() || thrown.find(u8"設定ファイル書式異常") == 0) << thrown;
      EXPECT_FALSE(dict.Empty());
      for (const auto& entry : mojiwa_test::Entries(dict))
        EXPECT_FALSE(entry.first.empty() || entry.second.empty()) << Flat(dict);
    }
  }
}

// Under every memory limit a reading completes or stores nothing: a value that cannot be copied
// never leaves its key stored with an empty or partial value.
TEST_F(ReadConfTest, LimitNeverStoresAPartEntry) {
  const std::string big(600, 'x');
  const TempFile file("k=" + big + "\n");
  const CKanji reader(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, 16);
  std::string thrown = "not yet";
  for (unsigned long extra = 1; !thrown.empty() && extra < 20000; extra += 4) {
    SCOPED_TRACE(extra);
    CKanjiHash dict;
    {
      const mojiwa_test::MemLimitScope limit(mojiwa_test::Probe::AllSize() + extra);
      thrown = Read(reader, file.Path(), dict);
    }
    EXPECT_TRUE(thrown.empty() || thrown == u8"バッファ拡張制限 1092 CKanji::GrowBuffer 0")
        << thrown;
    EXPECT_EQ(Flat(dict), thrown.empty() ? "k=" + big : "");
  }
  EXPECT_EQ(thrown, "");
}

}  // namespace
