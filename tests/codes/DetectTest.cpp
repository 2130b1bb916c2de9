// Detection: the escape parser, the pair tests and CheckArea on their edges; CheckCode on chosen
// texts, against a plain walk with CheckArea, and on real files whose code is known.
#include <filesystem>
#include <random>
#include <tuple>
#include <vector>

#include "codes/PairScan.h"
#include "support/ConvertSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Exact;
using mojiwa_test::Hex;

TEST(DetectTest, CheckEscConsumesWhatItExaminedButNeverTheTerminator) {
  constexpr auto A = K::ESHIFT_ASCII, Kj = K::ESHIFT_KANJI, Kn = K::ESHIFT_KANA,
                 Bad = K::ESHIFT_INVALID, None = K::ESHIFT_NONE;
  const std::tuple<std::string, K::ESHIFT, int> rows[] = {
      {"\x0E", A, 1},     {"\x0F", Kn, 1},        {"A", None, 0},      {"", None, 0},
      {"\x1B$B", Kj, 3},  {"\x1B(B", A, 3},       {"\x1B$@0!", Kj, 3}, {"\x1B&@", Kj, 3},
      {"\x1B$(D", Kj, 4}, {"\x1B(J", A, 3},       {"\x1B(H", A, 3},    {"\x1B(I", Kn, 3},
      {"\x1Bx", Bad, 2},  {"\x1B\x1B$B", Bad, 2}, {"\x1B$A", Bad, 3},  {"\x1B&B", Bad, 3},
      {"\x1B(Z", Bad, 3}, {"\x1B$(B", Bad, 4},    {"\x1B", Bad, 1},    {"\x1B$", Bad, 2},
      {"\x1B$(", Bad, 3}, {"\x1B(", Bad, 2},      {"\x1B&", Bad, 2}};
  for (const auto& [bytes, answer, moved] : rows) {
    const auto text = Exact(bytes);
    const char* p = text.get();
    EXPECT_EQ(K::CheckESC(p), answer) << Hex(bytes);
    EXPECT_EQ(p - text.get(), moved) << Hex(bytes);
  }
}

TEST(DetectTest, PairTestsAndCheckAreaOnTheEdgesOfTheRanges) {
  constexpr auto Y = K::EANS_YES, M = K::EANS_MAYBE, N = K::EANS_NO;
  const std::tuple<std::string, K::EANS, K::EANS, K::EANS, K::EAREA> rows[] = {
      {"\x81\x40", Y, N, N, K::EAREA_SJIS},         {"\x9F\xFC", Y, N, N, K::EAREA_SJIS},
      {"\xEF\xA0", Y, N, N, K::EAREA_SJIS},         {"\x8E\xB1", Y, N, N, K::EAREA_SJIS},
      {"\x81\x7F", N, N, N, K::EAREA_OTHER},        {"\x81\xFD", N, N, N, K::EAREA_OTHER},
      {"\xE0\xA1", M, M, N, K::EAREA_EUC_OR_SJIS},  {"\xE0\xFD", N, Y, N, K::EAREA_EUC},
      {"\xF0\xA1", N, Y, N, K::EAREA_EUC},          {"\xFE\xFE", N, Y, N, K::EAREA_EUC},
      {"\xA1\xA1", N, Y, N, K::EAREA_EUC_OR_HKANA}, {"\xDF\xFE", N, Y, N, K::EAREA_EUC_OR_HKANA},
      {"\xA1\xA0", N, N, N, K::EAREA_OTHER},        {"\xA0\xA1", N, N, N, K::EAREA_OTHER},
      {"\x21\x7E", N, N, Y, K::EAREA_ASCII},        {"\x7E\x7F", N, N, N, K::EAREA_ASCII},
      {"\x20\x21", N, N, N, K::EAREA_OTHER},        {"\x1B(I", N, N, N, K::EAREA_ESC},
      {"\x1B$(", N, N, N, K::EAREA_OTHER},          {"\xE0", N, N, N, K::EAREA_OTHER},
      {"\x1Bx", N, N, N, K::EAREA_OTHER},           {"\x81", N, N, N, K::EAREA_OTHER}};
  for (const auto& [bytes, sjis, euc, jis, area] : rows) {
    const auto text = Exact(bytes);
    EXPECT_EQ(std::make_tuple(K::isSJIS(text.get()), K::isEUC(text.get()), K::isJIS(text.get()),
                              K::CheckArea(text.get())),
              std::make_tuple(sjis, euc, jis, area))
        << Hex(bytes);
  }
  EXPECT_TRUE(K::isHKana(0xA1) && K::isHKana(0xDF) && !K::isHKana(0xA0) && !K::isHKana(0xE0));
}

