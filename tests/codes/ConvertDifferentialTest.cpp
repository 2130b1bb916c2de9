// The converters against references made elsewhere: glibc iconv(3) on every cell of JIS X 0208
// it defines, the all-cell files of encoding_rs and the corpus (made by iconv) in the three
// codes. Also the arithmetic on all 94x94 cells, defined or not, both ways, and the block
// converters against the per-character ones on every pair they take.
#include <array>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/ConvertSupport.h"
#include "support/WidthSupport.h"

namespace {

using mojiwa_test::Conv;
using mojiwa_test::Hex;

// A character in the three codes as iconv writes it, indexed by EMODE (JIS without escapes).
using Cell = std::array<std::string, 3>;

const std::vector<Cell>& IconvCells() {
  static const std::vector<Cell> cells = [] {
    using mojiwa_test::TryIconv;
    std::vector<Cell> found;
    for (int row = 0xA1; row <= 0xFE; ++row) {
      for (int cell = 0xA1; cell <= 0xFE; ++cell) {
        const std::string euc{static_cast<char>(row), static_cast<char>(cell)};
        const std::optional<std::string> utf8 = TryIconv(euc, "EUC-JP", "UTF-8");
        const auto sjis = utf8 ? TryIconv(*utf8, "UTF-8", "SHIFT_JIS") : std::nullopt;
        const auto jis = utf8 ? TryIconv(*utf8, "UTF-8", "ISO-2022-JP") : std::nullopt;
        if (sjis && jis) found.push_back({euc, *sjis, jis->substr(3, jis->size() - 6)});
      }
    }
    return found;
  }();
  return cells;
}

std::string Apply(void (*convert)(const char*&, char*&), const std::string& pair) {
  char out[2];
  const char* src = pair.c_str();
  char* dst = out;
  convert(src, dst);
  EXPECT_TRUE(src == pair.c_str() + 2 && dst == out + 2) << "a pair is two bytes each way";
  return std::string(out, 2);
}

TEST(IconvDifferentialTest, PerCharacterConvertersOnEveryCell) {
  const std::vector<Cell>& cells = IconvCells();
  ASSERT_EQ(cells.size(), 6879U) << "glibc's tables are not the expected ones";
  struct Path {
    const char* name;
    void (*convert)(const char*&, char*&);
    CKanji::EMODE from, to;
  } const paths[] = {
      {"jis2euc", CKanji::jis2euc, CKanji::EMODE_JIS, CKanji::EMODE_EUC},
      {"jis2sjis", CKanji::jis2sjis, CKanji::EMODE_JIS, CKanji::EMODE_SJIS},
      {"euc2jis", CKanji::euc2jis, CKanji::EMODE_EUC, CKanji::EMODE_JIS},
      {"euc2sjis", CKanji::euc2sjis, CKanji::EMODE_EUC, CKanji::EMODE_SJIS},
      {"sjis2euc", CKanji::sjis2euc, CKanji::EMODE_SJIS, CKanji::EMODE_EUC},
      {"sjis2jis", CKanji::sjis2jis, CKanji::EMODE_SJIS, CKanji::EMODE_JIS},
  };
  for (const Path& path : paths) {
    SCOPED_TRACE(path.name);
    int wrong = 0;
    for (const Cell& c : cells) {
      const std::string got = Apply(path.convert, c[path.from]);
      if (got != c[path.to] && ++wrong <= 5) {
        ADD_FAILURE() << Hex(c[path.from]) << " gave " << Hex(got) << ", iconv " << Hex(c[path.to]);
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// Texts that must turn into one another exactly, indexed by EMODE.
void ExpectAllSixWays(const char* what, const std::string (&text)[3]) {
  for (Conv conv : mojiwa_test::kAllConv) {
    const mojiwa_test::ConvInfo info = mojiwa_test::Info(conv);
    const std::string& want = text[info.to];
    const std::string got =
        mojiwa_test::Convert(conv, text[info.from], {}, CKanji::ESHIFT_ASCII, true).text;
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
    EXPECT_TRUE(got == want) << what << ", " << info.name << ": differs from byte " << i << ": "
                             << Hex(got.substr(i, 16)) << " instead of " << Hex(want.substr(i, 16));
  }
}

TEST(IconvDifferentialTest, BlockConvertersOnALineOfEveryCell) {
  std::string text[3];
  for (const Cell& c : IconvCells()) {
    for (int code = 0; code < 3; ++code) text[code] += c[code];
  }
  text[CKanji::EMODE_JIS] = mojiwa_test::kToKanji + text[CKanji::EMODE_JIS] + mojiwa_test::kToAscii;
  ASSERT_EQ(mojiwa_test::TryIconv(text[CKanji::EMODE_EUC], "EUC-JP", "ISO-2022-JP"),
            text[CKanji::EMODE_JIS]);
  ExpectAllSixWays("iconv line", text);
}

// Line 5 + p of each file holds pointer p of the grid; in Shift_JIS the grid ends at line 8840.
TEST(EncodingRsTest, EveryCellInAllThreeCodes) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no shared test data";
  std::string text[3];
  const std::string dir = "testdata/encoding_rs/";
  text[CKanji::EMODE_EUC] = mojiwa_test::ReadFile(mojiwa_test::SharedPath(dir + "jis0208_in.txt"));
  text[CKanji::EMODE_JIS] =
      mojiwa_test::ReadFile(mojiwa_test::SharedPath(dir + "iso_2022_jp_in.txt"));
  std::string& sjis = text[CKanji::EMODE_SJIS];
  sjis = mojiwa_test::ReadFile(mojiwa_test::SharedPath(dir + "shift_jis_in.txt"));
  std::size_t end = 0;
  for (int line = 0; line < 8840 && end != std::string::npos; ++line)
    end = sjis.find('\n', end) + 1;
  sjis.resize(end);
  ASSERT_EQ(sjis.size(), 26670U);
  ASSERT_EQ(text[CKanji::EMODE_EUC].size(), 26670U);
  ASSERT_EQ(text[CKanji::EMODE_JIS].size(), 79686U);
  ExpectAllSixWays("encoding_rs", text);
}

TEST(CorpusTest, MainTextInAllThreeCodes) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  std::string text[3];
  const char* const names[] = {"euc", "sjis", "jis"};
  for (int code = 0; code < 3; ++code) {
    text[code] = mojiwa_test::ReadFile(
        mojiwa_test::SharedPath(std::string("corpus/ja-") + names[code] + ".txt"));
  }
  ExpectAllSixWays("ja-*.txt", text);
}

// hw-jis.txt keeps the half-width katakana of hw-sjis.txt in the kana set, as 7-bit bytes.
TEST(CorpusTest, HalfWidthKanaThroughTheKanaSetAndBack) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  const std::string sjis = mojiwa_test::ReadFile(mojiwa_test::SharedPath("corpus/hw-sjis.txt"));
  const std::string jis = mojiwa_test::ReadFile(mojiwa_test::SharedPath("corpus/hw-jis.txt"));
  mojiwa_test::Switches keep;
  keep.keep_kana = true;
  EXPECT_TRUE(mojiwa_test::Convert(Conv::kS2J, sjis, keep, CKanji::ESHIFT_ASCII, true).text == jis);
  EXPECT_TRUE(mojiwa_test::Convert(Conv::kJ2S, jis).text == sjis);
}

// Each way there and back is the identity, both ways to Shift_JIS meet, and no two cells share
// a Shift_JIS pair.
TEST(GridArithmeticTest, EveryCellRoundTrips) {
  std::set<std::string> seen;
  for (int row = 0x21; row <= 0x7E; ++row) {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const std::string jis{static_cast<char>(row), static_cast<char>(cell)};
      SCOPED_TRACE(Hex(jis));
      const std::string euc = Apply(CKanji::jis2euc, jis);
      const std::string sjis = Apply(CKanji::jis2sjis, jis);
      ASSERT_EQ(Apply(CKanji::euc2jis, euc), jis);
      ASSERT_EQ(Apply(CKanji::sjis2jis, sjis), jis);
      ASSERT_EQ(Apply(CKanji::euc2sjis, euc), sjis);
      ASSERT_EQ(Apply(CKanji::sjis2euc, sjis), euc);
      ASSERT_NE(CKanji::isSJIS(sjis.c_str()), CKanji::EANS_NO);
      ASSERT_TRUE(seen.insert(sjis).second) << "two cells share " << Hex(sjis);
    }
  }
}

// Outside the grid too: a JIS reader in the kanji set takes any two bytes after a byte that
// opens no shift and ends no line. Each text strings all such pairs together, so that they meet
// every lane of the converters' blocks.
TEST(PairAgreementTest, BlockAndCharacterConvertersTakeEveryPairAlike) {
  std::string jis, sjis;
  for (int first = 1; first < 256; ++first) {
    for (int second = 1; second < 256; ++second) {
      const std::string pair{static_cast<char>(first), static_cast<char>(second)};
      if (std::string("\x0A\x0D\x0E\x0F\x1B").find(pair[0]) == std::string::npos) jis += pair;
      if (CKanji::isSJIS(pair.c_str()) != CKanji::EANS_NO) sjis += pair;
    }
  }
  auto each_pair = [](void (*convert)(const char*&, char*&), const std::string& pairs) {
    std::string out;
    for (std::size_t i = 0; i < pairs.size(); i += 2) out += Apply(convert, pairs.substr(i, 2));
    return out;
  };
  struct Row {
    Conv conv;
    CKanji::ESHIFT start;
    const std::string& in;
    std::string out;
  } const rows[] = {
      {Conv::kJ2E, CKanji::ESHIFT_KANJI, jis, each_pair(CKanji::jis2euc, jis)},
      {Conv::kJ2S, CKanji::ESHIFT_KANJI, jis, each_pair(CKanji::jis2sjis, jis)},
      {Conv::kS2E, CKanji::ESHIFT_ASCII, sjis, each_pair(CKanji::sjis2euc, sjis)},
      {Conv::kS2J, CKanji::ESHIFT_ASCII, sjis,
       mojiwa_test::kToKanji + each_pair(CKanji::sjis2jis, sjis)},
  };
  for (const Row& row : rows) {
    const std::string got = mojiwa_test::Convert(row.conv, row.in, {}, row.start).text;
    std::size_t i = 0;
    while (i < got.size() && i < row.out.size() && got[i] == row.out[i]) ++i;
    EXPECT_TRUE(got == row.out) << mojiwa_test::Info(row.conv).name << " differs at byte " << i
                                << ": " << Hex(got.substr(i, 8)) << " instead of "
                                << Hex(row.out.substr(i, 8));
  }
}

}  // namespace
