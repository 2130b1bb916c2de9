// zen2han, han2zen, ToUpper and ToLower on objects of each output code, the member converters,
// and round trips over the corpus.
#include <algorithm>
#include <string>

#include "support/TextOpsSupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::CodeName;
using mojiwa_test::CodesOf;
using mojiwa_test::Hex;
using mojiwa_test::InCode;
using mojiwa_test::kAllCodes;
using mojiwa_test::kEuc;
using mojiwa_test::kEucJis;
using mojiwa_test::kSjis;
using mojiwa_test::kSjisJis;
using mojiwa_test::Load;
using mojiwa_test::MemLimitScope;
using mojiwa_test::Probe;
using mojiwa_test::Sjis;
using WidthCaseTest = AccountingTest;

// The selected classes as letters: d digits, a letters, k katakana, m symbols, h hiragana; for
// the case operations z full-width and h ASCII letters.
using Operation = const char* (*)(CKanji&, const std::string& classes);
bool On(const std::string& classes, char c) { return classes.find(c) != std::string::npos; }
const char* Zen2han(CKanji& k, const std::string& c) {
  return k.zen2han(On(c, 'd'), On(c, 'a'), On(c, 'k'), On(c, 'm'), On(c, 'h'));
}
const char* Han2zen(CKanji& k, const std::string& c) {
  return k.han2zen(On(c, 'd'), On(c, 'a'), On(c, 'k'), On(c, 'm'), On(c, 'h'));
}
const char* Upper(CKanji& k, const std::string& c) { return k.ToUpper(On(c, 'z'), On(c, 'h')); }
const char* Lower(CKanji& k, const std::string& c) { return k.ToLower(On(c, 'z'), On(c, 'h')); }

struct Row {
  const char* what;
  unsigned codes;  // the object codes the row holds for
  const char* classes;
  const char* text;      // UTF-8, held in the object's code
  const char* expected;  // UTF-8, in the object's code
};

template <size_t N>
void RunRows(Operation op, const Row (&rows)[N]) {
  for (const Row& row : rows) {
    for (CKanji::EMODE code : CodesOf(row.codes)) {
      SCOPED_TRACE(std::string(row.what) + " / " + CodeName(code));
      CKanji k(code, code);
      Load(k, InCode(code, row.text));
      EXPECT_EQ(op(k, row.classes), k.GetBuff());
      EXPECT_EQ(Hex(k.GetBuff()), Hex(InCode(code, row.expected)));
      EXPECT_EQ(k.GetModeInput(), code);
    }
  }
}

// Half-width katakana stay so only in Shift_JIS: the other codes write them full width again. A
// CR does not survive the way back into EUC-JP.
TEST_F(WidthCaseTest, Zen2hanConvertsTheSelectedClasses) {
  const Row rows[] = {
      {"everything", kAllCodes, "dakmh", "ＡＢＣ　１２３", "ABC 123"},
      {"letters keep their case", kAllCodes, "a", "ａｚＡＺ", "azAZ"},
      {"the long mark is a symbol", kSjis, "km", "コーヒー", "ｺーﾋー"},
      {"katakana back to full width", kEucJis, "k", "コーヒー", "コーヒー"},
      {"voiced kana take two bytes", kSjis, "k", "ガヴヵヶ", "ｶﾞｳﾞヵヶ"},
      {"hiragana become katakana", kSjis, "h", "ひらがな", "ﾋﾗｶﾞﾅ"},
      {"hiragana end as full katakana", kEucJis, "h", "ひらがな", "ヒラガナ"},
      {"digits only", kAllCodes, "d", "１ａア２", "1ａア2"},
      {"symbols with and without ASCII", kAllCodes, "m", "！、＃。￥”’「", "!、#。\\\"'「"},
      {"nothing selected", kAllCodes, "", "ＡＢＣ１ア　", "ＡＢＣ１ア　"},
      {"kanji, Greek, Cyrillic stay", kAllCodes, "dakmh", "漢字ΩЖ\tａ", "漢字ΩЖ\ta"},
      {"CR kept", kSjisJis, "dakmh", "a\r\nb", "a\r\nb"},
      {"CR dropped", kEuc, "dakmh", "a\r\nb", "a\nb"},
  };
  RunRows(Zen2han, rows);
}

