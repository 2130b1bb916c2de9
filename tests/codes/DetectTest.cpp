// Detection: the escape parser, the pair tests and CheckArea on their edges; CheckCode against
// a plain walk with CheckArea, and on real files whose code is known.
#include <dirent.h>

#include <memory>
#include <random>
#include <vector>

#include "codes/PairScan.h"
#include "support/DetectSupport.h"
#include "support/TestSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Exact;
using mojiwa_test::Hex;

TEST(CheckEscTest, ConsumesWhatItExaminedButNeverTheTerminator) {
  const struct {
    std::string bytes;
    K::ESHIFT answer;
    std::ptrdiff_t moved;
  } rows[] = {
      {"\x0E", K::ESHIFT_ASCII, 1},      {"\x0F", K::ESHIFT_KANA, 1},
      {"A", K::ESHIFT_NONE, 0},          {"", K::ESHIFT_NONE, 0},
      {K::pcKnjiIn, K::ESHIFT_KANJI, 3}, {K::pcAsciiIn, K::ESHIFT_ASCII, 3},
      {"\x1B$@0!", K::ESHIFT_KANJI, 3},  {"\x1B&@", K::ESHIFT_KANJI, 3},
      {"\x1B$(D", K::ESHIFT_KANJI, 4},   {"\x1B(J", K::ESHIFT_ASCII, 3},
      {"\x1B(H", K::ESHIFT_ASCII, 3},    {"\x1B(I", K::ESHIFT_KANA, 3},
      {"\x1Bx", K::ESHIFT_INVALID, 2},   {"\x1B\x1B$B", K::ESHIFT_INVALID, 2},
      {"\x1B$A", K::ESHIFT_INVALID, 3},  {"\x1B&B", K::ESHIFT_INVALID, 3},
      {"\x1B(Z", K::ESHIFT_INVALID, 3},  {"\x1B$(B", K::ESHIFT_INVALID, 4},
      {"\x1B", K::ESHIFT_INVALID, 1},    {"\x1B$", K::ESHIFT_INVALID, 2},  // cut short
      {"\x1B$(", K::ESHIFT_INVALID, 3},  {"\x1B(", K::ESHIFT_INVALID, 2},
      {"\x1B&", K::ESHIFT_INVALID, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Hex(row.bytes));
    const auto text = Exact(row.bytes);
    const char* p = text.get();
    EXPECT_EQ(K::CheckESC(p), row.answer);
    EXPECT_EQ(p - text.get(), row.moved);
  }
}

