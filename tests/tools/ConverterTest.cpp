// The streaming stages in process: converting a text in pieces of any size writes what
// converting it whole writes, which is what the library writes; the EUC-JP single shifts read as
// the Shift_JIS text they stand for; every cut the framing offers is a safe one; and the width
// stage cuts long lines without changing what the library's width operations make of them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "Converter.h"
#include "FilterSupport.h"
#include "Framing.h"
#include "Options.h"
#include "WidthStage.h"

namespace {

using mojiwa::filter::Converter;
using mojiwa::filter::ConvertSettings;
using mojiwa::filter::StringWriter;
using mojiwa_test::Hex;
using mojiwa_test::SameBytes;

constexpr CKanji::EMODE kCodes[] = {CKanji::EMODE_SJIS, CKanji::EMODE_EUC, CKanji::EMODE_JIS};

// Feeds the text as the filter's reading loop does: pieces appended to a buffer, converted up
// to the cut, the rest kept. A single piece of the whole text is the one-shot conversion.
std::string Convert(const ConvertSettings& settings, const std::string& text,
                    const std::vector<std::size_t>& pieces, unsigned long* geta = nullptr) {
  StringWriter out(32);  // a small buffer makes the converters stop and resume often
  Converter converter(settings, out);
  std::vector<unsigned char> buffer;
  std::size_t from = 0;
  for (std::size_t piece : pieces) {
    if (from >= text.size()) break;
    piece = std::min(piece, text.size() - from);
    buffer.insert(buffer.end(), text.begin() + static_cast<long>(from),
                  text.begin() + static_cast<long>(from + piece));
    from += piece;
    const bool last = from == text.size();
    buffer.push_back(0);  // the writable byte after the text
    const std::size_t used = converter.Feed(buffer.data(), buffer.size() - 1, last);
    buffer.pop_back();
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<long>(used));
  }
  if (!buffer.empty()) ADD_FAILURE() << "left unconverted: " << buffer.size();
  converter.Finish();
  out.EndOfInput();
  if (geta != nullptr) *geta = converter.geta_count();
  return out.text();
}

std::string ConvertWhole(const ConvertSettings& s, const std::string& text) {
  return Convert(s, text, {text.size() + 1});
}

// Random text of the code, made of the pieces where conversion turns.
std::string Soup(std::mt19937& rng, CKanji::EMODE code, std::size_t size, bool with_nul) {
  static const std::vector<std::string> kSjis = {
      "a",        "\r\n", "\n",   "\x88\x9F", "\x82\xA0", "\xB6",     "\xDE", "\xDF",
      "\xB3\xDE", "\x81", "\x80", "\xFD",     "\xE0\xA1", "\x83\x5C", " ",    "\xA1"};
  static const std::vector<std::string> kEuc = {
      "a",        "\r\n", "\n",       "\xB0\xA1",     "\xA4\xA2", "\xA1", "\x8E\xB6", "\x8E\xDE",
      "\x8E\xDF", "\x8E", "\x8E\x41", "\x8F\xB0\xA1", "\x8F\xA1", "\x8F", "\xFE",     "\x80"};
  static const std::vector<std::string> kJis = {
      "a", "\r", "\n",       "\x1B$B", "\x1B(B", "\x1B(I", "\x1B(J",  "\x0E",   "\x0F",   "0!",
      "6", "^",  "\xB6\xDE", "\x1B$",  "\x1B",   "\x1Bx",  "\x1B$(D", "\x1B&@", "\x1B(Z", "$"};
  const std::vector<std::string>& pieces = code == CKanji::EMODE_SJIS  ? kSjis
                                           : code == CKanji::EMODE_EUC ? kEuc
                                                                       : kJis;
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::string text;
  while (text.size() < size) {
    text += pieces[pick(rng)];
    if (with_nul && rng() % 23 == 0) text += '\0';
  }
  return text;
}

std::vector<std::size_t> RandomPieces(std::mt19937& rng, std::size_t max) {
  std::vector<std::size_t> pieces;
  for (int i = 0; i < 400; ++i) pieces.push_back(1 + rng() % max);
  pieces.push_back(1 << 20);
  return pieces;
}

