// The block converters and the copy routines on the rules that the differential tests and the
// room sweep do not reach, and where a call stops for room, in one table.
#include <algorithm>

#include "support/ConvertSupport.h"

namespace {

using K = CKanji;
using mojiwa_test::Hex;
using mojiwa_test::kToAscii;
using mojiwa_test::kToKanji;
using mojiwa_test::Switches;

// The six converters in the order of Conv, then the two copy routines.
enum Op { J2E, J2S, E2J, E2S, S2E, S2J, Flush, Strcpy };
constexpr K::ESHIFT A = K::ESHIFT_ASCII, Kj = K::ESHIFT_KANJI, Kn = K::ESHIFT_KANA,
                    Inv = K::ESHIFT_INVALID, NoSet = K::ESHIFT_NONE;
const Switches kToZen{true, false, false}, kCrLf{false, true, false}, kKeep{false, false, true};
const std::string SI = "\x0F", SO = "\x0E";

struct Row {
  const char* what;
  Op op;
  std::string in, out;  // out: what is written before the NUL
  K::ESHIFT start = A, end = A;
  Switches sw = {};
  long room = -1;  // -1: no room pointer
  bool done = true, nul = true;
};

TEST(ConvertTest, EachRuleAndRoomCase) {
  const Row rows[] = {
      {"S2J: wa takes no voiced mark", S2J, "\xDC\xDE", kToKanji + "%o!+", A, Kj},
      {"S2J: kana set to kanji set", S2J, "\xB1", SO + kToKanji + "%\"", Kn, Kj},
      {"S2J: CR LF leaves the kanji set", S2J, "\r\n", kToAscii + "\r\n", Kj, A},
      {"S2J: LF LF leaves the kana set", S2J, "\n\n", SO + "\n\n", Kn, A},
      {"S2J: a line end in no set", S2J, "\n", "\n", NoSet, A},
      {"S2J: no set yet, a letter", S2J, "A", kToAscii + "A", NoSet, A},
      {"S2J: lead before the NUL", S2J, "A\x88", "A\x88"},
      {"S2J keep: bit 7 off, but 0x80 kept", S2J, "\x80\xA0\xFD", "\x80\x20\x7D", A, A, kKeep},
      {"E2J crlf: CR after the escape", E2J, "\xB0\xA1\n", kToKanji + "0!" + kToAscii + "\r\n", A,
       A, kCrLf},
      {"E2J: 0x8E alone, then a pair", E2J, "\x8E\xB1\xB2", "\x8E" + kToKanji + "12", A, Kj},
      {"E2J: ESC ( B leaves the kana set", E2J, "a", kToAscii + "a", Kn, A},
      {"E2S crlf: a CR of the text stays", E2S, "a\r\n", "a\r\r\n", A, A, kCrLf},
      {"S2E: katakana, CR dropped", S2E, "\xB1\r\n", "\xA5\xA2\n"},
      {"S2E: semi-voiced mark merges", S2E, "\xCA\xDF", "\xA5\xD1"},
      {"S2E: u and voiced mark give vu", S2E, "\xB3\xDE", "\xA5\xF4"},
      {"S2E: a takes no voiced mark", S2E, "\xB1\xDE", "\xA5\xA2\xA1\xAB"},
      {"S2E: trail 0x7F, lead 0xF0", S2E, "\x81\x7F\xF0@", "\x81\x7F\xF0@"},
      // Long enough for the block path as well as the byte path.
      {"S2E: bytes of no code are copied", S2E, "\x80\xA0\xFD\xFE\xFF\x80\xA0\xFD\xFE\xFF" + SI,
       "\x80\xA0\xFD\xFE\xFF\x80\xA0\xFD\xFE\xFF" + SI},
      {"E2S: 0x80, 0xA0, 0xFF, SS2 and SS3 start no pair", E2S,
       "ab\x80\xB0\xA1\xA0\xB0\xA1\xFF\xB0\xA1\x8E\xB1\xB2\x8F\xB0\xA1",
       "ab\x80\x88\x9F\xA0\x88\x9F\xFF\x88\x9F\x8E\x89Q\x8F\x88\x9F"},
      {"J2E: LF keeps the kanji set, CR dropped", J2E, kToKanji + "0!\n0!\r0!",
       "\xB0\xA1\n\xB0\xA1\xB0\xA1", A, Kj},
      {"J2E: SI and SO", J2E, SI + "1" + SO, "\xA5\xA2"},
      {"J2E: 7-bit mark stands alone", J2E, "\x1B(I6^", "\xA5\xAB\xA1\xAB", A, Kn},
      {"J2E: 8-bit mark merges in the kana set", J2E, "\x1B(I6\xDE", "\xA5\xAC", A, Kn},
      {"J2E: 8-bit katakana in the Roman set", J2E, "\xB6\xDE", "\xA5\xAC"},
      {"J2E: no record in the kana set", J2E, " \x60\xE0", " \x60\xE0", Kn, Kn},
      {"J2E: lone kanji byte before the NUL", J2E, "0", "0", Kj, Kj},
      {"J2E: ESC $ ( D and ESC & @", J2E, "\x1B$(D0!\x1B(B\x1B&@0!", "\xB0\xA1\xB0\xA1", A, Kj},
      {"J2E: SI in the kanji set", J2E, SI + "1", "\xA5\xA2", Kj, Kn},
      {"J2E: unknown escape reads as Roman", J2E, "\x1B(Za\xB1", "a\xA5\xA2", Kj, Inv},
      {"J2S: the second escape counts", J2S, kToAscii + kToKanji + "0!", "\x88\x9F", A, Kj},
      {"J2S: CR LF stay in the kanji set", J2S, "0!\r\n0!", "\x88\x9F\r\n\x88\x9F", Kj, Kj},
      {"J2S: 7-bit kana become 0xA1..0xDF", J2S, "1^" + SO, "\xB1\xDE", Kn, A},
      {"J2S: 8-bit kana, no record: kept", J2S, "\xB1 \x60", "\xB1 \x60", Kn, Kn},
      {"J2S flag: 8-bit mark merges", J2S, "6\xDE", "\x83K", Kn, Kn, kToZen},
      {"J2S flag: 7-bit mark alone", J2S, "6^", "\x83J\x81J", Kn, Kn, kToZen},
      {"J2S: lone kanji byte before the NUL", J2S, "0", "0", Kj, Kj},
      // The arithmetic on 0x01 0xE0 gives a NUL that ended the text inside itself.
      {"J2S: a pair that is no JIS pair is copied", J2S,
       "\x01\xE0"
       "0!",
       "\x01\xE0\x88\x9F", Kj, Kj},
      // Room 0 gets not even a NUL; a step (an escape too) is written whole or not at all.
      {"S2E room 0", S2E, "ab", "", A, A, {}, 0, false, false},
      {"Strcpy room 3", Strcpy, "abc", "ab", A, A, {}, 3, false},
      {"Strcpy room 0", Strcpy, "abc", "", A, A, {}, 0, false, false},
      {"Strcpy without room", Strcpy, "abc", "abc"},
      {"Flush in the Roman set", Flush, "", "", A, A, {}, 10, true, false},
      {"Flush room 4", Flush, "", kToAscii, Kn, A, {}, 4},
      {"Flush room 3", Flush, "", "", Kn, Kn, {}, 3, false},
      {"Flush room 0", Flush, "", "", Kj, Kj, {}, 0, false, false},
      {"Flush without room", Flush, "", kToAscii, Kj, A},
  };
  constexpr char kGuard = '\x7F';
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const auto src = mojiwa_test::Exact(row.in);
    char out[48];
    std::fill(out, out + sizeof out, kGuard);
    const char* from = src.get();
    char* to = out;
    unsigned long room = static_cast<unsigned long>(std::max(row.room, 0L));
    unsigned long* const pdw = row.room < 0 ? nullptr : &room;
    K::ESHIFT shift = row.start;
    bool done = false;
    if (row.op == Flush) {
      done = K::FlushXXX2jis(shift, to, pdw);
    } else if (row.op == Strcpy) {
      from = K::StrcpyUpdate(to, from, pdw);
      done = *from == '\0';
      EXPECT_EQ(from, src.get() + row.out.size());
    } else {
      done = mojiwa_test::CallConv(static_cast<mojiwa_test::Conv>(row.op), from, to, row.sw, pdw,
                                   &shift);
    }
    EXPECT_EQ(Hex(std::string(out, to)), Hex(row.out));
    EXPECT_EQ(done, row.done);
    EXPECT_EQ(shift, row.end);
    std::string tail(out + sizeof out - to, kGuard);  // the NUL, then nothing written
    if (row.nul) tail[0] = '\0';
    EXPECT_EQ(Hex(std::string(to, out + sizeof out)), Hex(tail));
    if (done) {
      EXPECT_EQ(from, src.get() + row.in.size());
    }
    if (pdw != nullptr) {
      EXPECT_EQ(room, static_cast<unsigned long>(row.room - (to - out)));
    }
  }
}

}  // namespace
