// The class predicates of two-byte characters in each code, and isKanji, which classifies the
// character at a position in an object's output code.
//
// The classes are rows 1, 3, 4 and 5 of the 94x94 grid. EUC-JP writes row and cell with 0x80
// added. Shift_JIS gives rows 2n-1 and 2n the lead byte 0x81 + (n-1); an odd row's cells
// 0x21..0x5F take trail bytes 0x40..0x7E and its cells 0x60..0x7E take 0x80..0x9E (0x7F is
// skipped), an even row's cells take 0x9F..0xFC. So row 3 (letters, digits) and row 4
// (hiragana) share lead 0x82, and row 5 (katakana, cells 0x21..0x76) runs 0x8340..0x8396.
#include "codes/ByteClass.h"
#include "string/Kanji.h"

namespace {

using mojiwa::detail::InRange;

// First byte `lead`, second byte lo..hi. The second byte is read only after the first matched.
bool Cell(const char* p, unsigned char lead, unsigned char lo, unsigned char hi) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return b[0] == lead && InRange(b[1], lo, hi);
}

// A Shift_JIS odd row: the trail range lo..hi without 0x7F.
bool OddRowCell(const char* p, unsigned char lead, unsigned char lo, unsigned char hi) {
  return Cell(p, lead, lo, hi) && static_cast<unsigned char>(p[1]) != 0x7F;
}

// The predicates of one code in the order of the classes ETYPE_ALPHA .. ETYPE_MARK, which is
// also the order in which isKanji tries them.
using Predicate = bool (*)(const char*);
constexpr Predicate kJisClasses[] = {CKanji::isAlphaJIS, CKanji::isDigitJIS, CKanji::isKatakanaJIS,
                                     CKanji::isHirakanaJIS, CKanji::isMarkJIS};
constexpr Predicate kSjisClasses[] = {CKanji::isAlphaSJIS, CKanji::isDigitSJIS,
                                      CKanji::isKatakanaSJIS, CKanji::isHirakanaSJIS,
                                      CKanji::isMarkSJIS};
constexpr Predicate kEucClasses[] = {CKanji::isAlphaEUC, CKanji::isDigitEUC, CKanji::isKatakanaEUC,
                                     CKanji::isHirakanaEUC, CKanji::isMarkEUC};
static_assert(CKanji::ETYPE_ALPHA == 0 && CKanji::ETYPE_MARK == 4, "classes index the lists");

CKanji::ETYPE PairClass(const Predicate (&classes)[5], const char* p) {
  for (int i = 0; i < 5; ++i) {
    if (classes[i](p)) return static_cast<CKanji::ETYPE>(i);
  }
  return CKanji::ETYPE_OTHER;  // kanji, and the rows without a class
}

CKanji::ETYPE SingleClass(unsigned char b) {
  if (InRange(b, 0x20, 0x7F)) return CKanji::peAsciiType[b - 0x20];
  return mojiwa::detail::IsHKanaByte(b) ? CKanji::ETYPE_KATAKANA : CKanji::ETYPE_OTHER;
}

}  // namespace

bool CKanji::isAlphaJIS(const char* pcSrc) {
  return Cell(pcSrc, 0x23, 0x41, 0x5A) || Cell(pcSrc, 0x23, 0x61, 0x7A);
}
bool CKanji::isAlphaSJIS(const char* pcSrc) {
  return Cell(pcSrc, 0x82, 0x60, 0x79) || Cell(pcSrc, 0x82, 0x81, 0x9A);
}
bool CKanji::isAlphaEUC(const char* pcSrc) {
  return Cell(pcSrc, 0xA3, 0xC1, 0xDA) || Cell(pcSrc, 0xA3, 0xE1, 0xFA);
}

bool CKanji::isDigitJIS(const char* pcSrc) { return Cell(pcSrc, 0x23, 0x30, 0x39); }
bool CKanji::isDigitSJIS(const char* pcSrc) { return Cell(pcSrc, 0x82, 0x4F, 0x58); }
bool CKanji::isDigitEUC(const char* pcSrc) { return Cell(pcSrc, 0xA3, 0xB0, 0xB9); }

bool CKanji::isKatakanaJIS(const char* pcSrc) { return Cell(pcSrc, 0x25, 0x21, 0x76); }
bool CKanji::isKatakanaSJIS(const char* pcSrc) { return OddRowCell(pcSrc, 0x83, 0x40, 0x96); }
bool CKanji::isKatakanaEUC(const char* pcSrc) { return Cell(pcSrc, 0xA5, 0xA1, 0xF6); }

bool CKanji::isHirakanaJIS(const char* pcSrc) { return Cell(pcSrc, 0x24, 0x21, 0x73); }
bool CKanji::isHirakanaSJIS(const char* pcSrc) { return Cell(pcSrc, 0x82, 0x9F, 0xF1); }
bool CKanji::isHirakanaEUC(const char* pcSrc) { return Cell(pcSrc, 0xA4, 0xA1, 0xF3); }

// Row 1 only: the symbols of row 2 are not marks.
bool CKanji::isMarkJIS(const char* pcSrc) { return Cell(pcSrc, 0x21, 0x21, 0x7E); }
bool CKanji::isMarkSJIS(const char* pcSrc) { return OddRowCell(pcSrc, 0x81, 0x40, 0x9E); }
bool CKanji::isMarkEUC(const char* pcSrc) { return Cell(pcSrc, 0xA1, 0xA1, 0xFE); }

bool CKanji::isKanji(const char*& pcSrc, ETYPE* peType, ESHIFT* peShift) const {
  if (eModeOutput == EMODE_JIS) {
    // The position moves over an escape sequence or shift code, never over the character. The
    // class is given only for a pair in the kanji set; elsewhere *peType is left alone.
    ESHIFT local = ESHIFT_ASCII;
    ESHIFT& shift = peShift != nullptr ? *peShift : local;
    const ESHIFT seen = CheckESC(pcSrc);
    if (seen != ESHIFT_NONE && seen != ESHIFT_INVALID) shift = seen;
    if (shift != ESHIFT_KANJI) return false;
    if (peType != nullptr && isJIS(pcSrc) == EANS_YES) *peType = PairClass(kJisClasses, pcSrc);
    return true;
  }
  const bool euc = eModeOutput == EMODE_EUC;
  const bool pair = (euc ? isEUC(pcSrc) : isSJIS(pcSrc)) != EANS_NO;
  if (peType != nullptr) {
    *peType = pair ? PairClass(euc ? kEucClasses : kSjisClasses, pcSrc)
                   : SingleClass(static_cast<unsigned char>(*pcSrc));
  }
  return pair;
}