TEST_F(WidthCaseTest, Han2zenConvertsTheSelectedClasses) {
  const Row rows[] = {
      {"voiced kana merge", kSjis, "k", "ｶﾞｷﾞｳﾞﾊﾟ", "ガギヴパ"},
      {"to hiragana", kSjis, "kh", "ｶﾞｷﾞ", "がぎ"},
      {"no voiced u in hiragana", kSjis, "kh", "ｳﾞ", "う゛"},
      {"kana punctuation, lone mark", kSjis, "k", "｡｢｣､･ｰｦﾞ", "。「」、・ーヲ゛"},
      {"letters and the space", kAllCodes, "am", "a b", "ａ　ｂ"},
      {"letters alone", kAllCodes, "a", "a b", "ａ ｂ"},
      {"digits alone", kAllCodes, "d", "a1", "a１"},
      {"symbols", kAllCodes, "m", "\\~\"'`", "￥￣”’｀"},
      {"controls and full width stay", kAllCodes, "dakmh", "漢ア\t\n\x7f", "漢ア\t\n\x7f"},
      {"nothing selected", kSjis, "", "ｶa1 ", "ｶa1 "},
      {"CR kept", kSjisJis, "k", "a\r\nb", "a\r\nb"},
      {"CR dropped", kEuc, "k", "a\r\nb", "a\nb"},
  };
  RunRows(Han2zen, rows);
}

// ッ is 83 62 and ア 83 41 in Shift_JIS: letters in their second byte only.
TEST_F(WidthCaseTest, ToUpperChangesTheSelectedLetters) {
  const Row rows[] = {
      {"full width only", kAllCodes, "z", "aａ", "aＡ"},
      {"ASCII only", kAllCodes, "h", "aａ", "Aａ"},
      {"neighbours of the ranges", kAllCodes, "zh", "αz@[`{＠［｀｛", "αZ@[`{＠［｀｛"},
      {"second bytes", kAllCodes, "zh", "ッa", "ッA"},
      {"CR", kSjisJis, "", "a\r\nb", "a\r\nb"},
      {"CR", kEuc, "", "a\r\nb", "a\nb"},
  };
  RunRows(Upper, rows);
}

TEST_F(WidthCaseTest, ToLowerChangesTheSelectedLetters) {
  const Row rows[] = {
      {"both", kAllCodes, "zh", "ＡA", "ａa"},
      {"Greek stays", kAllCodes, "zh", "ΑZ＠Ｚ", "Αz＠ｚ"},
      {"second bytes", kAllCodes, "zh", "アA", "アa"},
      {"CR", kSjisJis, "", "a\r\nb", "a\r\nb"},
      {"CR", kEuc, "", "a\r\nb", "a\nb"},
  };
  RunRows(Lower, rows);
}

TEST_F(WidthCaseTest, ResultBytes) {
  CKanji sjis;
  Load(sjis, Sjis("ガ"));
  EXPECT_EQ(Hex(sjis.zen2han(false, false, true, false, false)), "b6 de");
  // A JIS object that keeps half-width katakana; ESC ( B leaves the kana set too.
  CKanji jis(CKanji::EMODE_JIS, CKanji::EMODE_SJIS, true, false, false, true);
  jis = Sjis("カ").c_str();
  EXPECT_EQ(Hex(jis.zen2han(false, false, true, false, false)), "0f 36 1b 28 42");
  jis = Sjis("ｶﾞ").c_str();
  EXPECT_EQ(Hex(jis.han2zen(false, false, true, false, false)), "1b 24 42 25 2c 1b 28 42");
}