// The walk one CheckArea at a time gives JIS or the balance of EUC over Shift_JIS; pairs appended
// (after a space) bring it to -1, 0 and +1, so that CheckCode must count it exactly.
void ExpectSameAsWalk(const std::string& text) {
  constexpr int kStep[] = {0, 2, 2, 2, 1, 1, 1}, kCount[] = {0, 1, -1, 0, 0, 1, 0};
  long long balance = 0;
  for (const char* p = text.c_str(); *p != '\0'; p += kStep[K::CheckArea(p)]) {
    if (K::CheckArea(p) == K::EAREA_ESC) {
      ASSERT_EQ(K::CheckCode(Exact(text).get()), K::EMODE_JIS) << Hex(text);
      return;
    }
    balance += kCount[K::CheckArea(p)];
  }
  const auto sign = [](long long b) {
    return b > 0 ? K::EMODE_EUC : b < 0 ? K::EMODE_SJIS : K::EMODE_AUTO;
  };
  ASSERT_EQ(K::CheckCode(Exact(text).get()), sign(balance)) << Hex(text);
  for (long long target = -1; target <= 1; ++target) {
    std::string tuned = text + ' ';
    for (long long i = balance; i < target; ++i) tuned += "\xF0\xA1";
    for (long long i = balance; i > target; --i) tuned += "\x81\x40";
    ASSERT_EQ(K::CheckCode(Exact(tuned).get()), sign(target)) << balance << ": " << Hex(text);
  }
}

// Chosen texts, random bytes (any, edges of the ranges, chains of possible pairs), and pieces
// across the block edges at 64 bytes and 16 KiB.
TEST(DetectTest, CheckCodeEqualsTheWalkWithCheckArea) {
  constexpr auto E = K::EMODE_EUC, S = K::EMODE_SJIS, J = K::EMODE_JIS, A = K::EMODE_AUTO;
  // 20 pairs 0x81 0x81, outweighed only by a recognised escape.
  const std::string sjis(40, '\x81'), escape = sjis + "\x1B$B", unknown = sjis + "\x1B(Z";
  // clang-format off
  const std::pair<std::string, K::EMODE> rows[] = {
      {"", A}, {"text\n", A}, {"\xF0\xA1", E}, {"\x81\x40", S}, {"\x81\x40\xF0\xA1", A},
      {"\xE0\xA1", A}, {"\xB1\xB2\xB3", E}, {"\x81\xA1\xA1", S}, {escape, J}, {unknown, S},
      {"\x1B\x1B$B", J}};
  // clang-format on
  for (const auto& [text, code] : rows) {
    EXPECT_EQ(K::CheckCode(Exact(text).get()), code) << Hex(text);
    ExpectSameAsWalk(text);
  }
  std::string any;
  for (int b = 1; b < 256; ++b) any += static_cast<char>(b == 0x1B ? 'a' : b);
  const std::string alphabets[] = {
      any, "\x20\x3F\x40\x7E\x7F\x80\x81\x9F\xA0\xA1\xDF\xE0\xEF\xF0\xFC\xFD\xFE\xFF",
      "\x81\x81\xE0\xE0\xA1\xF0\xFD\x41"};
  const std::string escapes[] = {"\x1B$B", "\x1B(I", "\x1B(Z", "\x1Bx", "\x1B$(D", "\x1B"};
  std::mt19937 rng(20240611);
  for (int i = 0; i < 3000; ++i) {
    std::string text(rng() % 300, ' ');
    for (char& c : text) c = alphabets[i % 3][rng() % alphabets[i % 3].size()];
    if (i % 5 == 0) text.insert(rng() % (text.size() + 1), escapes[rng() % 6]);
    ExpectSameAsWalk(text);
  }
  const std::string pieces[] = {
      "\x81\x40", "\xB1\xB2\xB3",          "\xE0\xA1\xFD",         "\x1B$B",
      "\x1B(Z",   std::string(70, '\x81'), std::string(67, '\xE0')};
  for (const std::size_t edge : {64, 16384}) {
    for (const std::string& piece : pieces) {
      const std::size_t first = edge == 64 ? edge - 20 : edge - piece.size() - 2;
      for (std::size_t at = first; at < edge + (edge == 64 ? 80 : 2); ++at) {
        std::string text(edge + 150, 'a');
        text.replace(at, piece.size(), piece);
        ExpectSameAsWalk(text);
        ExpectSameAsWalk(text.substr(0, at + 1));
      }
    }
  }
}

