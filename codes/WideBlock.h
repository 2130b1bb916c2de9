// Sixty-four bytes at a time for the converters, on processors with AVX-512 (BW and VBMI2),
// chosen at run time. Each function converts block after block from p while a block fits the
// source window and the room, and returns the source bytes it took. A block takes exactly the
// steps the one-step loop would take there, writes what they would write and leaves the shift
// state they would leave; it stops before a step it does not do itself (a half-width katakana, a
// shift it does not know, a pair that is no pair of the code...), which the caller then takes.
#ifndef MOJIWA_CODES_WIDEBLOCK_H
#define MOJIWA_CODES_WIDEBLOCK_H

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define MOJIWA_WIDE_BLOCKS 1

#include <cstddef>

#include "codes/RoomWriter.h"
#include "string/Kanji.h"

namespace mojiwa {
namespace detail {

// Whether the blocks run here: the processor has the instructions, and MOJIWA_NO_AVX512 is not
// set to something other than 0 in the environment (so that the narrower path can be compared
// and tested on such a processor). Decided once.
bool WideBlocks();

// Source bytes a block reads: its 64 and, to see a pair or an escape sequence through its last
// lane, one or two more. `known` bytes from p on are no NUL.
constexpr std::size_t kWideReads8Bit = 65;
constexpr std::size_t kWideReadsJis = 66;

std::size_t SjisToEucWide(const unsigned char* p, std::size_t known, RoomWriter& out);
std::size_t EucToSjisWide(const unsigned char* p, std::size_t known, bool crlf, RoomWriter& out);
// The JIS readers and writers run in the Roman and kanji sets only; `shift` is carried.
std::size_t JisToEucWide(const unsigned char* p, std::size_t known, CKanji::ESHIFT& shift,
                         RoomWriter& out);
std::size_t JisToSjisWide(const unsigned char* p, std::size_t known, CKanji::ESHIFT& shift,
                          RoomWriter& out);
std::size_t EucToJisWide(const unsigned char* p, std::size_t known, bool crlf,
                         CKanji::ESHIFT& shift, RoomWriter& out);
std::size_t SjisToJisWide(const unsigned char* p, std::size_t known, CKanji::ESHIFT& shift,
                          RoomWriter& out);

}  // namespace detail
}  // namespace mojiwa

#endif  // x86-64
#endif  // MOJIWA_CODES_WIDEBLOCK_H