ConvertSettings Settings(CKanji::EMODE from, CKanji::EMODE to, unsigned flags) {
  ConvertSettings s;
  s.from = from;
  s.to = to;
  s.crlf = (flags & 1) != 0;
  s.keep_kana = (flags & 2) != 0;
  s.kana_to_zen = (flags & 4) != 0;
  return s;
}

TEST(ConverterTest, PiecesOfAnySizeWriteWhatTheWholeWrites) {
  std::mt19937 rng(7);
  for (CKanji::EMODE from : kCodes) {
    for (CKanji::EMODE to : kCodes) {
      for (unsigned flags = 0; flags < 8; ++flags) {
        const ConvertSettings s = Settings(from, to, flags);
        for (int round = 0; round < 40; ++round) {
          const std::string text = Soup(rng, from, 20 + rng() % 200, true);
          SCOPED_TRACE(std::string(mojiwa_test::CodeName(from)) + "->" + mojiwa_test::CodeName(to) +
                       " flags " + std::to_string(flags) + ": " + Hex(text));
          const std::string whole = ConvertWhole(s, text);
          ASSERT_TRUE(SameBytes(whole, Convert(s, text, RandomPieces(rng, 1 + round % 17))));
        }
      }
    }
  }
}

TEST(ConverterTest, WholeConversionIsTheLibrarys) {
  mojiwa_test::MemLimitScope unlimited(0);
  std::mt19937 rng(11);
  for (CKanji::EMODE from : kCodes) {
    for (CKanji::EMODE to : kCodes) {
      for (unsigned flags = 0; flags < 8; ++flags) {
        const ConvertSettings s = Settings(from, to, flags);
        for (int round = 0; round < 40; ++round) {
          std::string text = Soup(rng, from, 10 + rng() % 100, false);
          // The library reads no single shifts; without them both read EUC-JP alike.
          if (from == CKanji::EMODE_EUC) {
            for (char& c : text)
              if (c == '\x8E' || c == '\x8F') c = 'z';
          }
          SCOPED_TRACE(std::string(mojiwa_test::CodeName(from)) + "->" + mojiwa_test::CodeName(to) +
                       " flags " + std::to_string(flags) + ": " + Hex(text));
          const mojiwa_test::Switches sw{s.kana_to_zen, s.crlf, s.keep_kana};
          ASSERT_TRUE(
              SameBytes(mojiwa_test::LibraryConvert(text, from, to, sw), ConvertWhole(s, text)));
        }
      }
    }
  }
}

TEST(ConverterTest, EucSingleShiftsReadAsTheShiftJisTheyStandFor) {
  mojiwa_test::MemLimitScope unlimited(0);
  const std::vector<std::string> pieces = {"a",        "\n",           "\xB0\xA1",     "\xA5\xAB",
                                           "\x8E\xB6", "\x8E\xCA",     "\x8E\xDE",     "\x8E\xDF",
                                           "\x8E\xB1", "\x8F\xB0\xA1", "\x8F\xFE\xFE", " "};
  std::mt19937 rng(13);
  for (int round = 0; round < 300; ++round) {
    std::string euc;
    unsigned long ss3 = 0;
    while (euc.size() < 40) {
      const std::string& piece = pieces[rng() % pieces.size()];
      ss3 += piece[0] == '\x8F';
      euc += piece;
    }
    const std::string sjis = mojiwa_test::SjisOf(euc);
    for (CKanji::EMODE to : kCodes) {
      for (unsigned flags : {0u, 2u}) {
        SCOPED_TRACE(std::string(mojiwa_test::CodeName(to)) + " flags " + std::to_string(flags) +
                     ": " + Hex(euc));
        const ConvertSettings s = Settings(CKanji::EMODE_EUC, to, flags);
        unsigned long geta = 0;
        const std::string got = Convert(s, euc, RandomPieces(rng, 9), &geta);
        ASSERT_TRUE(SameBytes(
            mojiwa_test::LibraryConvert(sjis, CKanji::EMODE_SJIS, to, {false, false, flags == 2}),
            got));
        EXPECT_EQ(ss3, geta);
      }
    }
  }
}

