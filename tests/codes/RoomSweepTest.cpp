// The room contract as a property. Each block converter runs as the string object runs it: from
// a small room, growing by a fixed step after every false and calling again with the source
// position and shift state it left, then flushing a JIS text the same way. For every starting
// room from 1 to a few bytes past the converter's bound and several steps, the bytes must be
// those of one call without a limit; after every call the room must have fallen by exactly what
// was written, a NUL must stand at the write position, nothing may be written past the room, and
// a false must mean that less room is left than one step may take.
#include <random>
#include <string>
#include <vector>

#include "support/ConvertSupport.h"

namespace {

using mojiwa_test::Conv;
using mojiwa_test::Hex;
using mojiwa_test::Switches;

constexpr unsigned char kGuard = 0xEE;

struct SweepCase {
  std::string what;
  Conv conv;
  Switches sw;
  std::string input;
  CKanji::ESHIFT start = CKanji::ESHIFT_ASCII;
};

// One run from `room`, growing by `step`; reports every broken rule and returns the text.
std::string Resume(const SweepCase& c, unsigned long room, unsigned long step,
                   CKanji::ESHIFT& shift) {
  const unsigned long bound = mojiwa_test::Info(c.conv).bound;
  std::vector<unsigned char> buffer(c.input.size() * 5 + room + bound + step + 64, kGuard);
  char* const begin = reinterpret_cast<char*>(buffer.data());
  const char* src = c.input.c_str();
  char* dst = begin;
  shift = c.start;
  for (bool flushing = false;;) {
    const char* const src_before = src;
    char* const dst_before = dst;
    const unsigned long room_before = room;
    const bool done = flushing ? CKanji::FlushXXX2jis(shift, dst, &room)
                               : mojiwa_test::CallConv(c.conv, src, dst, c.sw, &room, &shift);
    if (static_cast<unsigned long>(dst - dst_before) != room_before - room || *dst != '\0') {
      ADD_FAILURE() << "room " << room_before << " fell by " << room_before - room << " for "
                    << dst - dst_before << " bytes, NUL " << (*dst == '\0');
      break;
    }
    const unsigned char* past = reinterpret_cast<unsigned char*>(dst_before + room_before);
    if (std::vector<unsigned char>(past, past + 16) != std::vector<unsigned char>(16, kGuard)) {
      ADD_FAILURE() << "wrote past a room of " << room_before;
      break;
    }
    if (!flushing && (done != (*src == '\0') || (!done && room >= bound) ||
                      (room_before >= bound && src == src_before && !done))) {
      ADD_FAILURE() << "stopped with room " << room << " of bound " << bound << ", done " << done;
      break;
    }
    if (done && (flushing || !mojiwa_test::WritesJis(c.conv))) break;
    if (done) {
      flushing = true;  // with the room that is left first
    } else {
      room += step;
    }
  }
  return std::string(begin, dst);
}

void Sweep(const SweepCase& c) {
  SCOPED_TRACE(std::string(mojiwa_test::Info(c.conv).name) + ": " + c.what);
  const mojiwa_test::Converted want = mojiwa_test::Convert(c.conv, c.input, c.sw, c.start, true);
  for (unsigned long step : {1UL, 2UL, 5UL, 61UL}) {
    for (unsigned long room = 1; room <= mojiwa_test::Info(c.conv).bound + 4; ++room) {
      CKanji::ESHIFT shift;
      const std::string got = Resume(c, room, step, shift);
      std::size_t i = 0;
      while (i < got.size() && i < want.text.size() && got[i] == want.text[i]) ++i;
      ASSERT_TRUE(got == want.text)
          << "room " << room << ", step " << step << ": byte " << i << ": "
          << Hex(got.substr(i, 12)) << " instead of " << Hex(want.text.substr(i, 12));
      if (mojiwa_test::HasShift(c.conv)) {
        ASSERT_EQ(shift, want.shift);
      }
    }
  }
}

// Each converter with each of its switches.
void SweepAll(const std::string& what, const std::string (&text)[3],
              CKanji::ESHIFT start = CKanji::ESHIFT_ASCII) {
  for (Conv conv : mojiwa_test::kAllConv) {
    if (start != CKanji::ESHIFT_ASCII && !mojiwa_test::HasShift(conv)) continue;
    const std::string& input = text[mojiwa_test::Info(conv).from];
    Sweep({what, conv, Switches{}, input, start});
    if (conv == Conv::kJ2S || conv == Conv::kS2J)
      Sweep({what, conv, {true, false, false}, input, start});
    if (conv == Conv::kE2J || conv == Conv::kE2S)
      Sweep({what, conv, {false, true, false}, input, start});
    if (conv == Conv::kS2J) Sweep({what, conv, {false, false, true}, input, start});
  }
}

// Whole lines from a little after `from`, about `size` bytes.
std::string Lines(const std::string& text, std::size_t from, std::size_t size, bool crlf) {
  const std::size_t begin = text.find('\n', from) + 1;
  std::string out;
  for (char c : text.substr(begin, text.find('\n', begin + size) + 1 - begin)) {
    if (c == '\n' && crlf) out += '\r';
    out += c;
  }
  return out;
}

// Kanji runs, half-width katakana with their sound marks, escapes and shift codes, ASCII runs
// that cross the room boundary, and the same lines with CR LF. The files hold the same lines in
// every code.
TEST(RoomSweepTest, CorpusSlices) {
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  const char* const names[] = {"euc", "sjis", "jis"};  // by EMODE
  std::string main[3], half[3], crlf[3];
  for (int code = 0; code < 3; ++code) {
    const std::string ja = mojiwa_test::ReadFile(
        mojiwa_test::SharedPath(std::string("corpus/ja-") + names[code] + ".txt"));
    const std::string hw = mojiwa_test::ReadFile(
        mojiwa_test::SharedPath(std::string("corpus/hw-") + names[code] + ".txt"));
    ASSERT_TRUE(ja.size() > 1000000 && hw.size() > 1000000);
    main[code] = Lines(ja, ja.size() / 3, 2000, false);
    half[code] = Lines(hw, hw.size() / 2, 1500, false);
    crlf[code] = Lines(ja, 1000, 1200, true);
  }
  SweepAll("main text", main);
  SweepAll("half-width katakana", half);
  SweepAll("CR LF", crlf);
}

// Bytes at random, weighted towards those that steer the converters, so that every kind of
// step meets every lane of a block and the room boundary.
TEST(RoomSweepTest, RandomBytes) {
  const std::string steering = "\n\r\x0E\x0F\x1B$(&BI@D^_\x7F\x80\xA0\xDE\xDF\xFF";
  std::mt19937 random(20261206);
  for (int text = 0; text < 6; ++text) {
    std::string bytes;
    for (int i = 0; i < 300; ++i) {
      const unsigned pick = random() % 8;
      if (pick == 0) {
        bytes += steering[random() % steering.size()];
      } else {
        const unsigned base = pick <= 2 ? 0x21 : pick <= 4 ? 0x81 : 0xA1;  // JIS, leads, EUC
        bytes += static_cast<char>(base + random() % (pick <= 4 && pick > 2 ? 0x1F : 0x5E));
      }
    }
    const std::string same[3] = {bytes, bytes, bytes};
    SweepAll("random " + std::to_string(text), same);
  }
}

// Short inputs that end on an edge, from each starting state.
TEST(RoomSweepTest, Edges) {
  const std::string edges[] = {
      "",
      "\x88",
      "ab\x88\x9F\xB0",
      "\xB6\xDE\xB6",
      "\xCA\xDF\xDF\xDE",
      "\r\n\r\n\n\r\r",
      "\x1B",
      "a\x1B$",
      "\x1B$B0!0",
      "\x1B(I6^\xB6\xDE\x0E\x0F"
      "1",
      "\x1B(Za\x1B$(D0!\x1B&@!!",
      "\x8E\xB1\xB2\x8F\xA1\xA1\xA1",
      "\x80\xA0\xFD\xFF\x7F",
      // The output ends early inside a block: the block must not store its whole width.
      "abcdefgh\r\r\r\r\r\r\r\r\r\r",
      "\x1B$B0!0!0!0!\x1B(B\x1B(B\x1B(B\x1B(B",
  };
  for (CKanji::ESHIFT start : {CKanji::ESHIFT_ASCII, CKanji::ESHIFT_KANJI, CKanji::ESHIFT_KANA}) {
    for (const std::string& edge : edges) {
      const std::string same[3] = {edge, edge, edge};
      SweepAll(Hex(edge), same, start);
    }
  }
}

}  // namespace
