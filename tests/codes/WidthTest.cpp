// The width tables against outside answers (glibc iconv(3), the WHATWG half-width katakana
// index, Unicode's kana compositions), and the per-character width converters on their edges,
// on characters outside their class, and on every byte.
#include <algorithm>
#include <array>
#include <cstdio>
#include <sstream>
#include <tuple>

#include "support/ConvertSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Hex;

const K::EMODE kCodes[] = {K::EMODE_EUC, K::EMODE_SJIS, K::EMODE_JIS};

// The two bytes of a JIS X 0208 character in the code (JIS: no escapes); "" when it has none.
std::string FullWidth(K::EMODE code, char32_t cp) {
  const char* const names[] = {"EUC-JP", "SHIFT_JIS", "ISO-2022-JP"};
  const std::string utf32{char(cp & 0xFF), char(cp >> 8 & 0xFF), char(cp >> 16), '\0'};
  std::string out = mojiwa_test::TryIconv(utf32, "UTF-32LE", names[code]).value_or("");
  if (code == K::EMODE_JIS && out.size() == 8) out = out.substr(3, 2);
  return out.size() == 2 && !(code == K::EMODE_EUC && out[0] == '\x8E') ? out : "";
}

// The numbers on each line of a data file, comment lines left out.
using Lines = std::vector<std::array<unsigned, 3>>;
Lines DataLines(const char* file, const char* format) {
  std::istringstream in(mojiwa_test::ReadFile(mojiwa_test::TestDataPath(file)));
  Lines lines;
  for (std::string line; std::getline(in, line);) {
    std::array<unsigned, 3> n{};
    if (line[0] != '#' && std::sscanf(line.c_str(), format, &n[0], &n[1], &n[2]) >= 2)
      lines.push_back(n);
  }
  return lines;
}

std::string Stored(const char* field) { return field ? std::string(field) : ""; }
std::string Stored(const K::SZen2Han& r) { return std::string{r.cFirst, r.cSecond}; }

// Each half-width katakana (hiragana: 0x60 below in Unicode) gives its full-width form, and with
// a sound mark the composed one, as iconv writes them.
TEST(WidthTest, HalfWidthKanaTablesGiveTheFullWidthForms) {
  const Lines index = DataLines("width/index-iso-2022-jp-katakana.txt", "%u 0x%x");
  const Lines compositions = DataLines("width/kana-compositions.txt", "%x %x %x");
  ASSERT_EQ(index.size(), 63U);
  const auto composed = [&compositions](char32_t base, char32_t mark) {
    for (const auto& c : compositions) {
      if (c[0] == base && c[1] == mark) return char32_t{c[2]};
    }
    return char32_t{0};
  };
  const K::SHan2Zen* tables[2][3] = {{K::stTableH2ZE, K::stTableH2ZS, K::stTableH2ZJ},
                                     {K::stTableH2ZHE, K::stTableH2ZHS, K::stTableH2ZHJ}};
  for (int hira = 0; hira < 2; ++hira) {
    for (const K::EMODE code : kCodes) {
      for (const auto& n : index) {
        const char32_t zen = hira && n[1] >= 0x30A1 && n[1] <= 0x30F6 ? n[1] - 0x60 : n[1];
        const K::SHan2Zen& r = tables[hira][code][n[0]];
        SCOPED_TRACE(testing::Message() << hira << code << " byte 0x" << std::hex << 0xA1 + n[0]);
        EXPECT_EQ(Hex(Stored(r.pcZen)), Hex(FullWidth(code, zen)));
        EXPECT_EQ(Hex(Stored(r.pcDaku)), Hex(FullWidth(code, composed(zen, 0x3099))));
        EXPECT_EQ(Hex(Stored(r.pcHandaku)), Hex(FullWidth(code, composed(zen, 0x309A))));
      }
    }
  }
}

// ASCII gives its form in Unicode's full-width block, but for six bytes; DEL has none.
TEST(WidthTest, AsciiTablesGiveTheFullWidthForms) {
  const K::SZen2Han* tables[] = {K::stTableA2ZE, K::stTableA2ZS, K::stTableA2ZJ};
  const std::string odd = " \"'-\\~";
  const char32_t odd_forms[] = {0x3000, 0x201D, 0x2019, 0x2212, 0xFFE5, 0xFFE3};
  for (const K::EMODE code : kCodes) {
    for (int c = 0x20; c <= 0x7F; ++c) {
      const std::size_t at = odd.find(static_cast<char>(c));
      const std::string want = c == 0x7F
                                   ? std::string(2, '\0')
                                   : FullWidth(code, at != odd.npos ? odd_forms[at] : c + 0xFEE0);
      EXPECT_EQ(Hex(Stored(tables[code][c - 0x20])), Hex(want)) << c << " in " << code;
    }
  }
}

// ---- The converters: full width to half (in the order of ETYPE), then half width to full ----

using Fn = void (*)(const char*&, char*&);
template <void (*F)(const char*&, char*&, bool), bool kHira>
void WithHira(const char*& s, char*& d) {
  F(s, d, kHira);
}
enum { Alpha, Digit, Kata, Hira, Mark, Kana, KanaHira, Ascii };
const Fn kFamily[][3] = {
    {K::Alpha2hanEUC, K::Alpha2hanSJIS, K::Alpha2hanJIS},
    {K::Digit2hanEUC, K::Digit2hanSJIS, K::Digit2hanJIS},
    {K::Kata2hanEUC, K::Kata2hanSJIS, K::Kata2hanJIS},
    {K::Hira2hanEUC, K::Hira2hanSJIS, K::Hira2hanJIS},
    {K::Mark2hanEUC, K::Mark2hanSJIS, K::Mark2hanJIS},
    {WithHira<K::Kana2zenEUC, false>, WithHira<K::Kana2zenSJIS, false>,
     WithHira<K::Kana2zenJIS, false>},
    {WithHira<K::Kana2zenEUC, true>, WithHira<K::Kana2zenSJIS, true>,
     WithHira<K::Kana2zenJIS, true>},
    {K::Ascii2zenEUC, K::Ascii2zenSJIS, K::Ascii2zenJIS},
};