TEST(ConverterTest, EveryOfferedCutIsSafe) {
  std::mt19937 rng(17);
  for (CKanji::EMODE code : kCodes) {
    for (int round = 0; round < 2000; ++round) {
      const std::string text = Soup(rng, code, 4 + rng() % 60, false);
      const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
      std::vector<std::size_t> cuts{
          mojiwa::filter::ScanCut(code, true, bytes, text.size(), CKanji::ESHIFT_ASCII).size};
      if (code == CKanji::EMODE_JIS)
        cuts.push_back(mojiwa::filter::JisResyncCut(bytes, text.size()));
      for (std::size_t cut : cuts) {
        ASSERT_LE(cut, text.size());
        SCOPED_TRACE(Hex(text) + " cut at " + std::to_string(cut));
        for (CKanji::EMODE to : kCodes) {
          const ConvertSettings s = Settings(code, to, 4);
          // Both parts converted as given (last = true converts all of a part).
          StringWriter out;
          Converter converter(s, out);
          std::vector<unsigned char> buffer(text.begin(), text.end());
          buffer.push_back(0);
          converter.Feed(buffer.data(), cut, true);
          std::vector<unsigned char> rest(text.begin() + static_cast<long>(cut), text.end());
          rest.push_back(0);
          converter.Feed(rest.data(), rest.size() - 1, true);
          converter.Finish();
          out.EndOfInput();
          ASSERT_TRUE(SameBytes(ConvertWhole(s, text), out.text()));
        }
      }
    }
  }
}

TEST(ConverterTest, WidthStagePassesNulBytes) {
  // Regression: a NUL ended the CKanji's text, and the rest of its line was lost.
  mojiwa::filter::Options o;
  o.zen2han.alpha = true;
  const std::string text =
      mojiwa_test::Sjis(u8"ＡＢ") + std::string("\0", 1) + mojiwa_test::Sjis(u8"ＣＤ\n");
  StringWriter out;
  mojiwa::filter::WidthStage stage(o, CKanji::EMODE_SJIS, out);
  stage.Put(text.data(), text.size());
  stage.EndOfInput();
  out.EndOfInput();
  EXPECT_EQ(std::string("AB\0CD\n", 6), out.text()) << Hex(out.text());
}

TEST(ConverterTest, WidthStageCutsLongLinesAtCharacters) {
  mojiwa_test::MemLimitScope unlimited(0);
  mojiwa::filter::Options o;
  o.han2zen.kata = o.han2zen.digit = true;
  o.zen2han.alpha = true;
  o.upper.han = true;
  o.keep_kana = true;
  // Lines far longer than the stage's 40-byte pieces, with kana and sound marks, kanji and
  // letters in both widths.
  const std::string sjis_line = mojiwa_test::Sjis(u8"漢字とｶﾞｷﾞABCａｂｃ123かな") +
                                "\xB6\xDE\xB1\xDF" +
                                mojiwa_test::Sjis(u8"アイウエオ日本語のテキスト");
  std::string sjis;
  for (int i = 0; i < 6; ++i) sjis += sjis_line + sjis_line + "\n";
  sjis += sjis_line;  // a last line without LF
  for (CKanji::EMODE code : kCodes) {
    SCOPED_TRACE(mojiwa_test::CodeName(code));
    const std::string text =
        mojiwa_test::LibraryConvert(sjis, CKanji::EMODE_SJIS, code, {false, false, true});
    StringWriter out;
    {
      mojiwa::filter::WidthStage stage(o, code, out, 40);
      stage.Put(text.data(), text.size());
      stage.EndOfInput();
    }
    out.EndOfInput();
    const std::string expected = mojiwa_test::LibraryWidth(text, code, o);
    if (code != CKanji::EMODE_JIS) {
      EXPECT_TRUE(SameBytes(expected, out.text()));
    } else {
      // A JIS piece ends in the Roman set and the next one enters its set again: the same
      // characters, with more escape sequences.
      EXPECT_TRUE(SameBytes(mojiwa_test::LibraryConvert(expected, code, CKanji::EMODE_SJIS),
                            mojiwa_test::LibraryConvert(out.text(), code, CKanji::EMODE_SJIS)));
      EXPECT_GT(out.text().size(), expected.size());
    }
  }
}

}  // namespace
