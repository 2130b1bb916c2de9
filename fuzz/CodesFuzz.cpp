// Fuzz target `codes`: random bytes through CheckCode, CheckArea and the six block converters
// with every flag and starting shift state. Texts lie in heap blocks of exactly their length and
// NUL, so AddressSanitizer reports any read past the terminator. Properties:
//  - one unlimited call reads up to the terminator, NUL-terminates, and writes no NUL inside;
//  - resumed from random small rooms, every call keeps the room contract (nothing written past
//    the room, the room lowered by exactly what was written, a NUL at the write position, the
//    source never past its terminator, false only when less than a step's room is left) and the
//    pieces add up to the unlimited output and shift state;
//  - FlushXXX2jis keeps the same contract and ends in the Roman set;
//  - on valid text (ASCII, LF, every cell of the 94x94 grid; half-width katakana for the
//    Shift_JIS/JIS pair) the converters agree with this file's arithmetic and round trip.
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzSupport.h"

namespace {

using mojiwa_fuzz::Hex;

enum Conv { kJ2E, kJ2S, kE2J, kE2S, kS2E, kS2J, kConvs };
const char* const kName[kConvs] = {"CopyJ2E", "CopyJ2S", "CopyE2J",
                                   "CopyE2S", "CopyS2E", "CopyS2J"};
// The most one step writes, plus the NUL.
const unsigned long kBound[kConvs] = {3, 3, 6, 3, 3, 7};

// Flag bit 0 is bKanaToZen (J2S, S2J) or bCrLf (E2J, E2S); bit 1 is S2J's bKeepKana.
bool Call(int conv, const char*& src, char*& dst, int flags, unsigned long* room,
          CKanji::ESHIFT* shift) {
  const bool first = (flags & 1) != 0, second = (flags & 2) != 0;
  switch (conv) {
    case kJ2E: return CKanji::CopyJ2E(src, dst, room, shift);
    case kJ2S: return CKanji::CopyJ2S(src, dst, first, room, shift);
    case kE2J: return CKanji::CopyE2J(src, dst, first, room, shift);
    case kE2S: return CKanji::CopyE2S(src, dst, first, room);
    case kS2E: return CKanji::CopyS2E(src, dst, room);
    default: return CKanji::CopyS2J(src, dst, first, second, room, shift);
  }
}

std::unique_ptr<char[]> Exact(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

// `room` bytes with a guard behind them at the end of one heap block: a write past the room
// changes the guard, and one past the guard is a heap overflow.
struct Room {
  explicit Room(unsigned long most) : most(most), block(new char[most + 8]) {}
  char* Place(unsigned long room) {
    std::memset(block.get(), '\xEE', most + 8);
    return block.get() + most - room;
  }
  bool GuardIntact() const { return std::string(block.get() + most, 8) == std::string(8, '\xEE'); }
  unsigned long most;
  std::unique_ptr<char[]> block;
};

// Room sizes in [1, most]; xorshift, so that the seed taken from the input replays exactly.
struct Rooms {
  std::uint32_t state;
  unsigned long Next(unsigned long most) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return 1 + state % most;
  }
};

struct Output {
  std::string bytes;
  CKanji::ESHIFT shift;
};

// One call without a room (rooms null), or calls from random small rooms, each resumed with the
// source position and shift state the last one left, as the string object runs a converter.
Output Run(int conv, int flags, CKanji::ESHIFT start, const std::string& text, Rooms* rooms,
           const std::string& what) {
  const auto copy = Exact(text);
  const char* src = copy.get();
  const char* const end = src + text.size();
  const unsigned long most = rooms != nullptr ? kBound[conv] + 4 : 7 * text.size() + 1;
  Room out(most);
  Output result{std::string(), start};
  for (int calls = 0;; ++calls) {
    const unsigned long before = rooms != nullptr ? rooms->Next(most) : most;
    char* const begin = out.Place(before);
    char* dst = begin;
    unsigned long room = before;
    const char* const from = src;
    const bool done =
        Call(conv, src, dst, flags, rooms != nullptr ? &room : nullptr, &result.shift);
    const auto at = [&] {
      return what + " room " + std::to_string(before) + " from " +
             std::to_string(from - copy.get());
    };
    FUZZ_CHECK(out.GuardIntact() && src >= from && src <= end && done == (src == end), at());
    FUZZ_CHECK(*dst == '\0' && (rooms == nullptr || before - room == unsigned(dst - begin)), at());
    // A false only when a step no longer fits, and a step whenever one fits.
    FUZZ_CHECK(done || (room < kBound[conv] && (src != from || before < kBound[conv])), at());
    FUZZ_CHECK(calls < 100000, at());
    result.bytes.append(begin, dst);
    if (done) break;
  }
  // A NUL inside would end the converted text early for every reader of it.
  FUZZ_CHECK(result.bytes.find('\0') == std::string::npos, what + " wrote " + Hex(result.bytes));
  return result;
}

// FlushXXX2jis from small rooms: all or nothing, and nothing at all in the Roman set.
void Flush(CKanji::ESHIFT shift, Rooms& rooms, const std::string& what) {
  const CKanji::ESHIFT kAscii = CKanji::ESHIFT_ASCII;
  Room out(6);
  for (bool done = false; !done;) {
    const unsigned long before = rooms.Next(6);
    char* const begin = out.Place(before);
    char* dst = begin;
    unsigned long room = before;
    const CKanji::ESHIFT from = shift;
    done = CKanji::FlushXXX2jis(shift, dst, &room);
    const std::string written(begin, dst), at = what + " flush room " + std::to_string(before);
    FUZZ_CHECK(written == (done && from != kAscii ? "\x1B(B" : "") && out.GuardIntact(), at);
    FUZZ_CHECK(room == before - written.size() && shift == (done ? kAscii : from), at);
    FUZZ_CHECK(from == kAscii ? done : *dst == '\0' && (done || before < 4), at);
  }
}

// JIS row and cell to Shift_JIS: two rows share a lead byte (0x81..0x9F, then 0xE0..0xEF); odd
// rows take trail bytes 0x40..0x9E skipping 0x7F, even rows 0x9F..0xFC.
std::string SjisOf(unsigned row, unsigned cell) {
  const unsigned lead = (row - 0x21) / 2 + 0x81;
  const unsigned trail = row % 2 == 0 ? cell + 0x7E : cell + 0x1F + (cell + 0x1F >= 0x7F);
  return {static_cast<char>(lead > 0x9F ? lead + 0x40 : lead), static_cast<char>(trail)};
}

std::string Convert(int conv, const std::string& text, int flags = 0) {
  Output out = Run(conv, flags, CKanji::ESHIFT_ASCII, text, nullptr, kName[conv]);
  if (out.shift != CKanji::ESHIFT_ASCII) out.bytes += "\x1B(B";
  return out.bytes;
}

// The same text in the three codes: a byte below 0x80 becomes printable ASCII or LF (others are
// dropped), a byte of 0x80 or more and the next one pick a cell of the grid.
void CheckValid(const std::string& bytes) {
  std::string sjis, euc, jis;
  bool kanji = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b >= 0x80 && i + 1 < bytes.size()) {
      const unsigned row = 0x21 + (b - 0x80) % 94;
      const unsigned cell = 0x21 + static_cast<unsigned char>(bytes[++i]) % 94;
      jis += std::string(kanji ? "" : "\x1B$B") + char(row) + char(cell);
      euc += std::string{char(row | 0x80), char(cell | 0x80)};
      sjis += SjisOf(row, cell);
      kanji = true;
    } else if ((b >= 0x20 && b <= 0x7E) || b == '\n') {
      jis += std::string(kanji ? "\x1B(B" : "") + char(b);
      euc += char(b);
      sjis += char(b);
      kanji = false;
    }
  }
  if (kanji) jis += "\x1B(B";
  const std::string what = "valid text " + Hex(sjis);
  FUZZ_CHECK(Convert(kS2E, sjis) == euc && Convert(kE2S, euc) == sjis, what);
  FUZZ_CHECK(Convert(kS2J, sjis) == jis && Convert(kJ2S, jis) == sjis, what);
  FUZZ_CHECK(Convert(kE2J, euc) == jis && Convert(kJ2E, jis) == euc, what);
  if (jis.find('\x1B') != std::string::npos) {
    FUZZ_CHECK(CKanji::CheckCode(jis.c_str()) == CKanji::EMODE_JIS, what);
  }
  // Half-width katakana kept in the kana set come back as the same Shift_JIS bytes.
  std::string kana = sjis;
  for (std::size_t i = 0; i < bytes.size() && i < 16; ++i) {
    kana += static_cast<char>(0xA1 + static_cast<unsigned char>(bytes[i]) % 63);
  }
  FUZZ_CHECK(Convert(kJ2S, Convert(kS2J, kana, 2)) == kana, "kana " + Hex(kana));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  mojiwa_fuzz::FuzzInput in(data, size);
  const std::uint8_t header = in.Byte();
  Rooms rooms{static_cast<std::uint32_t>(in.Range(0, 0xFFFF)) * 2654435761U | 1U};
  const std::string rest = in.Rest(), text = rest.c_str();

  // Detection reads the text as it stands; the sanitizers watch its reads.
  const auto copy = Exact(text);
  for (const char* p = copy.get(); *p != '\0'; ++p) {
    FUZZ_CHECK(CKanji::CheckArea(p) <= CKanji::EAREA_OTHER, Hex(text));
  }
  FUZZ_CHECK(CKanji::CheckCode(copy.get()) <= CKanji::EMODE_AUTO, Hex(text));

  for (int conv = 0; conv < kConvs; ++conv) {
    for (int flags = 0; flags < 4; ++flags) {
      const auto start = static_cast<CKanji::ESHIFT>((header + flags) % 5);
      const std::string what = std::string(kName[conv]) + " flags " + std::to_string(flags) +
                               " start shift " + std::to_string(start);
      const Output whole = Run(conv, flags, start, text, nullptr, what);
      const Output pieces = Run(conv, flags, start, text, &rooms, what);
      FUZZ_CHECK(pieces.bytes == whole.bytes && pieces.shift == whole.shift,
                 what + "\n  one call " + Hex(whole.bytes) + "\n  resumed  " + Hex(pieces.bytes));
      if (conv == kE2J || conv == kS2J) Flush(whole.shift, rooms, what);
    }
  }
  CheckValid(rest);
  return 0;
}
