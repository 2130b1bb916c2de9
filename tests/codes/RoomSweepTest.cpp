// The room contract: each block converter run as the string object runs it (small room, grow
// after every false, resume, flush) from every room up to a few bytes past its bound must give
// the one-shot bytes, and every call must keep the contract.
#include <vector>

#include "support/ConvertSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Conv;
using mojiwa_test::Info;

// One run from `room`, growing by `step`: each call lowers the room by what it wrote, leaves a
// NUL, writes nothing past the room, and returns false only when less than a step's room is left.
std::string Resume(Conv conv, const mojiwa_test::Switches& sw, const std::string& input,
                   unsigned long room, unsigned long step, K::ESHIFT& shift) {
  constexpr char kGuard = '\xEE';
  const unsigned long bound = Info(conv).bound;
  std::vector<char> buffer(input.size() * 5 + room + bound + step + 64, kGuard);
  const auto exact = mojiwa_test::Exact(input);  // a read past the NUL is a heap overflow
  const char* src = exact.get();
  char* dst = buffer.data();
  K::ESHIFT flushed = K::ESHIFT_ASCII;
  for (bool flushing = false;;) {
    const char* const src_before = src;
    char* const dst_before = dst;
    const unsigned long room_before = room;
    const bool done = flushing ? K::FlushXXX2jis(flushed, dst, &room)
                               : mojiwa_test::CallConv(conv, src, dst, sw, &room, &shift);
    const bool kept = static_cast<unsigned long>(dst - dst_before) == room_before - room &&
                      *dst == '\0' &&
                      std::string(dst_before + room_before, 16) == std::string(16, kGuard);
    const bool stop_ok = flushing || (done == (*src == '\0') && (done || room < bound) &&
                                      (done || room_before < bound || src != src_before));
    if (!kept || !stop_ok) {
      ADD_FAILURE() << "room " << room_before << " -> " << room << " for " << dst - dst_before
                    << " bytes, done " << done << (kept ? "" : ": no NUL or wrote past the room");
      break;
    }
    if (done && (flushing || Info(conv).to != K::EMODE_JIS)) break;
    if (!flushing) flushed = shift;
    flushing = flushing || done;  // with the room that is left first
    if (!done) room += step;
  }
  return std::string(buffer.data(), dst);
}

// Each converter with each of its switches, on the text in its input code, from `start`.
void SweepAll(const std::string& what, const std::string (&text)[3], K::ESHIFT start) {
  const mojiwa_test::Switches none, zen{true, false, false}, crlf{false, true, false},
      keep{false, false, true};
  const std::pair<Conv, mojiwa_test::Switches> runs[] = {
      {Conv::kJ2E, none}, {Conv::kJ2S, none}, {Conv::kJ2S, zen},
      {Conv::kE2J, none}, {Conv::kE2J, crlf}, {Conv::kE2S, crlf},
      {Conv::kS2E, none}, {Conv::kS2J, none}, {Conv::kS2J, keep}};
  for (const auto& run : runs) {
    SCOPED_TRACE(std::string(Info(run.first).name) + ": " + what);
    const std::string& input = text[Info(run.first).from];
    K::ESHIFT want_shift = start;
    const std::string want = mojiwa_test::Convert(run.first, input, run.second, want_shift);
    ASSERT_EQ(want.find('\0'), std::string::npos) << "a NUL inside the text";
    for (unsigned long step : {1UL, 2UL, 61UL}) {
      for (unsigned long room = 1; room <= Info(run.first).bound + 4; ++room) {
        K::ESHIFT shift = start;
        const std::string got = Resume(run.first, run.second, input, room, step, shift);
        ASSERT_EQ(mojiwa_test::FirstDifference(got, want), "") << room << " step " << step;
        ASSERT_EQ(shift, want_shift) << "room " << room << " step " << step;
      }
    }
  }
}

std::string Repeat(const std::string& piece, int times) {
  std::string text;
  while (times-- > 0) text += piece;
  return text;
}

// Kanji runs, half-width katakana with their sound marks, escapes and shift codes, and ASCII runs
// that cross the room boundary, with LF and with CR LF; then short texts that end on an edge.
TEST(RoomSweepTest, CorpusSlicesAndEdges) {
  const std::string edges[] = {
      "ab\x88\x9F\xB0", "\xCA\xDF\xDF\xDE\xB6", "\r\n\r\n\n\r\r", "a\x1B$", "\x1B$B0!0",
      "\x1B(I6^\xB6\xDE\x0E\x0F"
      "1",
      "\x1B(Za\x1B$(D0!\x1B&@!!", "\x8E\xB1\xB2\x8F\xA1\xA1\xA1\x80\xA0\xFD\xFF\x7F",
      // The output ends early inside a block: the block must not store its whole width.
      "abcdefgh\r\r\r\r\r\r\r\r\r\r", "\x1B$B0!0!0!0!\x1B(B\x1B(B\x1B(B\x1B(B", "0!\x1B(",
      // ... and so must a 64-byte block, which also squeezes out escape sequences.
      "abcdefgh" + std::string(64, '\r'), "a" + Repeat("\x1B$B\x1B(B", 12)};
  for (K::ESHIFT start : {K::ESHIFT_ASCII, K::ESHIFT_KANJI, K::ESHIFT_KANA}) {
    for (const std::string& edge : edges)
      SweepAll(mojiwa_test::Hex(edge), {edge, edge, edge}, start);
    // A lead byte alone before the NUL must not take the terminator for its second byte.
    for (int b = 0x80; b <= 0xFF; ++b) {
      const std::string lone(1, static_cast<char>(b));
      SweepAll(mojiwa_test::Hex(lone), {"\xB0\xA1" + lone, "\x88\x9F" + lone, "0!" + lone}, start);
    }
  }
  // Any two bytes in the kanji set (line ends and shifts left out, so that each step takes two):
  // the Shift_JIS arithmetic on bytes that are no JIS pair once gave a NUL (0x30 0x82).
  std::string pairs = "\x1B$B";
  for (int first = 0x01; first <= 0xFF; ++first) {
    for (int second : {0x01, 0x20, 0x7F, 0x80, 0x82, 0x83, 0xA0, 0xE0, 0xE1, 0xFF}) {
      if (std::string("\n\r\x0E\x0F\x1B").find(static_cast<char>(first)) == std::string::npos)
        pairs += {static_cast<char>(first), static_cast<char>(second)};
    }
  }
  SweepAll("pairs of any bytes", {pairs, pairs, pairs}, K::ESHIFT_ASCII);
  if (!mojiwa_test::HaveShared()) GTEST_SKIP() << "no corpus";
  const char* const names[] = {"euc", "sjis", "jis"};  // by EMODE
  std::string main[3], half[3], crlf[3];
  for (int code = 0; code < 3; ++code) {
    const std::string path = mojiwa_test::SharedPath("corpus/");
    const std::string ja = mojiwa_test::ReadFile(path + "ja-" + names[code] + ".txt");
    const std::string hw = mojiwa_test::ReadFile(path + "hw-" + names[code] + ".txt");
    main[code] = ja.substr(ja.size() / 3, 2000);
    half[code] = hw.substr(hw.size() / 2, 1500);
    for (char c : ja.substr(1000, 1200)) crlf[code] += c == '\n' ? "\r\n" : std::string(1, c);
  }
  SweepAll("main text", main, K::ESHIFT_ASCII);
  SweepAll("half-width katakana", half, K::ESHIFT_ASCII);
  SweepAll("CR LF", crlf, K::ESHIFT_ASCII);
}

}  // namespace
