// The per-character width converters: the cases people get wrong, in every code; bytes outside a
// converter's class; and the round trip half width -> full width -> half width.
#include <cstring>
#include <functional>
#include <string>

#include "support/WidthSupport.h"

namespace {

using mojiwa_test::Bare;
using mojiwa_test::CodeName;
using mojiwa_test::Hex;

using Step = std::function<void(const char*&, char*&)>;
using ToHan = void (*)(const char*&, char*&);
using ToZen = void (*)(const char*&, char*&, bool);

constexpr char kGuard = '\xFD';
constexpr size_t kRoom = 8;

struct Outcome {
  std::string out;  // what was written up to the advanced pcDst
  long read = 0;    // how far pcSrc advanced
};

// Runs one converter on the bytes (NUL-terminated after them) and checks that it wrote nothing
// past the point it advanced pcDst to.
Outcome Convert(const Step& step, const std::string& src) {
  const std::string text = src + std::string(2, '\0');
  char buf[kRoom];
  std::memset(buf, kGuard, sizeof buf);
  const char* s = text.c_str();
  char* d = buf;
  step(s, d);
  Outcome o;
  o.read = s - text.c_str();
  EXPECT_TRUE(d >= buf && d <= buf + 2) << "pcDst moved by " << (d - buf);
  if (d < buf || d > buf + 2) return o;
  o.out.assign(buf, d);
  for (const char* g = d; g < buf + kRoom; ++g) {
    EXPECT_EQ(*g, kGuard) << "written past pcDst at +" << (g - buf) << " for " << Hex(src);
  }
  return o;
}

struct HanFamily {
  const char* name;
  ToHan euc, sjis, jis;
  unsigned char lead_euc, lead_sjis, lead_jis;  // the first byte of the class in each code

