// The streaming detector answers as CKanji::CheckCode does for the whole text, however the text
// is cut into pieces: checked on byte soup rich in escapes and pairs, at every cut of short
// texts and in uneven pieces of the corpus.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Detector.h"
#include "support/TestSupport.h"

namespace {

using mojiwa::filter::StreamDetector;
using mojiwa_test::Hex;

CKanji::EMODE Streamed(const std::string& text, const std::vector<std::size_t>& cuts) {
  StreamDetector detector;
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    detector.Feed(reinterpret_cast<const unsigned char*>(text.data()) + from, cut - from);
    from = cut;
  }
  detector.Feed(reinterpret_cast<const unsigned char*>(text.data()) + from, text.size() - from);
  return detector.Finish();
}

// Bytes drawn from the places where detection turns: escapes (whole and cut short), EUC-only
// and Shift_JIS-only pairs, pairs valid in both, half-width katakana, ASCII.
std::string Soup(std::mt19937& rng, std::size_t size) {
  static const char* const kPieces[] = {
      "\x1B$B", "\x1B(B",   "\x1B(I",   "\x1B$(D",  "\x1B$",    "\x1B(",    "\x1B(Z",
      "\x1B",   "\xF0\xA1", "\x81\x40", "\xE0\xA1", "\xB1",     "\xB2\xB3", "\x8E\xB1",
      "a",      "\n",       "\x0E",     "\x0F",     "\xE0\xFD", "\x88\x9F", "\xA4\xA2"};
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kPieces / sizeof kPieces[0] - 1);
  std::string text;
  while (text.size() < size) text += kPieces[pick(rng)];
  return text;
}

TEST(DetectorTest, EveryCutOfShortTextsMatchesCheckCode) {
  const std::string rows[] = {
      "",
      "abc",
      "\xF0\xA1",
      "\x81\x40",
      "\xF0\xA1\x81\x40",
      "\xE0\xA1",
      "\xB1\xB2\xB3",
      "x\x1B$B",
      "\x81\x40\x81\x40\x1B(B",
      "\x1B(Z\xF0\xA1",
      "\x1B$(D",
      "ab\x1B$(",
      "\x8E\xB1\x8E\xB2",
      "\xA4\xA2\xA4\xA4\n\x81\x40",
  };
  for (const std::string& text : rows) {
    SCOPED_TRACE(Hex(text));
    const CKanji::EMODE whole = CKanji::CheckCode(text.c_str());
    for (std::size_t a = 0; a <= text.size(); ++a) {
      for (std::size_t b = a; b <= text.size(); ++b) {
        ASSERT_EQ(whole, Streamed(text, {a, b})) << "cuts " << a << ", " << b;
      }
    }
  }
}

TEST(DetectorTest, RandomSoupInRandomPieces) {
  std::mt19937 rng(20261206);
  for (int round = 0; round < 3000; ++round) {
    std::string text = Soup(rng, 1 + rng() % 40);
    // Without escapes the counts decide, which is the harder part to resume.
    if (round % 2 == 0) {
      std::string plain;
      for (char c : text)
        if (c != '\x1B') plain += c;
      text = plain;
    }
    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < text.size(); at += 1 + rng() % 5) cuts.push_back(at);
    SCOPED_TRACE(Hex(text));
    ASSERT_EQ(CKanji::CheckCode(text.c_str()), Streamed(text, cuts));
  }
}

TEST(DetectorTest, CorpusInUnevenPieces) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  for (const char* name :
       {"ja-sjis.txt", "ja-euc.txt", "hw-sjis.txt", "hw-euc.txt", "hw-jis.txt", "sources.txt"}) {
    SCOPED_TRACE(name);
    const std::string text = mojiwa_test::ReadFile(mojiwa_test::SharedPath("corpus/") + name);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 1; at < text.size(); at += 4093 + at % 7) cuts.push_back(at);
    EXPECT_EQ(CKanji::CheckCode(text.c_str()), Streamed(text, cuts));
  }
}

TEST(DetectorTest, DecidedOnceAnEscapeIsSeenAndResetByFinish) {
  StreamDetector detector;
  const std::string head = "\x81\x40\x1B$";
  detector.Feed(reinterpret_cast<const unsigned char*>(head.data()), head.size());
  EXPECT_FALSE(detector.Decided());  // ESC $ could still end as an unknown sequence
  detector.Feed(reinterpret_cast<const unsigned char*>("B"), 1);
  EXPECT_FALSE(detector.Decided());  // the walk waits for four bytes of look-ahead
  detector.Feed(reinterpret_cast<const unsigned char*>("xy"), 2);
  EXPECT_TRUE(detector.Decided());
  EXPECT_EQ(CKanji::EMODE_JIS, detector.Finish());
  EXPECT_FALSE(detector.Decided());
  EXPECT_EQ(CKanji::EMODE_AUTO, detector.Finish());
}

}  // namespace