TEST_F(WidthCaseTest, ObjectWithoutBufferGetsAnEmptyOne) {
  for (Operation op : {Zen2han, Han2zen, Upper, Lower}) {
    const unsigned long before = Probe::AllSize();
    Probe k(CKanji::EMODE_JIS);
    EXPECT_STREQ(op(k, "dakmhz"), "");
    EXPECT_TRUE(k.HasBuffer());
    EXPECT_EQ(Probe::AllSize(), before + 1024);
  }
}

TEST_F(WidthCaseTest, MemberConvertersUseTheOutputCode) {
  struct Converter {
    CKanji::EMODE code;
    void (CKanji::*convert)(const char*&, char*&);  // null: Kana2zen to hiragana
    const char* in;
    const char* out;
  };
  const Converter rows[] = {
      {CKanji::EMODE_SJIS, &CKanji::Alpha2han, "\x82\x9A", "z"},
      {CKanji::EMODE_EUC, &CKanji::Digit2han, "\xA3\xB1", "1"},
      {CKanji::EMODE_JIS, &CKanji::Hira2han, "\x24\x2C", "\xB6\xDE"},
      {CKanji::EMODE_EUC, &CKanji::Kata2han, "\xA5\xAC", "\xB6\xDE"},
      {CKanji::EMODE_EUC, &CKanji::Mark2han, "\xA1\xEF", "\\"},
      {CKanji::EMODE_JIS, &CKanji::Ascii2zen, " ", "\x21\x21"},
      {CKanji::EMODE_JIS, nullptr, "\xB6", "\x24\x2B"},
      {CKanji::EMODE_SJIS, nullptr, "\xB6\xDE", "\x82\xAA"},
  };
  for (const Converter& row : rows) {
    SCOPED_TRACE(std::string(CodeName(row.code)) + " " + Hex(row.in));
    CKanji k(row.code);
    char buf[4];
    const char* src = row.in;
    char* dst = buf;
    if (row.convert != nullptr) {
      (k.*row.convert)(src, dst);
    } else {
      k.Kana2zen(src, dst, true);
    }
    EXPECT_EQ(Hex(std::string(buf, dst)), Hex(row.out));
    EXPECT_EQ(*src, '\0');
  }
}

// ---- Corpus ------------------------------------------------------------------------------

// The whole lines of a text that hold only printable ASCII, up to about `limit` bytes.
std::string PrintableAsciiLines(const std::string& text, size_t limit) {
  std::string out;
  size_t start = 0;
  while (start < text.size() && out.size() < limit) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    bool ascii = end > start;
    for (size_t i = start; i < end && ascii; ++i) ascii = text[i] >= 0x20 && text[i] < 0x7F;
    if (ascii) out.append(text, start, end - start + 1);
    start = end + 1;
  }
  return out;
}

TEST_F(WidthCaseTest, CorpusAsciiSurvivesFullWidthAndBack) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  const std::string ascii = PrintableAsciiLines(
      mojiwa_test::ReadFile(mojiwa_test::SharedPath("corpus/ja-sjis.txt")), 256 * 1024);
  ASSERT_GT(ascii.size(), 100000U);
  const size_t lines = static_cast<size_t>(std::count(ascii.begin(), ascii.end(), '\n'));
  MemLimitScope unlimited(0);
  for (CKanji::EMODE code : CodesOf(kAllCodes)) {
    SCOPED_TRACE(CodeName(code));
    CKanji k(code, code, true, false, false, false, 1 << 20);
    Load(k, ascii);
    k.han2zen(true, true, true, true, true);
    // Every printable byte is now a two-byte character; only the LFs stay single.
    if (code != CKanji::EMODE_JIS) {
      EXPECT_EQ(k.GetSize(), 2 * ascii.size() - lines);
    }
    k.zen2han(true, true, true, true, true);
    EXPECT_TRUE(k.GetBuff() == ascii);
  }
}

}  // namespace