// The documented answers for the corpus, the encoding_rs files and the chardet folders.
TEST(DetectTest, CheckCodeKnowsTheCodeOfRealFiles) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  constexpr auto E = K::EMODE_EUC, S = K::EMODE_SJIS, J = K::EMODE_JIS;
  const std::string c = "corpus/", rs = "testdata/encoding_rs/", chardet = "testdata/chardet/";
  // UTF-8 leads 0xE3 pair as Shift_JIS, and so do EUC-JP's 0x8F xx of JIS X 0212.
  // clang-format off
  const std::pair<std::string, K::EMODE> paths[] = {
      {c + "ja-sjis.txt", S}, {c + "ja-euc.txt", E}, {c + "ja-jis.txt", J}, {c + "hw-sjis.txt", S},
      {c + "hw-euc.txt", E}, {c + "hw-jis.txt", J}, {c + "ja-utf8.txt", S},
      {rs + "shift_jis_in.txt", S}, {rs + "shift_jis_out_ref.txt", S}, {rs + "jis0208_in.txt", E},
      {rs + "jis0208_out_ref.txt", E}, {rs + "iso_2022_jp_in.txt", J},
      {rs + "iso_2022_jp_out_ref.txt", J}, {rs + "jis0212_in.txt", S},
      {chardet + "EUC-JP", E}, {chardet + "SHIFT_JIS", S}, {chardet + "CP932", S}};
  // clang-format on
  int files = 0;
  for (const auto& [path, code] : paths) {
    const std::filesystem::path full = mojiwa_test::SharedPath(path);
    std::vector<std::filesystem::path> names = {full};
    if (is_directory(full)) names.assign(std::filesystem::directory_iterator(full), {});
    for (const auto& name : names) {
      ++files;
      EXPECT_EQ(K::CheckCode(mojiwa_test::ReadFile(name).c_str()), code) << name;
    }
  }
  EXPECT_EQ(files, 14 + 58);
}

#if defined(MOJIWA_PAIRSCAN_SSE2)
// Machines without SSE2 use the portable masks: random blocks, 8-bit, 7-bit, 7-bit but one.
TEST(DetectTest, PortableMasksEqualTheSse2Masks) {
  std::mt19937 rng(99);
  unsigned char block[65];
  for (int i = 0; i < 40000; ++i) {
    for (unsigned char& b : block)
      b = static_cast<unsigned char>(i % 4 == 1 ? rng() | 0x80 : rng());
    if (i % 4 >= 2) {
      for (unsigned char& b : block) b &= 0x7F;
      if (i % 4 == 3) block[rng() % 65] = static_cast<unsigned char>(rng());
    }
    ASSERT_TRUE(mojiwa::detail::BlockMasksPortable(block) == mojiwa::detail::BlockMasksSse2(block))
        << Hex(std::string(block, block + 65));
  }
}
#endif

}  // namespace