  ToHan In(CKanji::EMODE code) const {
    return code == CKanji::EMODE_EUC ? euc : code == CKanji::EMODE_SJIS ? sjis : jis;
  }
  unsigned char Lead(CKanji::EMODE code) const {
    return code == CKanji::EMODE_EUC ? lead_euc : code == CKanji::EMODE_SJIS ? lead_sjis : lead_jis;
  }
};

const HanFamily kDigit{
    "Digit2han", &CKanji::Digit2hanEUC, &CKanji::Digit2hanSJIS, &CKanji::Digit2hanJIS, 0xA3, 0x82,
    0x23};
const HanFamily kAlpha{
    "Alpha2han", &CKanji::Alpha2hanEUC, &CKanji::Alpha2hanSJIS, &CKanji::Alpha2hanJIS, 0xA3, 0x82,
    0x23};
const HanFamily kKata{
    "Kata2han", &CKanji::Kata2hanEUC, &CKanji::Kata2hanSJIS, &CKanji::Kata2hanJIS, 0xA5, 0x83,
    0x25};
const HanFamily kHira{
    "Hira2han", &CKanji::Hira2hanEUC, &CKanji::Hira2hanSJIS, &CKanji::Hira2hanJIS, 0xA4, 0x82,
    0x24};
const HanFamily kMark{
    "Mark2han", &CKanji::Mark2hanEUC, &CKanji::Mark2hanSJIS, &CKanji::Mark2hanJIS, 0xA1, 0x81,
    0x21};
const HanFamily* const kHanFamilies[] = {&kDigit, &kAlpha, &kKata, &kHira, &kMark};

const CKanji::EMODE kCodes[] = {CKanji::EMODE_EUC, CKanji::EMODE_SJIS, CKanji::EMODE_JIS};

ToZen KanaToZen(CKanji::EMODE code) {
  return code == CKanji::EMODE_EUC    ? &CKanji::Kana2zenEUC
         : code == CKanji::EMODE_SJIS ? &CKanji::Kana2zenSJIS
                                      : &CKanji::Kana2zenJIS;
}

ToHan AsciiToZen(CKanji::EMODE code) {
  return code == CKanji::EMODE_EUC    ? &CKanji::Ascii2zenEUC
         : code == CKanji::EMODE_SJIS ? &CKanji::Ascii2zenSJIS
                                      : &CKanji::Ascii2zenJIS;
}

Step WithHira(ToZen f, bool hira) {
  return [f, hira](const char*& s, char*& d) { f(s, d, hira); };
}

// ---- Anchors: bytes written out ------------------------------------------------------------

TEST(WidthConvert, KnownBytes) {
  const struct {
    const char* what;
    Step step;
    std::string src, out;
    long read;
  } rows[] = {
      {"Kata2hanSJIS ga", &CKanji::Kata2hanSJIS, "\x83\x4B", "\xB6\xDE", 2},
      {"Kata2hanSJIS vu", &CKanji::Kata2hanSJIS, "\x83\x94", "\xB3\xDE", 2},
      {"Kata2hanSJIS small ka stays", &CKanji::Kata2hanSJIS, "\x83\x95", "\x83\x95", 2},
      {"Kata2hanSJIS mi, last before 0x7F", &CKanji::Kata2hanSJIS, "\x83\x7E", "\xD0", 2},
      {"Kata2hanSJIS mu, first after 0x7F", &CKanji::Kata2hanSJIS, "\x83\x80", "\xD1", 2},
      {"Alpha2hanSJIS z", &CKanji::Alpha2hanSJIS, "\x82\x9A", "z", 2},
      {"Alpha2hanSJIS Z", &CKanji::Alpha2hanSJIS, "\x82\x79", "Z", 2},
      {"Alpha2hanEUC z", &CKanji::Alpha2hanEUC, "\xA3\xFA", "z", 2},
      {"Alpha2hanEUC Z", &CKanji::Alpha2hanEUC, "\xA3\xDA", "Z", 2},
      {"Digit2hanSJIS 0", &CKanji::Digit2hanSJIS, "\x82\x4F", "0", 2},
      {"Digit2hanJIS 9", &CKanji::Digit2hanJIS, "\x23\x39", "9", 2},
      {"Mark2hanSJIS ideographic space", &CKanji::Mark2hanSJIS, "\x81\x40", " ", 2},
      {"Mark2hanSJIS corner bracket stays", &CKanji::Mark2hanSJIS, "\x81\x75", "\x81\x75", 2},
      {"Mark2hanSJIS prolonged sound mark stays", &CKanji::Mark2hanSJIS, "\x81\x5B", "\x81\x5B", 2},
      {"Mark2hanSJIS yen", &CKanji::Mark2hanSJIS, "\x81\x8F", "\\", 2},
      {"Kana2zenSJIS ha + semi-voiced", WithHira(&CKanji::Kana2zenSJIS, false), "\xCA\xDF",
       "\x83\x70", 2},
      {"Kana2zenSJIS ha + semi-voiced, hiragana", WithHira(&CKanji::Kana2zenSJIS, true), "\xCA\xDF",
       "\x82\xCF", 2},
      {"Kana2zenSJIS u + voiced", WithHira(&CKanji::Kana2zenSJIS, false), "\xB3\xDE", "\x83\x94",
       2},
      {"Kana2zenSJIS u + voiced, hiragana", WithHira(&CKanji::Kana2zenSJIS, true), "\xB3\xDE",
       "\x82\xA4", 1},
      {"Kana2zenSJIS lone voiced mark", WithHira(&CKanji::Kana2zenSJIS, true), "\xDE", "\x81\x4A",
       1},
      {"Kana2zenEUC a + voiced", WithHira(&CKanji::Kana2zenEUC, false), "\xB1\xDE", "\xA5\xA2", 1},
      {"Kana2zenJIS ka", WithHira(&CKanji::Kana2zenJIS, false), "\xB6", "\x25\x2B", 1},
      {"Ascii2zenJIS A", &CKanji::Ascii2zenJIS, "A", "\x23\x41", 1},
      {"Ascii2zenJIS a", &CKanji::Ascii2zenJIS, "a", "\x23\x61", 1},
      {"Ascii2zenJIS backslash", &CKanji::Ascii2zenJIS, "\\", "\x21\x6F", 1},
      {"Ascii2zenSJIS space", &CKanji::Ascii2zenSJIS, " ", "\x81\x40", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const Outcome o = Convert(row.step, row.src);
    EXPECT_EQ(Hex(o.out), Hex(row.out));
    EXPECT_EQ(o.read, row.read);
  }
}

// ---- Full width to half width, every code ----------------------------------------------------

TEST(WidthConvert, FullWidthToHalfWidthInEveryCode) {
  const struct {
    const char* what;
    const HanFamily* family;
    const char* zen;
    const char* half;  // nullptr: the character is copied unchanged
  } rows[] = {
      {"first digit", &kDigit, u8"０", "0"},
      {"last digit", &kDigit, u8"９", "9"},
      {"capital A", &kAlpha, u8"Ａ", "A"},
      {"capital Z, last below the gap", &kAlpha, u8"Ｚ", "Z"},
      {"small a, first above the gap", &kAlpha, u8"ａ", "a"},
      {"small z", &kAlpha, u8"ｚ", "z"},
      {"small a kana", &kKata, u8"ァ", "\xA7"},
      {"voiced", &kKata, u8"ガ", "\xB6\xDE"},
      {"semi-voiced", &kKata, u8"パ", "\xCA\xDF"},
      {"vu", &kKata, u8"ヴ", "\xB3\xDE"},
      {"small tsu", &kKata, u8"ッ", "\xAF"},
      {"wo", &kKata, u8"ヲ", "\xA6"},
      {"n", &kKata, u8"ン", "\xDD"},
      {"small wa has no half width", &kKata, u8"ヮ", nullptr},
      {"wi has no half width", &kKata, u8"ヰ", nullptr},
      {"small ke, last of the row", &kKata, u8"ヶ", nullptr},
      {"hiragana a", &kHira, u8"あ", "\xB1"},
      {"hiragana voiced", &kHira, u8"が", "\xB6\xDE"},
      {"hiragana semi-voiced", &kHira, u8"ぽ", "\xCE\xDF"},
      {"hiragana u", &kHira, u8"う", "\xB3"},
      {"hiragana we has no half width", &kHira, u8"ゑ", nullptr},
      {"hiragana n, last of the row", &kHira, u8"ん", "\xDD"},
      {"ideographic space", &kMark, u8"　", " "},
      {"yen sign gives backslash", &kMark, u8"￥", "\\"},
      {"overline gives tilde", &kMark, u8"￣", "~"},
      {"right double quotation gives quote", &kMark, u8"”", "\""},
      {"fullwidth reverse solidus stays", &kMark, u8"＼", nullptr},
      {"left single quotation stays", &kMark, u8"‘", nullptr},
      {"left double quotation stays", &kMark, u8"“", nullptr},
      {"ideographic full stop stays", &kMark, u8"。", nullptr},
      {"voiced sound mark stays", &kMark, u8"゛", nullptr},
      {"last symbol of the row stays", &kMark, u8"◇", nullptr},
  };
  for (const auto& row : rows) {
    for (const CKanji::EMODE code : kCodes) {
      SCOPED_TRACE(testing::Message() << row.family->name << CodeName(code) << " " << row.what);
      const std::string src = Bare(code, row.zen);
      const Outcome o = Convert(row.family->In(code), src);
      EXPECT_EQ(Hex(o.out), Hex(row.half ? row.half : src));
      EXPECT_EQ(o.read, 2);
    }
  }
}

TEST(WidthConvert, Kana2hanFollowsTheGivenRecord) {
  const struct {
    const char* what;
    CKanji::SZen2Han record;
    const char* out;  // nullptr: the source is copied
  } rows[] = {
      {"two bytes", {'\xB6', '\xDE'}, "\xB6\xDE"},
      {"one byte", {'\xB1', 0}, "\xB1"},
      {"empty record copies", {0, 0}, nullptr},
      {"a zero first byte copies whatever the second", {0, '\xDE'}, nullptr},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string src = "\x88\x9F";
    const Outcome o =
        Convert([&row](const char*& s, char*& d) { CKanji::Kana2han(&row.record, s, d); }, src);
    EXPECT_EQ(Hex(o.out), Hex(row.out ? row.out : src));
    EXPECT_EQ(o.read, 2);
  }
}

// ---- Half width to full width, every code ----------------------------------------------------

TEST(WidthConvert, HalfWidthKanaToFullWidthInEveryCode) {
  const struct {
    const char* what;
    std::string half;
    bool hira;
    const char* zen;
    long read;
  } rows[] = {
      {"voiced merges", "\xB6\xDE", false, u8"ガ", 2},
      {"voiced merges, hiragana", "\xB6\xDE", true, u8"が", 2},
      {"semi-voiced merges", "\xCA\xDF", false, u8"パ", 2},
      {"voiced on ha", "\xCA\xDE", false, u8"バ", 2},
      {"vu", "\xB3\xDE", false, u8"ヴ", 2},
      {"no hiragana vu: the mark is left", "\xB3\xDE", true, u8"う", 1},
      {"a takes no voiced mark", "\xB1\xDE", false, u8"ア", 1},
      {"wa takes no voiced mark", "\xDC\xDE", false, u8"ワ", 1},
      {"wo takes no voiced mark", "\xA6\xDE", true, u8"を", 1},
      {"ka takes no semi-voiced mark", "\xB6\xDF", false, u8"カ", 1},
      {"a mark after a mark", "\xDE\xDE", false, u8"゛", 1},
      {"lone semi-voiced mark", "\xDF", true, u8"゜", 1},
      {"kana before the terminator", "\xCA", false, u8"ハ", 1},
      {"small tsu, hiragana", "\xAF", true, u8"っ", 1},
      {"prolonged sound mark stays a symbol for hiragana", "\xB0", true, u8"ー", 1},
      {"halfwidth full stop", "\xA1", false, u8"。", 1},
      {"7-bit byte of the JIS kana set", "\x36", false, u8"カ", 1},
  };
  for (const auto& row : rows) {
    for (const CKanji::EMODE code : kCodes) {
      SCOPED_TRACE(testing::Message() << "Kana2zen" << CodeName(code) << " " << row.what);
      const Outcome o = Convert(WithHira(KanaToZen(code), row.hira), row.half);
      EXPECT_EQ(Hex(o.out), Hex(Bare(code, row.zen)));
      EXPECT_EQ(o.read, row.read);
    }
  }
}

TEST(WidthConvert, Kana2zenUsesTheGivenTable) {
  const Outcome o = Convert(
      [](const char*& s, char*& d) { CKanji::Kana2zen(CKanji::stTableH2ZHE, s, d); }, "\xCE\xDF");
  EXPECT_EQ(Hex(o.out), Hex(Bare(CKanji::EMODE_EUC, u8"ぽ")));
  EXPECT_EQ(o.read, 2);
}

TEST(WidthConvert, AsciiToFullWidthInEveryCode) {
  const struct {
    char ascii;
    const char* zen;
  } rows[] = {
      {' ', u8"　"},  {'0', u8"０"}, {'9', u8"９"}, {'A', u8"Ａ"}, {'z', u8"ｚ"},
      {'!', u8"！"},  {'"', u8"”"},  {'\'', u8"’"}, {'-', u8"−"},  {'@', u8"＠"},
      {'\\', u8"￥"}, {'`', u8"｀"}, {'~', u8"￣"},
  };
  for (const auto& row : rows) {
    for (const CKanji::EMODE code : kCodes) {
      SCOPED_TRACE(testing::Message() << "Ascii2zen" << CodeName(code) << " '" << row.ascii << "'");
      const Outcome o = Convert(AsciiToZen(code), std::string(1, row.ascii));
      EXPECT_EQ(Hex(o.out), Hex(Bare(code, row.zen)));
      EXPECT_EQ(o.read, 1);
    }
  }
}

// ---- Bytes outside the class ---------------------------------------------------------------

TEST(WidthConvert, FullWidthConvertersCopyACharacterOutsideTheirClass) {
  const struct {
    const HanFamily* family;
    CKanji::EMODE code;
    std::string src;
  } rows[] = {
      {&kDigit, CKanji::EMODE_JIS, "\x23\x2F"},  {&kDigit, CKanji::EMODE_JIS, "\x23\x3A"},
      {&kDigit, CKanji::EMODE_SJIS, "\x82\x4E"}, {&kDigit, CKanji::EMODE_SJIS, "\x82\x59"},
      {&kDigit, CKanji::EMODE_EUC, "\xA3\xAF"},  {&kDigit, CKanji::EMODE_EUC, "\xA3\xBA"},
      {&kAlpha, CKanji::EMODE_JIS, "\x23\x40"},  {&kAlpha, CKanji::EMODE_JIS, "\x23\x5B"},
      {&kAlpha, CKanji::EMODE_JIS, "\x23\x60"},  {&kAlpha, CKanji::EMODE_JIS, "\x23\x7B"},
      {&kAlpha, CKanji::EMODE_SJIS, "\x82\x5F"}, {&kAlpha, CKanji::EMODE_SJIS, "\x82\x7A"},
      {&kAlpha, CKanji::EMODE_SJIS, "\x82\x80"}, {&kAlpha, CKanji::EMODE_SJIS, "\x82\x9B"},
      {&kAlpha, CKanji::EMODE_SJIS, "\x82\x1F"}, {&kAlpha, CKanji::EMODE_EUC, "\xA3\xC0"},
      {&kAlpha, CKanji::EMODE_EUC, "\xA3\xDB"},  {&kAlpha, CKanji::EMODE_EUC, "\xA3\xE0"},
      {&kAlpha, CKanji::EMODE_EUC, "\xA3\xFB"},  {&kAlpha, CKanji::EMODE_EUC, "\xA3\x80"},
      {&kKata, CKanji::EMODE_JIS, "\x25\x20"},   {&kKata, CKanji::EMODE_JIS, "\x25\x77"},
      {&kKata, CKanji::EMODE_JIS, "\x25\xA1"},   {&kKata, CKanji::EMODE_SJIS, "\x83\x3F"},
      {&kKata, CKanji::EMODE_SJIS, "\x83\x7F"},  {&kKata, CKanji::EMODE_SJIS, "\x83\x97"},
      {&kKata, CKanji::EMODE_SJIS, "\x83\xFF"},  {&kKata, CKanji::EMODE_EUC, "\xA5\xA0"},
      {&kKata, CKanji::EMODE_EUC, "\xA5\xF7"},   {&kKata, CKanji::EMODE_EUC, "\xA5\x21"},
      {&kHira, CKanji::EMODE_JIS, "\x24\x20"},   {&kHira, CKanji::EMODE_JIS, "\x24\x7E"},
      {&kHira, CKanji::EMODE_SJIS, "\x82\x9E"},  {&kHira, CKanji::EMODE_SJIS, "\x82\xF2"},
      {&kHira, CKanji::EMODE_SJIS, "\x82\xFC"},  {&kHira, CKanji::EMODE_SJIS, "\x82\x40"},
      {&kHira, CKanji::EMODE_EUC, "\xA4\xA0"},   {&kHira, CKanji::EMODE_EUC, "\xA4\xFE"},
      {&kMark, CKanji::EMODE_JIS, "\x21\x20"},   {&kMark, CKanji::EMODE_JIS, "\x21\x7F"},
      {&kMark, CKanji::EMODE_SJIS, "\x81\x3F"},  {&kMark, CKanji::EMODE_SJIS, "\x81\x7F"},
      {&kMark, CKanji::EMODE_SJIS, "\x81\x9F"},  {&kMark, CKanji::EMODE_SJIS, "\x81\xA0"},
      {&kMark, CKanji::EMODE_SJIS, "\x81\xFC"},  {&kMark, CKanji::EMODE_EUC, "\xA1\xA0"},
      {&kMark, CKanji::EMODE_EUC, "\xA1\xFF"},   {&kMark, CKanji::EMODE_EUC, "\xA1\x40"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message()
                 << row.family->name << CodeName(row.code) << " " << Hex(row.src));
    const Outcome o = Convert(row.family->In(row.code), row.src);
    EXPECT_EQ(Hex(o.out), Hex(row.src));
    EXPECT_EQ(o.read, 2);
  }
}

// Every second byte: two bytes read, one or two written, and never a NUL that was not there.
TEST(WidthConvert, FullWidthConvertersTakeAnySecondByte) {
  for (const HanFamily* family : kHanFamilies) {
    for (const CKanji::EMODE code : kCodes) {
      for (int t = 1; t < 0x100; ++t) {
        const std::string src{static_cast<char>(family->Lead(code)), static_cast<char>(t)};
        SCOPED_TRACE(testing::Message() << family->name << CodeName(code) << " " << Hex(src));
        const Outcome o = Convert(family->In(code), src);
        EXPECT_EQ(o.read, 2);
        EXPECT_FALSE(o.out.empty());
        EXPECT_EQ(o.out.find('\0'), std::string::npos) << Hex(o.out);
      }
    }
  }
}

TEST(WidthConvert, HalfWidthConvertersCopyAByteOutsideTheirTable) {
  const unsigned char kana_strays[] = {0x01, 0x0A, 0x20, 0x60, 0x7E, 0x7F, 0x80, 0xA0, 0xE0, 0xFF};
  for (const CKanji::EMODE code : kCodes) {
    for (const unsigned char b : kana_strays) {
      for (const bool hira : {false, true}) {
        // A following sound mark must neither merge nor be read as part of the stray byte.
        const std::string src{static_cast<char>(b), '\xDE'};
        SCOPED_TRACE(testing::Message() << "Kana2zen" << CodeName(code) << " " << Hex(src));
        const Outcome o = Convert(WithHira(KanaToZen(code), hira), src);
        EXPECT_EQ(Hex(o.out), Hex(src.substr(0, 1)));
        EXPECT_EQ(o.read, 1);
      }
    }
  }
  // DEL's record holds two NULs, which must not reach a text: it is copied like the bytes outside
  // the table.
  const unsigned char ascii_strays[] = {0x01, 0x09, 0x1F, 0x7F, 0x80, 0xA1, 0xFF};
  for (const CKanji::EMODE code : kCodes) {
    for (const unsigned char b : ascii_strays) {
      const std::string src(1, static_cast<char>(b));
      SCOPED_TRACE(testing::Message() << "Ascii2zen" << CodeName(code) << " " << Hex(src));
      const Outcome o = Convert(AsciiToZen(code), src);
      EXPECT_EQ(Hex(o.out), Hex(src));
      EXPECT_EQ(o.read, 1);
    }
  }
}

TEST(WidthConvert, HalfWidthConvertersTakeAnyByte) {
  for (const CKanji::EMODE code : kCodes) {
    for (int b = 1; b < 0x100; ++b) {
      for (const char next : {'\0', '\xDE', '\xDF'}) {
        const std::string src{static_cast<char>(b), next};
        SCOPED_TRACE(testing::Message() << CodeName(code) << " " << Hex(src));
        const Outcome kana = Convert(WithHira(KanaToZen(code), b % 2 == 0), src);
        EXPECT_EQ(kana.out.find('\0'), std::string::npos) << Hex(kana.out);
        if (kana.out.size() == 1) {
          EXPECT_EQ(kana.out[0], src[0]);
          EXPECT_EQ(kana.read, 1);
        } else {
          EXPECT_EQ(kana.out.size(), 2U);
          if (next == '\0') {
            EXPECT_EQ(kana.read, 1) << "merged the terminator";
          }
        }
        const Outcome ascii = Convert(AsciiToZen(code), src);
        EXPECT_EQ(ascii.out.find('\0'), std::string::npos) << Hex(ascii.out);
        EXPECT_EQ(ascii.read, 1);
      }
    }
  }
}

// ---- Round trips ---------------------------------------------------------------------------

// Half-width kana (alone and before each sound mark) to full width and back give the bytes that
// were consumed, wherever the full-width form is a kana; the punctuation stays full width.
TEST(WidthConvert, HalfWidthKanaRoundTripThroughFullWidthShiftJis) {
  for (const bool hira : {false, true}) {
    int kana = 0;
    for (int b = 0xA1; b <= 0xDF; ++b) {
      for (const char* mark : {"", "\xDE", "\xDF"}) {
        const std::string half = std::string(1, static_cast<char>(b)) + mark;
        SCOPED_TRACE(testing::Message() << (hira ? "hiragana " : "katakana ") << Hex(half));
        const Outcome zen = Convert(WithHira(&CKanji::Kana2zenSJIS, hira), half);
        ASSERT_EQ(zen.out.size(), 2U);
        const auto lead = static_cast<unsigned char>(zen.out[0]);
        if (lead == 0x81) continue;
        ASSERT_EQ(lead, hira ? 0x82 : 0x83) << Hex(zen.out);
        ++kana;
        const Outcome back = Convert(hira ? &CKanji::Hira2hanSJIS : &CKanji::Kata2hanSJIS, zen.out);
        EXPECT_EQ(Hex(back.out), Hex(half.substr(0, static_cast<size_t>(zen.read))));
      }
    }
    // 55 kana bytes in three forms each.
    EXPECT_EQ(kana, 3 * 55);
  }
}

// Full-width katakana and hiragana to half width and back give the character, unless it has no
// half-width form.
TEST(WidthConvert, FullWidthKanaRoundTripThroughHalfWidthShiftJis) {
  const struct {
    bool hira;
    int first, last;
    ToHan to_half;
    int kept;
  } rows[] = {{false, 0x8340, 0x8396, &CKanji::Kata2hanSJIS, 5},
              {true, 0x829F, 0x82F1, &CKanji::Hira2hanSJIS, 3}};
  for (const auto& row : rows) {
    int kept = 0;
    for (int code = row.first; code <= row.last; ++code) {
      if ((code & 0xFF) == 0x7F) continue;
      const std::string zen{static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
      SCOPED_TRACE(Hex(zen));
      const Outcome half = Convert(row.to_half, zen);
      if (half.out == zen) {
        ++kept;
        continue;
      }
      const Outcome back = Convert(WithHira(&CKanji::Kana2zenSJIS, row.hira), half.out);
      EXPECT_EQ(Hex(back.out), Hex(zen));
      EXPECT_EQ(back.read, static_cast<long>(half.out.size()));
    }
    EXPECT_EQ(kept, row.kept);
  }
}

}  // namespace
