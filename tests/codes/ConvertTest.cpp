// The code converters on chosen bytes: the copy routines, every rule of the block converters
// that the differential tests do not reach (one table), where a converter stops for room, and
// what may stand before a terminator.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "support/ConvertSupport.h"
#include "support/DetectSupport.h"

namespace {

using mojiwa_test::Conv;
using mojiwa_test::Hex;
using mojiwa_test::kSi;
using mojiwa_test::kSo;
using mojiwa_test::kToAscii;
using mojiwa_test::kToKanji;
using mojiwa_test::Switches;

constexpr Conv J2E = Conv::kJ2E, J2S = Conv::kJ2S, E2J = Conv::kE2J, E2S = Conv::kE2S,
               S2E = Conv::kS2E, S2J = Conv::kS2J;
constexpr CKanji::ESHIFT Ascii = CKanji::ESHIFT_ASCII, Kanji = CKanji::ESHIFT_KANJI,
                         Kana = CKanji::ESHIFT_KANA, Invalid = CKanji::ESHIFT_INVALID,
                         NoSet = CKanji::ESHIFT_NONE;
const Switches kPlain{}, kToZen{true, false, false}, kCrLf{false, true, false},
    kKeep{false, false, true};
constexpr char kGuard = '\x7F';
constexpr long kNoRoom = -1;

TEST(StrcpyUpdateTest, CopiesWhatFitsAndKeepsTheCount) {
  struct Row {
    const char* what;
    long room;
    std::string copied;
    bool nul;
    long room_after;
  } const rows[] = {
      {"room 3: two bytes and the NUL", 3, "ab", true, 1},
      {"room 0: nothing, not even a NUL", 0, "", false, 0},
      {"room 1: only the NUL", 1, "", true, 1},
      {"exact room", 4, "abc", true, 1},
      {"no room pointer", kNoRoom, "abc", true, kNoRoom},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string text = "abc";
    char out[8];
    std::fill(out, out + sizeof out, kGuard);
    unsigned long room = static_cast<unsigned long>(std::max(row.room, 0L));
    char* dst = out;
    const char* next = CKanji::StrcpyUpdate(dst, text.c_str(), row.room < 0 ? nullptr : &room);
    EXPECT_EQ(next, text.c_str() + row.copied.size());
    EXPECT_EQ(std::string(out, dst), row.copied);
    EXPECT_EQ(out[row.copied.size()], row.nul ? '\0' : kGuard);
    EXPECT_EQ(out[row.copied.size() + 1], kGuard);
    if (row.room >= 0) {
      EXPECT_EQ(static_cast<long>(room), row.room_after);
    }
  }
}

TEST(FlushTest, ReturnsToTheRomanSetWholeOrNotAtAll) {
  struct Row {
    const char* what;
    CKanji::ESHIFT shift;
    long room;
    bool result;
    std::string written;
    bool nul;
    long room_after;
    CKanji::ESHIFT shift_after;
  } const rows[] = {
      {"Roman set: nothing, not even a NUL", Ascii, 10, true, "", false, 10, Ascii},
      {"kana set, room 4", Kana, 4, true, kToAscii, true, 1, Ascii},
      {"kana set, room 3: only a NUL", Kana, 3, false, "", true, 3, Kana},
      {"kanji set, room 0: nothing", Kanji, 0, false, "", false, 0, Kanji},
      {"kanji set, no room pointer", Kanji, kNoRoom, true, kToAscii, true, kNoRoom, Ascii},
      {"no set yet", NoSet, 8, true, kToAscii, true, 5, Ascii},
      {"after an unknown escape", Invalid, 8, true, kToAscii, true, 5, Ascii},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    char out[8];
    std::fill(out, out + sizeof out, kGuard);
    unsigned long room = static_cast<unsigned long>(std::max(row.room, 0L));
    CKanji::ESHIFT shift = row.shift;
    char* dst = out;
    EXPECT_EQ(CKanji::FlushXXX2jis(shift, dst, row.room < 0 ? nullptr : &room), row.result);
    EXPECT_EQ(std::string(out, dst), row.written);
    EXPECT_EQ(out[row.written.size()], row.nul ? '\0' : kGuard);
    EXPECT_EQ(out[row.written.size() + 1], kGuard);
    EXPECT_EQ(shift, row.shift_after);
    if (row.room >= 0) {
      EXPECT_EQ(static_cast<long>(room), row.room_after);
    }
  }
}

struct RuleRow {
  const char* what;
  Conv conv;
  Switches sw;
  CKanji::ESHIFT start;
  std::string in, out;
  CKanji::ESHIFT end;  // for the converters with a shift state
};

// Rules the corpus and the all-cell files do not reach: line ends, half-width katakana and
// their sound marks, shift codes, unknown and cut-off escapes, stray bytes, starting states.
const std::vector<RuleRow>& RuleRows() {
  static const std::vector<RuleRow> rows = {
      {"S2J ends in the kanji set", S2J, kPlain, Ascii, "A\x88\x9F", "A" + kToKanji + "0!", Kanji},
      {"S2J keep: SO from kana to Roman", S2J, kKeep, Ascii,
       "\xB1"
       "A",
       kSi + "1" + kSo + "A", Ascii},
      {"S2J keep: no merging in the kana set", S2J, kKeep, Ascii, "\xB6\xDE", kSi + "6^", Kana},
      {"S2J: voiced mark merges", S2J, kPlain, Ascii, "\xB6\xDE", kToKanji + "%,", Kanji},
      {"S2J: semi-voiced mark merges", S2J, kPlain, Ascii, "\xCA\xDF", kToKanji + "%Q", Kanji},
      {"S2J: wa takes no voiced mark", S2J, kPlain, Ascii, "\xDC\xDE", kToKanji + "%o!+", Kanji},
      {"S2J: two katakana, one escape", S2J, kPlain, Ascii, "\xB1\xB2", kToKanji + "%\"%$", Kanji},
      {"S2J: flag 1 changes nothing", S2J, kToZen, Ascii, "\xB1", kToKanji + "%\"", Kanji},
      {"S2J: kana set to kanji set", S2J, kPlain, Kana, "\xB1", kSo + kToKanji + "%\"", Kanji},
      {"S2J: CR LF leaves the kanji set", S2J, kPlain, Kanji, "\r\n", kToAscii + "\r\n", Ascii},
      {"S2J: LF LF leaves the kana set", S2J, kPlain, Kana, "\n\n", kSo + "\n\n", Ascii},
      {"S2J: a line end in no set", S2J, kPlain, NoSet, "\n", "\n", Ascii},
      {"S2J: no set yet, a letter", S2J, kPlain, NoSet, "A", kToAscii + "A", Ascii},
      {"S2J: invalid state, a kanji", S2J, kPlain, Invalid, "\x88\x9F", kToKanji + "0!", Kanji},
      {"S2J: lead before the NUL", S2J, kPlain, Ascii, "A\x88", "A\x88", Ascii},
      {"S2J: lead before an unfit byte", S2J, kPlain, Ascii, "\x88 ", "\x88 ", Ascii},
      {"S2J: stray bytes", S2J, kPlain, Ascii, "\x80\xA0\xFD", "\x80\xA0\xFD", Ascii},
      // With keep, 0x80 keeps bit 7: clearing it would put a NUL inside the text.
      {"S2J keep: stray bytes", S2J, kKeep, Ascii, "\x80\xA0\xFD", "\x80\x20\x7D", Ascii},
      {"E2J crlf: CR after the escape", E2J, kCrLf, Ascii, "\xB0\xA1\n",
       kToKanji + "0!" + kToAscii + "\r\n", Ascii},
      {"E2J: ends in the kanji set", E2J, kPlain, Ascii, "\xB0\xA1", kToKanji + "0!", Kanji},
      {"E2J: 0x8E alone, then a pair", E2J, kPlain, Ascii, "\x8E\xB1\xB2", "\x8E" + kToKanji + "12",
       Kanji},
      {"E2J: lead before the NUL", E2J, kPlain, Ascii, "\xB0", "\xB0", Ascii},
      {"E2J: no set yet", E2J, kPlain, NoSet, "a", kToAscii + "a", Ascii},
      {"E2J: ESC ( B leaves the kana set", E2J, kPlain, Kana, "a", kToAscii + "a", Ascii},
      {"E2S crlf: CR before LF", E2S, kCrLf, Ascii, "a\n", "a\r\n", Ascii},
      {"E2S crlf: a CR of the text stays", E2S, kCrLf, Ascii, "a\r\n", "a\r\r\n", Ascii},
      {"E2S: lead before the NUL", E2S, kPlain, Ascii, "\xB0", "\xB0", Ascii},
      {"E2S: 0x8E alone, then a pair", E2S, kPlain, Ascii, "\x8E\xB1\xB2", "\x8E\x89Q", Ascii},
      {"E2S: 0x8F alone, then a pair", E2S, kPlain, Ascii, "\x8F\xA1\xA1", "\x8F\x81@", Ascii},
      {"S2E: katakana, CR dropped", S2E, kPlain, Ascii, "\xB1\r\n", "\xA5\xA2\n", Ascii},
      {"S2E: voiced mark merges", S2E, kPlain, Ascii, "\xB6\xDE", "\xA5\xAC", Ascii},
      {"S2E: semi-voiced mark merges", S2E, kPlain, Ascii, "\xCA\xDF", "\xA5\xD1", Ascii},
      {"S2E: u and voiced mark give vu", S2E, kPlain, Ascii, "\xB3\xDE", "\xA5\xF4", Ascii},
      {"S2E: a takes no voiced mark", S2E, kPlain, Ascii, "\xB1\xDE", "\xA5\xA2\xA1\xAB", Ascii},
      {"S2E: lead before the NUL", S2E, kPlain, Ascii, "\x88", "\x88", Ascii},
      {"S2E: trail 0x7F, lead 0xF0", S2E, kPlain, Ascii, "\x81\x7F\xF0@", "\x81\x7F\xF0@", Ascii},
      {"J2E: LF keeps the kanji set, CR dropped", J2E, kPlain, Ascii, kToKanji + "0!\n0!\r0!",
       "\xB0\xA1\n\xB0\xA1\xB0\xA1", Kanji},
      {"J2E: SI and SO", J2E, kPlain, Ascii, kSi + "1" + kSo, "\xA5\xA2", Ascii},
      {"J2E: 7-bit mark stands alone", J2E, kPlain, Ascii, "\x1B(I6^", "\xA5\xAB\xA1\xAB", Kana},
      {"J2E: 8-bit mark merges in the kana set", J2E, kPlain, Ascii, "\x1B(I6\xDE", "\xA5\xAC",
       Kana},
      {"J2E: 8-bit katakana in the Roman set", J2E, kPlain, Ascii, "\xB6\xDE", "\xA5\xAC", Ascii},
      {"J2E: no record in the kana set", J2E, kPlain, Kana, " \x60\xE0", " \x60\xE0", Kana},
      {"J2E: other high bytes", J2E, kPlain, Ascii, "\xE0\x80", "\xE0\x80", Ascii},
      {"J2E: lone kanji byte before the NUL", J2E, kPlain, Kanji, "0", "0", Kanji},
      {"J2E: second byte not examined", J2E, kPlain, Kanji, "0\n", "\xB0\x8A", Kanji},
      {"J2E: ESC $ ( D and ESC & @", J2E, kPlain, Ascii, "\x1B$(D0!\x1B(B\x1B&@0!",
       "\xB0\xA1\xB0\xA1", Kanji},
      {"J2E: SI in the kanji set", J2E, kPlain, Kanji, kSi + "1", "\xA5\xA2", Kana},
      {"J2E: unknown escape reads as Roman", J2E, kPlain, Kanji, "\x1B(Za\xB1", "a\xA5\xA2",
       Invalid},
      {"J2E: ESC before the NUL", J2E, kPlain, Ascii, "a\x1B", "a", Invalid},
      {"J2E: ESC $ before the NUL", J2E, kPlain, Ascii, "\x1B$", "", Invalid},
      {"J2E: ESC $ ( before the NUL", J2E, kPlain, Ascii, "\x1B$(", "", Invalid},
      {"J2E: ESC ( before the NUL", J2E, kPlain, Kanji, "\x1B(", "", Invalid},
      {"J2E: ESC & before the NUL", J2E, kPlain, Ascii, "\x1B&", "", Invalid},
      {"J2S: two escapes write nothing", J2S, kPlain, Ascii, kToAscii + kToAscii, "", Ascii},
      {"J2S: the second escape counts", J2S, kPlain, Ascii, kToAscii + kToKanji + "0!", "\x88\x9F",
       Kanji},
      {"J2S: CR LF stay in the kanji set", J2S, kPlain, Kanji, "0!\r\n0!", "\x88\x9F\r\n\x88\x9F",
       Kanji},
      {"J2S: 7-bit kana become 0xA1..0xDF", J2S, kPlain, Kana, "1^" + kSo, "\xB1\xDE", Ascii},
      {"J2S: 8-bit kana, no record: kept", J2S, kPlain, Kana, "\xB1 \x60", "\xB1 \x60", Kana},
      {"J2S flag: 8-bit mark merges", J2S, kToZen, Kana, "6\xDE", "\x83K", Kana},
      {"J2S flag: 7-bit mark alone", J2S, kToZen, Kana, "6^", "\x83J\x81J", Kana},
      {"J2S flag: no record: kept", J2S, kToZen, Kana, " \xE0", " \xE0", Kana},
      {"J2S: 8-bit kana in the Roman set", J2S, kToZen, Ascii, "\xB1", "\xB1", Ascii},
      {"J2S: lone kanji byte before the NUL", J2S, kPlain, Kanji, "0", "0", Kanji},
      {"J2S: ESC $ ( before the NUL", J2S, kPlain, Kana, "\x1B$(", "", Invalid},
  };
  return rows;
}

TEST(BlockConvertTest, EachRule) {
  for (const RuleRow& row : RuleRows()) {
    SCOPED_TRACE(row.what);
    const mojiwa_test::Converted got = mojiwa_test::Convert(row.conv, row.in, row.sw, row.start);
    EXPECT_EQ(Hex(got.text), Hex(row.out));
    if (mojiwa_test::HasShift(row.conv)) {
      EXPECT_EQ(got.shift, row.end);
    }
  }
}

// In a heap block of their exact length the sanitizer build reports any read past the NUL.
TEST(BlockConvertTest, EveryConverterStopsOnTheTerminatorOfEveryRow) {
  for (const RuleRow& row : RuleRows()) {
    SCOPED_TRACE(row.what);
    for (Conv conv : mojiwa_test::kAllConv) {
      for (const Switches& sw : {kPlain, kToZen, kCrLf, kKeep}) {
        const std::unique_ptr<char[]> src = mojiwa_test::Exact(row.in);
        std::vector<char> out(row.in.size() * 5 + 16);
        const char* from = src.get();
        char* to = out.data();
        CKanji::ESHIFT shift = row.start;
        EXPECT_TRUE(mojiwa_test::CallConv(conv, from, to, sw, nullptr, &shift));
        EXPECT_EQ(from, src.get() + row.in.size()) << mojiwa_test::Info(conv).name;
      }
    }
  }
}

TEST(BlockConvertTest, StopsBeforeAStepThatMightNotFit) {
  struct Row {
    const char* what;
    Conv conv;
    std::string in;
    unsigned long room;
    std::string out;
    std::size_t consumed;
    unsigned long room_after;
  } const rows[] = {
      {"S2E room 3: one of two kanji", S2E, "\x88\x9F\x88\x9F", 3, "\xB0\xA1", 2, 1},
      {"S2E room 3: CR steps write nothing", S2E, "\r\r\x88\x9F", 3, "\xB0\xA1", 4, 1},
      {"S2J room 6: only the NUL", S2J, "a", 6, "", 0, 6},
      {"S2J room 12: steps after an escape", S2J,
       "\x88\x9F\x88\x9F"
       "ab",
       12, kToKanji + "0!0!", 4, 5},
      {"S2J room 12: CR LF is one step", S2J, "\x88\x9F\r\nab", 12,
       kToKanji + "0!" + kToAscii + "\r\n", 4, 2},
      {"S2J room 7: CR CR are two steps", S2J, "\r\r", 7, "\r", 1, 6},
      {"E2J room 6: escape and pair", E2J, "\xB0\xA1\xB0\xA1", 6, kToKanji + "0!", 2, 1},
      {"J2E room 2: only the NUL", J2E, "ab", 2, "", 0, 2},
      {"J2E room 3: an escape costs nothing", J2E, kToKanji + "0!0!", 3, "\xB0\xA1", 5, 1},
      {"E2S room 4: letters", E2S, "abcdef", 4, "ab", 2, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    char out[32];
    std::fill(out, out + sizeof out, kGuard);
    const char* src = row.in.c_str();
    char* dst = out;
    unsigned long room = row.room;
    CKanji::ESHIFT shift = Ascii;
    EXPECT_EQ(mojiwa_test::CallConv(row.conv, src, dst, kPlain, &room, &shift),
              row.consumed == row.in.size());
    EXPECT_EQ(Hex(std::string(out, dst)), Hex(row.out));
    EXPECT_EQ(*dst, '\0');
    EXPECT_EQ(static_cast<std::size_t>(src - row.in.c_str()), row.consumed);
    EXPECT_EQ(room, row.room_after);
    EXPECT_EQ(out[row.room], kGuard);
  }
}

// Room 0 breaks the caller's side of the contract: nothing is written, not even a NUL.
TEST(BlockConvertTest, RoomZeroWritesNothing) {
  for (Conv conv : mojiwa_test::kAllConv) {
    SCOPED_TRACE(mojiwa_test::Info(conv).name);
    char out[2] = {kGuard, kGuard};
    const char* src = "ab";
    char* dst = out;
    unsigned long room = 0;
    CKanji::ESHIFT shift = Ascii;
    EXPECT_FALSE(mojiwa_test::CallConv(conv, src, dst, kPlain, &room, &shift));
    EXPECT_EQ(out[0], kGuard);
    EXPECT_EQ(room, 0UL);
  }
}

}  // namespace