TEST(PairTest, EachCodeAndCheckAreaOnTheEdgesOfTheRanges) {
  constexpr auto kYes = K::EANS_YES, kMaybe = K::EANS_MAYBE, kNo = K::EANS_NO;
  const struct {
    std::string bytes;
    K::EANS sjis, euc, jis;
    K::EAREA area;
  } rows[] = {
      {"\x81\x40", kYes, kNo, kNo, K::EAREA_SJIS},
      {"\x9F\xFC", kYes, kNo, kNo, K::EAREA_SJIS},
      {"\xEF\xA0", kYes, kNo, kNo, K::EAREA_SJIS},
      {"\x8E\xB1", kYes, kNo, kNo, K::EAREA_SJIS},  // EUC's single shift is not known
      {"\x81\x7F", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\x81\xFD", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\xFC\x40", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\xE0\xA1", kMaybe, kMaybe, kNo, K::EAREA_EUC_OR_SJIS},
      {"\xE0\xFD", kNo, kYes, kNo, K::EAREA_EUC},
      {"\xF0\xA1", kNo, kYes, kNo, K::EAREA_EUC},
      {"\xFE\xFE", kNo, kYes, kNo, K::EAREA_EUC},
      {"\xA1\xA1", kNo, kYes, kNo, K::EAREA_EUC_OR_HKANA},
      {"\xDF\xFE", kNo, kYes, kNo, K::EAREA_EUC_OR_HKANA},
      {"\xA1\xA0", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\xA0\xA1", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\x21\x7E", kNo, kNo, kYes, K::EAREA_ASCII},
      {"\x7E\x7F", kNo, kNo, kNo, K::EAREA_ASCII},
      {"\x20\x21", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\x0E\x41", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\x1B(I", kNo, kNo, kNo, K::EAREA_ESC},
      {"\x1Bx", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\x1B$", kNo, kNo, kNo, K::EAREA_OTHER},
      {"\x81", kNo, kNo, kNo, K::EAREA_OTHER},
      {"", kNo, kNo, kNo, K::EAREA_OTHER},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(Hex(row.bytes));
    const auto text = Exact(row.bytes);
    EXPECT_EQ(K::isSJIS(text.get()), row.sjis);
    EXPECT_EQ(K::isEUC(text.get()), row.euc);
    EXPECT_EQ(K::isJIS(text.get()), row.jis);
    EXPECT_EQ(K::CheckArea(text.get()), row.area);
  }
  EXPECT_TRUE(K::isHKana(0xA1) && K::isHKana(0xDF) && !K::isHKana(0xA0) && !K::isHKana(0xE0));
}

TEST(CheckCodeTest, CountsTheEvidenceOfEachCode) {
  const std::string sjis(40, '\x81');  // 20 times 0x81 0x81
  const struct {
    std::string bytes;
    K::EMODE code;
  } rows[] = {
      {"", K::EMODE_AUTO},
      {"plain text\n", K::EMODE_AUTO},
      {"\xF0\xA1", K::EMODE_EUC},
      {"\x81\x40", K::EMODE_SJIS},
      {"\x81\x40\xF0\xA1", K::EMODE_AUTO},
      {"\xE0\xA1", K::EMODE_AUTO},
      {"\xB1\xB2\xB3", K::EMODE_EUC},      // two EUC pairs, the kana step is one byte
      {"\x81\xA1\xA1", K::EMODE_SJIS},     // the pair takes the first 0xA1
      {"\xE0\xA1\xA1\xA1", K::EMODE_EUC},  // the shared pair too
      {sjis + "\x1B$B", K::EMODE_JIS},     // an escape outweighs any count
      {sjis + "\x1B(Z", K::EMODE_SJIS},    // an unknown one is no evidence
      {"\x1B\x1B$B", K::EMODE_JIS},        // and hides no escape after it
      {"\x0F\x31\x0E", K::EMODE_AUTO},     // SI and SO are no escapes
      {"\xF0\xA1\x1B$(", K::EMODE_EUC},    // an escape cut short at the end
  };
  for (const auto& row : rows) {
    EXPECT_EQ(K::CheckCode(Exact(row.bytes).get()), row.code) << Hex(row.bytes);
  }
}

// The walk as described, one CheckArea at a time: JIS, or the balance of EUC over Shift_JIS.
struct Walk {
  bool jis;
  long long balance;
};
Walk WalkWithCheckArea(const char* p) {
  constexpr int kStep[] = {0, 2, 2, 2, 1, 1, 1}, kCount[] = {0, 1, -1, 0, 0, 1, 0};
  long long balance = 0;
  for (K::EAREA area; *p != '\0'; p += kStep[area]) {
    area = K::CheckArea(p);
    if (area == K::EAREA_ESC) return {true, 0};
    balance += kCount[area];
  }
  return {false, balance};
}
K::EMODE Decide(const Walk& walk) {
  if (walk.jis) return K::EMODE_JIS;
  return walk.balance > 0 ? K::EMODE_EUC : walk.balance < 0 ? K::EMODE_SJIS : K::EMODE_AUTO;
}

// CheckCode gives only the sign of the balance, so each text is also tried with pairs appended
// that bring the walk's balance to -1, 0 and +1: any miscount shows. The space keeps the text's
// last byte from taking the first appended one as its second byte.
void ExpectSameAsWalk(const std::string& text) {
  const Walk walk = WalkWithCheckArea(text.c_str());
  ASSERT_EQ(K::CheckCode(Exact(text).get()), Decide(walk)) << Hex(text);
  for (long long target = -1; target <= 1 && !walk.jis; ++target) {
    std::string tuned = text + ' ';
    for (long long i = walk.balance; i < target; ++i) tuned += "\xF0\xA1";
    for (long long i = walk.balance; i > target; --i) tuned += "\x81\x40";
    ASSERT_EQ(K::CheckCode(Exact(tuned).get()), Decide({false, target}))
        << "balance " << walk.balance << " tuned to " << target << ": " << Hex(text);
  }
}

TEST(CheckCodeTest, EqualsTheWalkWithCheckAreaOnRandomBytes) {
  // Any byte; bytes on the edges of the ranges; bytes that chain into long runs of possible
  // pairs (each can be the second byte of the one before), where a run's parity decides.
  std::vector<unsigned char> any;
  for (int b = 1; b < 256; ++b) any.push_back(static_cast<unsigned char>(b == 0x1B ? 'a' : b));
  const std::vector<unsigned char> edges = {0x20, 0x3F, 0x40, 0x7E, 0x7F, 0x80, 0x81, 0x9F, 0xA0,
                                            0xA1, 0xDF, 0xE0, 0xEF, 0xF0, 0xFC, 0xFD, 0xFE, 0xFF};
  const std::vector<unsigned char> chains = {0x81, 0x81, 0xE0, 0xE0, 0xA1, 0xF0, 0xFD, 0x41};
  const std::string escapes[] = {"\x1B$B", "\x1B(I", "\x1B(Z", "\x1Bx", "\x1B$(D", "\x1B"};
  std::mt19937 rng(20240611);
  int seen[4] = {};
  for (int i = 0; i < 3000; ++i) {
    const auto& alphabet = i % 3 == 0 ? any : i % 3 == 1 ? edges : chains;
    std::string text(rng() % 300, ' ');
    for (char& c : text) c = static_cast<char>(alphabet[rng() % alphabet.size()]);
    if (i % 5 == 0) text.insert(rng() % (text.size() + 1), escapes[rng() % 6]);
    ExpectSameAsWalk(text);
    ++seen[K::CheckCode(text.c_str())];
  }
  for (int code = 0; code < 4; ++code) EXPECT_GT(seen[code], 50) << "answer " << code;
}

TEST(CheckCodeTest, EqualsTheWalkWithCheckAreaAcrossBlockEdges) {
  // A pair, a run or an escape on every position around the first 64-byte block edges, and
  // across the edge at 16 KiB, where the text is measured again.
  const std::string pieces[] = {
      "\x81\x40", "\xF0\xA1", "\xB1\xB2\xB3",          "\xE0\xA1\xFD",         "\x81\x81\x40",
      "\x1B$B",   "\x1B(Z",   std::string(70, '\x81'), std::string(67, '\xE0')};
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

TEST(CheckCodeTest, EqualsTheWalkWithCheckAreaOnCorpusSlices) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  std::mt19937 rng(7);
  for (const char* name : {"ja-sjis.txt", "ja-euc.txt", "hw-sjis.txt", "hw-euc.txt"}) {
    const std::string file = mojiwa_test::ReadFile(mojiwa_test::SharedPath("corpus/") + name);
    ASSERT_GT(file.size(), 100000U);
    for (int i = 0; i < 200; ++i)
      ExpectSameAsWalk(file.substr(rng() % (file.size() - 4000), 64 + rng() % 3000));
  }
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> files;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  while (const dirent* entry = dir ? readdir(dir.get()) : nullptr) {
    if (entry->d_name[0] != '.') files.push_back(folder + "/" + entry->d_name);
  }
  return files;
}

TEST(CheckCodeTest, KnowsTheCodeOfRealFiles) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  const std::pair<const char*, K::EMODE> files[] = {
      {"corpus/ja-sjis.txt", K::EMODE_SJIS},
      {"corpus/ja-euc.txt", K::EMODE_EUC},
      {"corpus/ja-jis.txt", K::EMODE_JIS},
      {"corpus/hw-sjis.txt", K::EMODE_SJIS},
      {"corpus/hw-euc.txt", K::EMODE_EUC},
      {"corpus/hw-jis.txt", K::EMODE_JIS},
      {"corpus/ja-utf8.txt", K::EMODE_SJIS},  // UTF-8 leads 0xE3 pair as Shift_JIS
      {"testdata/encoding_rs/shift_jis_in.txt", K::EMODE_SJIS},
      {"testdata/encoding_rs/shift_jis_out_ref.txt", K::EMODE_SJIS},
      {"testdata/encoding_rs/jis0208_in.txt", K::EMODE_EUC},
      {"testdata/encoding_rs/jis0208_out_ref.txt", K::EMODE_EUC},
      {"testdata/encoding_rs/iso_2022_jp_in.txt", K::EMODE_JIS},
      {"testdata/encoding_rs/iso_2022_jp_out_ref.txt", K::EMODE_JIS},
      {"testdata/encoding_rs/jis0212_in.txt", K::EMODE_SJIS},  // 8F xx reads as Shift_JIS
  };
  for (const auto& file : files) {
    const std::string text = mojiwa_test::ReadFile(mojiwa_test::SharedPath(file.first));
    EXPECT_EQ(K::CheckCode(text.c_str()), file.second) << file.first;
  }
  const std::pair<const char*, K::EMODE> folders[] = {{"testdata/chardet/EUC-JP", K::EMODE_EUC},
                                                      {"testdata/chardet/SHIFT_JIS", K::EMODE_SJIS},
                                                      {"testdata/chardet/CP932", K::EMODE_SJIS}};
  std::size_t count = 0;
  for (const auto& folder : folders) {
    for (const std::string& path : FilesIn(mojiwa_test::SharedPath(folder.first))) {
      EXPECT_EQ(K::CheckCode(mojiwa_test::ReadFile(path).c_str()), folder.second) << path;
      ++count;
    }
  }
  EXPECT_EQ(count, 58U);
}

#if defined(MOJIWA_PAIRSCAN_SSE2)
// Machines without SSE2 use the portable masks; they must agree bit for bit. Blocks of any
// bytes, of 8-bit bytes, of 7-bit bytes (ESC now and then), and of 7-bit bytes but one.
TEST(PairScanTest, PortableMasksEqualTheSse2Masks) {
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
