// Long texts through the operations that rewrite a text character by character (zen2han,
// han2zen, ToUpper, ToLower, Clean). Past a few dozen bytes they take sixteen bytes at a time
// wherever the work object has room; short texts go one character at a time. Each operation
// treats every character on its own (a half-width kana with the sound mark after it counts as
// one), so the result on a long text must be the results on short pieces of it, joined.
#include <random>

#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using TextRewriteTest = AccountingTest;

// Shift_JIS characters of every kind the operations tell apart, each with the bytes it needs
// after it: a lone lead before a digit, a kana with its sound mark.
std::vector<std::string> Characters(unsigned seed, std::size_t count, bool hostile) {
  std::mt19937 rng(seed);
  auto pick = [&rng](int lo, int hi) {
    return static_cast<char>(std::uniform_int_distribution<int>(lo, hi)(rng));
  };
  auto trail = [&pick] {
    char t = pick(0x40, 0xFC);
    return t == '\x7F' ? '\x80' : t;
  };
  std::vector<std::string> out;
  while (out.size() < count) {
    switch (std::uniform_int_distribution<int>(0, hostile ? 11 : 9)(rng)) {
      case 0: out.push_back(std::string(1, pick(0x20, 0x7E))); break;      // ASCII
      case 1: out.push_back({'\x82', pick(0x4F, 0x9A)}); break;            // digits, letters
      case 2: out.push_back({'\x82', pick(0x9F, 0xF1)}); break;            // hiragana
      case 3: out.push_back({'\x83', pick(0x40, 0x96)}); break;            // katakana
      case 4: out.push_back({'\x81', trail()}); break;                     // symbols
      case 5: out.push_back({pick(0x88, 0x9F), trail()}); break;           // kanji
      case 6: out.push_back({pick(0xE0, 0xEF), trail()}); break;           // kanji
      case 7: out.push_back({pick(0xA1, 0xDF), pick(0xDE, 0xDF)}); break;  // kana, sound mark
      case 8: out.push_back(std::string(1, pick(0xA1, 0xDF))); break;      // half-width kana
      case 9: out.push_back(rng() % 2 != 0 ? "\n" : "\r\n"); break;
      case 10: out.push_back({pick(0x81, 0x83), '7'}); break;  // a lead alone
      default: out.push_back(std::string(1, "\x7F\x80\xA0\xFD"[rng() % 4])); break;
    }
  }
  return out;
}

// Pieces of at most 40 bytes, never cut before a sound mark (it may belong to the kana before).
std::vector<std::string> Pieces(const std::vector<std::string>& characters) {
  std::vector<std::string> pieces(1);
  for (const std::string& c : characters) {
    const bool mark = c[0] == '\xDE' || c[0] == '\xDF';
    if (pieces.back().size() + c.size() > 40 && !mark) pieces.emplace_back();
    pieces.back() += c;
  }
  return pieces;
}

struct Rewrite {
  const char* name;
  std::function<int(K&)> run;  // the count Clean gives, 0 for the others
};

TEST_F(TextRewriteTest, LongTextsGiveWhatTheirPiecesGive) {
  MemLimitScope unlimited(0);
  const K list(Sjis(u8"、。「」 Aｱア漢").c_str());
  const Rewrite rewrites[] = {
      {"zen2han all", [](K& k) { return k.zen2han(true, true, true, true, true), 0; }},
      {"zen2han kata", [](K& k) { return k.zen2han(false, false, true, false, false), 0; }},
      {"han2zen all", [](K& k) { return k.han2zen(true, true, true, true, false), 0; }},
      {"han2zen hira", [](K& k) { return k.han2zen(false, true, true, false, true), 0; }},
      {"ToUpper", [](K& k) { return k.ToUpper(true, true), 0; }},
      {"ToLower", [](K& k) { return k.ToLower(true, false), 0; }},
      {"Clean", [&list](K& k) { return k.Clean(list); }},
  };
  for (K::EMODE code : {K::EMODE_SJIS, K::EMODE_EUC}) {
    // Bytes that are no character would read differently once converted to EUC-JP.
    const std::vector<std::string> characters = Characters(7 + code, 1500, code == K::EMODE_SJIS);
    const std::vector<std::string> pieces = Pieces(characters);
    std::string text;
    for (const std::string& piece : pieces) text += piece;
    for (const Rewrite& rewrite : rewrites) {
      std::string want;
      int want_count = 0;
      for (const std::string& piece : pieces) {
        K k(piece.c_str(), code, K::EMODE_SJIS);
        want_count += rewrite.run(k);
        want += k.GetBuff();
      }
      // The growth step sets the work objects' room, and so where blocks give way to single
      // characters until the next growth.
      for (unsigned long step : {1ul, 64ul, 1000ul, 4096ul}) {
        K k(text.c_str(), code, K::EMODE_SJIS, true, false, false, false, step);
        EXPECT_EQ(rewrite.run(k), want_count) << rewrite.name;
        EXPECT_TRUE(k.GetBuff() == want) << rewrite.name << " code " << code << " step " << step;
      }
    }
  }
}

}  // namespace
}  // namespace mojiwa_test
