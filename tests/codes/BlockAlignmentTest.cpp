// The block paths against the one-step loop, wherever a hard spot falls in a block: each text is
// converted in one call (with the widest blocks the processor runs) and again call by call, each
// call given a room too small for any block, and both must agree. The spot moves through every
// lane of the first blocks, so it meets each block edge, a pair or escape sequence carried into
// the next block included.
#include "support/ConvertSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Conv;

// Each call with the same small room: the one-step loop only.
std::string StepByStep(Conv conv, const std::string& input, const mojiwa_test::Switches& sw,
                       K::ESHIFT& shift) {
  const auto src = mojiwa_test::Exact(input);
  const char* from = src.get();
  std::string text;
  for (bool done = false; !done;) {
    char out[16];
    char* to = out;
    unsigned long room = sizeof out;
    done = mojiwa_test::CallConv(conv, from, to, sw, &room, &shift);
    text.append(out, to);
  }
  return text;
}

struct Spot {
  const char* what;
  std::string bytes;
};

// The spot after `offset` Roman bytes and a run of kanji, then more kanji and a Roman tail;
// `pair` is a kanji in the source code, `into`/`out_of` enter and leave the kanji set (JIS).
std::string Around(const Spot& spot, int offset, const std::string& pair, const std::string& into,
                   const std::string& out_of) {
  std::string kanji;
  for (int i = 0; i < 20; ++i) kanji += pair;
  return std::string(offset, 'x') + into + kanji + spot.bytes + kanji + out_of +
         std::string(100, 'y');
}

void ExpectBlocksAsSteps(Conv conv, const mojiwa_test::Switches& sw, const Spot (&spots)[8],
                         const std::string& pair, const std::string& into = "",
                         const std::string& out_of = "") {
  for (const Spot& spot : spots) {
    for (int offset = 0; offset < 130; ++offset) {
      const std::string input = Around(spot, offset, pair, into, out_of);
      K::ESHIFT whole = K::ESHIFT_ASCII, steps = K::ESHIFT_ASCII;
      const std::string want = StepByStep(conv, input, sw, steps);
      const std::string got = mojiwa_test::Convert(conv, input, sw, whole);
      ASSERT_EQ(mojiwa_test::FirstDifference(got, want), "")
          << mojiwa_test::Info(conv).name << ": " << spot.what << " after " << offset;
      ASSERT_EQ(whole, steps) << spot.what << " after " << offset;
    }
  }
}

const std::string kEsc = "\x1B";

TEST(BlockAlignmentTest, JisSources) {
  const Spot spots[] = {{"a lead alone before CR", "0\r"},
                        {"a lead alone before LF", "0\n"},
                        {"a lead alone before ESC ( B", "0\x1B(B0!"},
                        {"a lead before a space", "0 0!"},
                        {"line ends between pairs", "\r\n0!\n"},
                        {"the kanji set entered twice, then the Roman set", "\x1B$B0!\x1B(Bab"},
                        {"JIS Roman, katakana, SO and SI", "\x1B(Ja\xB1\xDE\x0E\x31\x0F\x1B$B"},
                        {"a short Roman run", "\x1B(Bz\x1B$B"}};
  for (const auto& sw : {mojiwa_test::Switches{}, mojiwa_test::Switches{true, false, false}}) {
    ExpectBlocksAsSteps(Conv::kJ2S, sw, spots, "0!", kEsc + "$B", kEsc + "(B");
  }
  ExpectBlocksAsSteps(Conv::kJ2E, {}, spots, "0!", kEsc + "$B", kEsc + "(B");
}

TEST(BlockAlignmentTest, EucSources) {
  const Spot spots[] = {{"SS2 and a katakana", "\x8E\xB1"},
                        {"a lone lead", "\xB0"},
                        {"a lone lead before LF", "\xB0\n"},
                        {"CR LF", "\r\n"},
                        {"a high byte of no pair", "\x80\xA0\xFF"},
                        {"changes of set on every character",
                         "a\xB0\xA1"
                         "b\xB0\xA1"
                         "c\xB0\xA1"
                         "d\xB0\xA1"
                         "e\xB0\xA1"
                         "f\xB0\xA1"
                         "g\xB0\xA1"
                         "h\xB0\xA1"},
                        {"a single Roman byte", "z"},
                        {"0x7F and a DEL-free run", "\x7F\x7F"}};
  for (const auto& sw : {mojiwa_test::Switches{}, mojiwa_test::Switches{false, true, false}}) {
    ExpectBlocksAsSteps(Conv::kE2J, sw, spots, "\xB0\xA1");
    ExpectBlocksAsSteps(Conv::kE2S, sw, spots, "\xB0\xA1");
  }
}

TEST(BlockAlignmentTest, ShiftJisSources) {
  const Spot spots[] = {{"half-width katakana with a mark", "\xB6\xDE\xB1"},
                        {"a lone lead", "\x88"},
                        {"a lead before a byte of no trail", "\x88\x7F"},
                        {"CR LF", "\r\n"},
                        {"bytes of no code", "\x80\xA0\xFD"},
                        {"changes of set on every character",
                         "a\x88\x9F"
                         "b\x88\x9F"
                         "c\x88\x9F"
                         "d\x88\x9F"
                         "e\x88\x9F"
                         "f\x88\x9F"
                         "g\x88\x9F"
                         "h\x88\x9F"},
                        {"a trail of 0x9F and above", "\x81\x9F\xEF\xFC"},
                        {"a lead of 0xE0 to 0xEF", "\xE0\x40"}};
  ExpectBlocksAsSteps(Conv::kS2E, {}, spots, "\x88\x9F");
  for (const auto& sw : {mojiwa_test::Switches{}, mojiwa_test::Switches{false, false, true}}) {
    ExpectBlocksAsSteps(Conv::kS2J, sw, spots, "\x88\x9F");
  }
}

}  // namespace
