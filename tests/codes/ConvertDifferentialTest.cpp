// The converters against references made elsewhere: glibc iconv(3) on every cell of the 94x94
// grid it defines (the others must at least round-trip), the all-cell files of encoding_rs, and
// the corpus (made by iconv) in the three codes.
#include <set>

#include "support/ConvertSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Conv;
using mojiwa_test::Hex;
using mojiwa_test::ReadFile;
using mojiwa_test::SharedPath;

std::string Apply(void (*convert)(const char*&, char*&), const std::string& pair) {
  char out[2];
  const char* src = pair.c_str();
  char* dst = out;
  convert(src, dst);
  EXPECT_TRUE(src == pair.c_str() + 2 && dst == out + 2) << "a pair is two bytes each way";
  return std::string(out, 2);
}

// Texts that must turn into one another exactly, indexed by EMODE, in all six directions.
void ExpectAllSixWays(const char* what, const std::string (&text)[3]) {
  for (Conv conv : mojiwa_test::kAllConv) {
    const auto info = mojiwa_test::Info(conv);
    K::ESHIFT shift = K::ESHIFT_ASCII;
    const std::string got = mojiwa_test::Convert(conv, text[info.from], {}, shift);
    EXPECT_EQ(mojiwa_test::FirstDifference(got, text[info.to]), "") << what << ", " << info.name;
  }
}

// Every cell goes both ways between every two codes (EUC-JP sets bit 7 of row and cell), has its
// own Shift_JIS pair and one class in all three codes; iconv gives the same bytes where it knows
// the character, and the block converters turn those cells, in a line, into one another.
TEST(ConvertDifferentialTest, EveryCellOfTheGrid) {
  const K objects[3] = {K(K::EMODE_EUC), K(K::EMODE_SJIS), K(K::EMODE_JIS)};
  std::set<std::string> seen;
  std::string line[3];
  int classes[6] = {};
  for (int row = 0x21; row <= 0x7E; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const std::string jis{char(row), char(cell)}, euc{char(row | 0x80), char(cell | 0x80)};
      const std::string sjis = Apply(K::jis2sjis, jis);
      SCOPED_TRACE(Hex(jis));
      ASSERT_EQ(Apply(K::jis2euc, jis), euc);
      ASSERT_EQ(Apply(K::euc2jis, euc), jis);
      ASSERT_EQ(Apply(K::sjis2jis, sjis), jis);
      ASSERT_EQ(Apply(K::euc2sjis, euc), sjis);
      ASSERT_EQ(Apply(K::sjis2euc, sjis), euc);
      ASSERT_NE(K::isSJIS(sjis.c_str()), K::EANS_NO);
      ASSERT_TRUE(seen.insert(sjis).second) << "two cells share " << Hex(sjis);
      K::ETYPE type[3];
      const std::string forms[3] = {euc, sjis, jis};  // by EMODE
      for (int code = 0; code < 3; ++code) {
        const char* p = forms[code].c_str();
        K::ESHIFT shift = K::ESHIFT_KANJI;
        ASSERT_TRUE(objects[code].isKanji(p, &type[code], &shift) && p == forms[code].c_str());
      }
      ASSERT_TRUE(type[0] == type[1] && type[1] == type[2]);
      ++classes[type[0]];
      const auto utf8 = mojiwa_test::TryIconv(euc, "EUC-JP", "UTF-8");
      const auto ref_sjis = mojiwa_test::TryIconv(utf8.value_or(""), "UTF-8", "SHIFT_JIS");
      const auto ref_jis = mojiwa_test::TryIconv(utf8.value_or(""), "UTF-8", "ISO-2022-JP");
      if (!utf8 || !ref_sjis || !ref_jis) continue;
      ASSERT_EQ(Hex(sjis), Hex(*ref_sjis));
      ASSERT_EQ(Hex(mojiwa_test::kToKanji + jis + mojiwa_test::kToAscii), Hex(*ref_jis));
      line[K::EMODE_EUC] += euc;
      line[K::EMODE_SJIS] += sjis;
      line[K::EMODE_JIS] += jis;
    }
  }
  ASSERT_EQ(line[K::EMODE_EUC].size(), 2U * 6879) << "glibc's tables are not the expected ones";
  const int want[] = {52, 10, 86, 83, 94};  // letters, digits, katakana, hiragana, row 1
  for (int type = 0; type < 5; ++type) EXPECT_EQ(classes[type], want[type]) << "class " << type;
  line[K::EMODE_JIS] = mojiwa_test::kToKanji + line[K::EMODE_JIS] + mojiwa_test::kToAscii;
  ExpectAllSixWays("iconv line", line);
}

// encoding_rs: line 5 + p of each file holds pointer p of the grid; the Shift_JIS file goes on
// past the grid (line 8840). The corpus: the same text in every code.
TEST(ConvertDifferentialTest, EncodingRsAndCorpusFilesInAllSixWays) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no shared test data";
  const std::string rs = "testdata/encoding_rs/";
  std::string text[3] = {ReadFile(SharedPath(rs + "jis0208_in.txt")),
                         ReadFile(SharedPath(rs + "shift_jis_in.txt")),
                         ReadFile(SharedPath(rs + "iso_2022_jp_in.txt"))};
  std::size_t end = 0;
  for (int line = 0; line < 8840; ++line) end = text[K::EMODE_SJIS].find('\n', end) + 1;
  text[K::EMODE_SJIS].resize(end);
  ASSERT_EQ(text[K::EMODE_SJIS].size(), 26670U);
  ExpectAllSixWays("encoding_rs", text);
  const char* const names[] = {"euc", "sjis", "jis"};
  for (int code = 0; code < 3; ++code)
    text[code] = ReadFile(SharedPath(std::string("corpus/ja-") + names[code] + ".txt"));
  ExpectAllSixWays("ja-*.txt", text);
  // hw-jis.txt keeps the half-width katakana of hw-sjis.txt in the kana set, as 7-bit bytes.
  const std::string sjis = ReadFile(SharedPath("corpus/hw-sjis.txt"));
  const std::string jis = ReadFile(SharedPath("corpus/hw-jis.txt"));
  K::ESHIFT to_jis = K::ESHIFT_ASCII, to_sjis = K::ESHIFT_ASCII;
  const std::string got_jis = mojiwa_test::Convert(Conv::kS2J, sjis, {false, false, true}, to_jis);
  EXPECT_EQ(mojiwa_test::FirstDifference(got_jis, jis), "");
  EXPECT_EQ(mojiwa_test::FirstDifference(mojiwa_test::Convert(Conv::kJ2S, jis, {}, to_sjis), sjis),
            "");
}

}  // namespace
