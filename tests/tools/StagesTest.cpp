// The filter's stages in process, on byte soup rich in the places where reading turns (escapes
// whole and cut short, pairs valid in one code or in both, half-width katakana and sound marks,
// single shifts, NUL): code conversion in pieces of any size writes what the whole text gives,
// which is what the library writes; detection in pieces answers as CheckCode does.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "Converter.h"
#include "Detector.h"
#include "support/TestSupport.h"

namespace {

std::string Soup(std::mt19937& rng, std::size_t size) {
  static const char* const kPieces[] = {
      "a",        "\r\n",     "\n",       "0!",       "^",        "\x1B$B",   "\x1B(B",
      "\x1B(I",   "\x1B(J",   "\x1B$(D",  "\x1B$",    "\x1B(",    "\x1B",     "\x0E",
      "\x0F",     "\x88\x9F", "\x81\x40", "\xE0\xA1", "\xE0\xFD", "\x83\x5C", "\xB6\xDE",
      "\xB3",     "\xDF",     "\x81",     "\xFD",     "\x80",     "\xB0\xA1", "\xA4\xA2",
      "\xF0\xA1", "\xA1",     "\x8E\xB6", "\x8E\xDE", "\x8E",     "\x8E\x41", "\x8F\xB0\xA1",
      "\x8F\xA1", "\x8F",     "\xFE"};
  std::string text;
  while (text.size() < size) text += kPieces[rng() % (sizeof kPieces / sizeof kPieces[0])];
  return text;
}

std::string Library(const mojiwa::filter::ConvertSettings& s, const std::string& text) {
  CKanji object(s.to, s.from, true, s.kana_to_zen, s.crlf, s.keep_kana, 1UL << 16);
  object = text.c_str();
  return std::string(object.GetBuff(), object.GetSize());
}

// Feeds the text as the filter's reading loop does: pieces of 1 to `most` bytes (0: the whole
// text) appended to a buffer, converted up to the cut, the rest kept; a small output buffer
// makes the converters stop and resume often.
std::string Convert(const mojiwa::filter::ConvertSettings& s, const std::string& text,
                    std::mt19937& rng, std::size_t most) {
  mojiwa::filter::StringWriter out(32);
  mojiwa::filter::Converter converter(s, out);
  std::vector<unsigned char> buffer;
  for (std::size_t from = 0, piece; from < text.size(); from += piece) {
    piece = most == 0 ? text.size() : std::min<std::size_t>(1 + rng() % most, text.size() - from);
    buffer.insert(buffer.end(), text.begin() + from, text.begin() + from + piece);
    buffer.push_back(0);  // the writable byte after the text
    const bool last = from + piece == text.size();
    buffer.erase(buffer.begin(),
                 buffer.begin() + converter.Feed(buffer.data(), buffer.size() - 1, last));
    buffer.pop_back();
  }
  EXPECT_TRUE(buffer.empty());
  converter.Finish();
  out.EndOfInput();
  return out.text();
}

TEST(StagesTest, ConversionInPiecesIsTheWholeAndTheLibrarys) {
  std::mt19937 rng(7);
  const CKanji::EMODE codes[] = {CKanji::EMODE_SJIS, CKanji::EMODE_EUC, CKanji::EMODE_JIS};
  for (int round = 0; round < 2880; ++round) {
    const CKanji::EMODE from = codes[round % 3], to = codes[round / 3 % 3];
    const bool crlf = round & 16, keep_kana = round & 32, kana_to_zen = round & 64;
    std::string text = Soup(rng, 10 + rng() % 200);
    // The library reads neither NUL nor single shifts: half of the texts leave them out.
    const bool plain = round % 2 == 0;
    for (char& c : text) {
      if (plain && from == CKanji::EMODE_EUC && (c == '\x8E' || c == '\x8F')) c = 'z';
      if (!plain && rng() % 23 == 0) c = '\0';
    }
    SCOPED_TRACE(::testing::Message() << from << "->" << to << " " << crlf << keep_kana
                                      << kana_to_zen << ": " << mojiwa_test::Hex(text));
    const mojiwa::filter::ConvertSettings s{from, to, crlf, keep_kana, kana_to_zen};
    const std::string whole = Convert(s, text, rng, 0);
    ASSERT_EQ(mojiwa_test::Hex(plain ? Library(s, text) : whole), mojiwa_test::Hex(whole));
    ASSERT_EQ(mojiwa_test::Hex(whole), mojiwa_test::Hex(Convert(s, text, rng, 1 + round % 17)));
  }
}

TEST(StagesTest, DetectionInPiecesAnswersAsCheckCode) {
  // Short texts at every pair of cuts; without ESC (half of them) the counts decide, which is
  // the harder part to resume. One detector throughout: Finish starts it afresh.
  std::mt19937 rng(20261206);
  mojiwa::filter::StreamDetector detector;
  for (int round = 0; round < 3000; ++round) {
    std::string text = Soup(rng, rng() % 16);
    if (round % 2 == 0) text.erase(std::remove(text.begin(), text.end(), '\x1B'), text.end());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (std::size_t a = 0; a <= text.size(); ++a) {
      for (std::size_t b = a; b <= text.size(); ++b) {
        detector.Feed(bytes, a);
        detector.Feed(bytes + a, b - a);
        detector.Feed(bytes + b, text.size() - b);
        ASSERT_EQ(CKanji::CheckCode(text.c_str()), detector.Finish())
            << mojiwa_test::Hex(text) << " cut at " << a << ", " << b;
      }
    }
  }
}

}  // namespace