struct Outcome {
  std::string out;
  long read;
};

// One step on the bytes and a NUL; it may write one or two bytes and nothing past them.
template <class Step>
Outcome Take(Step step, const std::string& src) {
  const std::string text = src + '\0';
  char buf[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  const char* s = text.c_str();
  char* d = buf;
  step(s, d);
  EXPECT_TRUE(d > buf && d <= buf + 2 && std::count(d, buf + 8, 1) == buf + 8 - d) << Hex(src);
  return {std::string(buf, std::clamp(d, &buf[0], &buf[2])), s - text.c_str()};
}

// The merging of sound marks, and anchors for each direction.
TEST(WidthTest, ConvertersOnTheirEdgesInEveryCode) {
  // clang-format off
  const std::tuple<int, char32_t, std::string, long> rows[] = {
      {Digit, U'０', "0", 2}, {Kata, U'ガ', "\xB6\xDE", 2}, {Hira, U'ゑ', "", 2}, {Mark, U'￥', "\\", 2},
      {Kana, U'ガ', "\xB6\xDE", 2}, {KanaHira, U'ぱ', "\xCA\xDF", 2}, {KanaHira, U'う', "\xB3\xDE", 1},
      {Kana, U'ア', "\xB1\xDE", 1}, {Kana, U'カ', "\xB6\xDF", 1}, {Kana, U'゛', "\xDE\xDE", 1},
      {Kana, U'ハ', "\xCA", 1}, {Kana, U'カ', "\x36", 1}, {Ascii, U'　', " ", 1}};
  // clang-format on
  for (const auto& [family, zen_cp, half, read] : rows) {
    for (const K::EMODE code : kCodes) {
      const std::string zen = FullWidth(code, zen_cp);
      const std::string& src = family < Kana ? zen : half;
      const Outcome o = Take(kFamily[family][code], src);
      EXPECT_EQ(Hex(o.out), Hex(family >= Kana || half.empty() ? zen : half)) << family << code;
      EXPECT_EQ(o.read, read) << family << " " << Hex(src);
    }
  }
  // Kana2han takes the record itself: cFirst 0 copies the pair, whatever cSecond holds.
  for (const K::SZen2Han r : {K::SZen2Han{'\xB6', '\xDE'}, K::SZen2Han{0, '\xDE'}}) {
    const Outcome o = Take([&r](const char*& s, char*& d) { K::Kana2han(&r, s, d); }, "\x88\x9F");
    EXPECT_EQ(Hex(o.out), Hex(r.cFirst ? "\xB6\xDE" : "\x88\x9F"));
  }
}

// Any second byte after a class's lead, any byte before a NUL or a sound mark: a whole step is
// taken and no NUL written; what lies outside the class is copied, and the rest comes back
// through the converter of the other direction, which ties the tables of both directions to
// the ones checked above.
TEST(WidthTest, EveryConverterOnEveryByteAndBack) {
  const char32_t first[] = {U'Ａ', U'０', U'ァ', U'ぁ', U'　'};
  for (const K::EMODE code : kCodes) {
    const K object(code);
    for (int f = Alpha; f <= Ascii; ++f) {
      const char lead = f < Kana ? FullWidth(code, first[f])[0] : '\0';
      for (int b = 1; b < 0x100; ++b) {
        for (const char next : {'\0', '\xDE', '\xDF'}) {
          const std::string src =
              f < Kana ? std::string{lead, char(b)} : std::string{char(b), next};
          SCOPED_TRACE(testing::Message() << "family " << f << " code " << code << " " << Hex(src));
          const Outcome o = Take(kFamily[f][code], src);
          const int low = b & (f == Ascii ? 0xFF : 0x7F);
          const bool outside = f == Ascii  ? low < 0x20 || low > 0x7E
                               : f >= Kana ? low < 0x21 || low > 0x5F
                                           : false;
          EXPECT_EQ(o.out.find('\0'), std::string::npos) << Hex(o.out);
          EXPECT_TRUE(o.read == (f < Kana ? 2 : 1) || (f != Ascii && next != '\0' && o.read == 2));
          // The full-width side and its class.
          const std::string zen = f < Kana ? src : o.out;
          const char* p = zen.c_str();
          auto type = K::ETYPE_OTHER;
          auto shift = K::ESHIFT_KANJI;
          const bool pair = object.isKanji(p, &type, &shift);
          if (outside || (f < Kana && (!pair || type != f))) {
            EXPECT_EQ(Hex(o.out), Hex(src.substr(0, f < Kana ? 2 : 1)));
            continue;
          }
          std::string half = f < Kana ? o.out : src.substr(0, o.read);
          EXPECT_TRUE(pair) << "no full-width form";
          if (half == zen || (f >= Kana && f != Ascii && type == K::ETYPE_MARK)) continue;
          if (f == Kana || f == KanaHira) half[0] = static_cast<char>(half[0] | 0x80);
          const int back = f < Kana ? (f == Kata   ? Kana
                                       : f == Hira ? KanaHira
                                                   : Ascii)
                                    : static_cast<int>(type);
          const Outcome there = Take(kFamily[back][code], f < Kana ? half : zen);
          EXPECT_EQ(Hex(there.out), Hex(f < Kana ? zen : half)) << "back through " << back;
        }
      }
    }
  }
}

}  // namespace
