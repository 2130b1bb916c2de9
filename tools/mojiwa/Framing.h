// Where a text may be cut between two converter calls. The block converters take whole steps (a
// character, an escape sequence, a half-width katakana merged with its sound mark), so a chunk
// of input is handed to them only up to a place where a step of the whole text ends; the bytes
// after it wait for the next read.
#ifndef MOJIWA_TOOLS_FRAMING_H
#define MOJIWA_TOOLS_FRAMING_H

#include <mojiwa/Kanji.h>

#include <cstddef>

namespace mojiwa {
namespace filter {

struct CutPoint {
  std::size_t size;      // bytes before the cut
  CKanji::ESHIFT shift;  // JIS: the reader's state at the cut
};

// Scans the text as the reader of `code` steps through it, from the JIS state `shift` (ignored
// for the other codes), and returns the last place where a step ends and the next step cannot
// merge with it. The text is not the end of its input: a step that might continue past `size`
// does not count. `single_shift` reads EUC-JP 0x8E kk and 0x8F xx yy as one step each (the
// filter's own EUC reading); it matters only for EMODE_EUC.
CutPoint ScanCut(CKanji::EMODE code, bool single_shift, const unsigned char* text, std::size_t size,
                 CKanji::ESHIFT shift);

// A cut in JIS text found without knowing the state: the place after the last SO, SI, or
// ESC ( B/J/H/I or ESC $ @/B. Whatever came before, a step ends there: such an ESC either starts
// its sequence, or is the second byte of a kanji pair (and the next two bytes pair up), or ends
// an unrecognised sequence (and the next two bytes are single steps). 0 when there is none.
std::size_t JisResyncCut(const unsigned char* text, std::size_t size);

// Whether the converters may look a half-width katakana byte up in a table, and so merge it with
// a following sound mark 0xDE or 0xDF.
inline bool MayMerge(unsigned char b, CKanji::ESHIFT shift) {
  return (b >= 0xA1 && b <= 0xDD) || shift == CKanji::ESHIFT_KANA;
}
inline bool IsSoundMark(unsigned char b) { return b == 0xDE || b == 0xDF; }
inline bool IsEucByte(unsigned char b) { return b >= 0xA1 && b <= 0xFE; }
inline bool IsHalfKana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

// EUC-JP single shifts as the filter reads them.
constexpr unsigned char kSs2 = 0x8E;  // SS2 kk: a half-width katakana
constexpr unsigned char kSs3 = 0x8F;  // SS3 xx yy: a JIS X 0212 character

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_FRAMING_H
