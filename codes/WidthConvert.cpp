// The per-character width converters of CKanji: one full-width character to half width, or one
// half-width byte (with a following sound mark) to full width, in each of the three codes.
//
// Callers classify the character first, so the class checks here only keep a stray byte from
// indexing outside a table: a character outside the converter's class is copied unchanged.
#include "string/Kanji.h"

namespace {

using Byte = unsigned char;

Byte ByteAt(const char* p, int i) { return static_cast<Byte>(p[i]); }

// The second byte of a two-byte source; the first is never examined.
Byte Trail(const char* src) { return ByteAt(src, 1); }

bool In(Byte b, Byte low, Byte high) { return low <= b && b <= high; }

void CopyPair(const char*& src, char*& dst) {
  dst[0] = src[0];
  dst[1] = src[1];
  src += 2;
  dst += 2;
}

void PutOne(Byte b, const char*& src, char*& dst) {
  *dst++ = static_cast<char>(b);
  src += 2;
}

// The record rule: cFirst 0 copies the source character, cSecond 0 makes a one-byte result.
void ApplyRecord(const CKanji::SZen2Han& record, const char*& src, char*& dst) {
  if (record.cFirst == 0) {
    CopyPair(src, dst);
    return;
  }
  *dst++ = record.cFirst;
  if (record.cSecond != 0) *dst++ = record.cSecond;
  src += 2;
}

void ByRecord(const CKanji::SZen2Han* table, bool in_class, int index, const char*& src,
              char*& dst) {
  if (in_class) {
    ApplyRecord(table[index], src, dst);
  } else {
    CopyPair(src, dst);
  }
}

// Shift_JIS trail bytes skip 0x7F, so above it the index drops by one more.
int SjisKatakanaIndex(Byte t) { return t < 0x7F ? t - 0x40 : t - 0x41; }

// Full-width digits and letters lie in ASCII order: JIS cells equal the ASCII codes, EUC-JP sets
// the high bit, Shift_JIS puts 0-9 and A-Z at ASCII + 0x1F and a-z at ASCII + 0x20.
bool IsJisAlpha(Byte t) { return In(t, 0x41, 0x5A) || In(t, 0x61, 0x7A); }
bool IsSjisAlpha(Byte t) { return In(t, 0x60, 0x79) || In(t, 0x81, 0x9A); }
bool IsEucAlpha(Byte t) { return In(t, 0xC1, 0xDA) || In(t, 0xE1, 0xFA); }

}  // namespace

// ---- Full width to half width ---------------------------------------------------------------

void CKanji::Kana2han(const SZen2Han* pstRecord, const char*& pcSrc, char*& pcDst) {
  ApplyRecord(*pstRecord, pcSrc, pcDst);
}

void CKanji::Digit2hanJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  if (In(t, 0x30, 0x39)) {
    PutOne(t, pcSrc, pcDst);
  } else {
    CopyPair(pcSrc, pcDst);
  }
}

void CKanji::Digit2hanSJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  if (In(t, 0x4F, 0x58)) {
    PutOne(static_cast<Byte>(t - 0x1F), pcSrc, pcDst);
  } else {
    CopyPair(pcSrc, pcDst);
  }
}

void CKanji::Digit2hanEUC(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  if (In(t, 0xB0, 0xB9)) {
    PutOne(t & 0x7F, pcSrc, pcDst);
  } else {
    CopyPair(pcSrc, pcDst);
  }
}

void CKanji::Alpha2hanJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  if (IsJisAlpha(t)) {
    PutOne(t, pcSrc, pcDst);
  } else {
    CopyPair(pcSrc, pcDst);
  }
}

void CKanji::Alpha2hanSJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  if (IsSjisAlpha(t)) {
    PutOne(static_cast<Byte>(t <= 0x79 ? t - 0x1F : t - 0x20), pcSrc, pcDst);
  } else {
    CopyPair(pcSrc, pcDst);
  }
}

void CKanji::Alpha2hanEUC(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  if (IsEucAlpha(t)) {
    PutOne(t & 0x7F, pcSrc, pcDst);
  } else {
    CopyPair(pcSrc, pcDst);
  }
}

void CKanji::Kata2hanJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableZK2H, In(t, 0x21, 0x76), t - 0x21, pcSrc, pcDst);
}

void CKanji::Kata2hanSJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableZK2H, In(t, 0x40, 0x96) && t != 0x7F, SjisKatakanaIndex(t), pcSrc, pcDst);
}

void CKanji::Kata2hanEUC(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableZK2H, In(t, 0xA1, 0xF6), t - 0xA1, pcSrc, pcDst);
}

void CKanji::Hira2hanJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableZH2H, In(t, 0x21, 0x73), t - 0x21, pcSrc, pcDst);
}

void CKanji::Hira2hanSJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableZH2H, In(t, 0x9F, 0xF1), t - 0x9F, pcSrc, pcDst);
}

void CKanji::Hira2hanEUC(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableZH2H, In(t, 0xA1, 0xF3), t - 0xA1, pcSrc, pcDst);
}

void CKanji::Mark2hanJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableM2HJ, In(t, 0x21, 0x7E), t - 0x21, pcSrc, pcDst);
}

// No correction at 0x7F: the table has a record for it (the pair itself, so it is copied), and
// for 0x9F, which belongs to the next row.
void CKanji::Mark2hanSJIS(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableM2HS, In(t, 0x40, 0x9F), t - 0x40, pcSrc, pcDst);
}

void CKanji::Mark2hanEUC(const char*& pcSrc, char*& pcDst) {
  const Byte t = Trail(pcSrc);
  ByRecord(stTableM2HE, In(t, 0xA1, 0xFE), t - 0xA1, pcSrc, pcDst);
}

// ---- Half width to full width ---------------------------------------------------------------

// The record is found from the low seven bits, so 8-bit kana 0xA1..0xDF and the 7-bit bytes
// 0x21..0x5F of the JIS kana set share it. Any other byte is copied on its own, and the byte
// after it is not read: it may lie past the terminator.
void CKanji::Kana2zen(const SHan2Zen* pstTable, const char*& pcSrc, char*& pcDst) {
  const int index = (ByteAt(pcSrc, 0) & 0x7F) - 0x21;
  if (index < 0 || index > 62) {
    *pcDst++ = *pcSrc++;
    return;
  }
  const SHan2Zen& record = pstTable[index];
  const char* zen = record.pcZen;
  int used = 1;
  const Byte next = ByteAt(pcSrc, 1);
  if (next == 0xDE && record.pcDaku != nullptr) {
    zen = record.pcDaku;
    used = 2;
  } else if (next == 0xDF && record.pcHandaku != nullptr) {
    zen = record.pcHandaku;
    used = 2;
  }
  pcDst[0] = zen[0];
  pcDst[1] = zen[1];
  pcDst += 2;
  pcSrc += used;
}

void CKanji::Kana2zenEUC(const char*& pcSrc, char*& pcDst, bool bHira) {
  Kana2zen(bHira ? stTableH2ZHE : stTableH2ZE, pcSrc, pcDst);
}

void CKanji::Kana2zenJIS(const char*& pcSrc, char*& pcDst, bool bHira) {
  Kana2zen(bHira ? stTableH2ZHJ : stTableH2ZJ, pcSrc, pcDst);
}

void CKanji::Kana2zenSJIS(const char*& pcSrc, char*& pcDst, bool bHira) {
  Kana2zen(bHira ? stTableH2ZHS : stTableH2ZS, pcSrc, pcDst);
}

namespace {

// DEL has no full-width form (its record holds two NULs, which must never enter a text), and
// control and 8-bit bytes lie outside the table: all of them are copied as one byte.
void AsciiToZen(const CKanji::SZen2Han* table, const char*& src, char*& dst) {
  const Byte c = ByteAt(src, 0);
  if (!In(c, 0x20, 0x7E)) {
    *dst++ = *src++;
    return;
  }
  const CKanji::SZen2Han& record = table[c - 0x20];
  dst[0] = record.cFirst;
  dst[1] = record.cSecond;
  dst += 2;
  ++src;
}

}  // namespace

void CKanji::Ascii2zenEUC(const char*& pcSrc, char*& pcDst) {
  AsciiToZen(stTableA2ZE, pcSrc, pcDst);
}

void CKanji::Ascii2zenJIS(const char*& pcSrc, char*& pcDst) {
  AsciiToZen(stTableA2ZJ, pcSrc, pcDst);
}

void CKanji::Ascii2zenSJIS(const char*& pcSrc, char*& pcDst) {
  AsciiToZen(stTableA2ZS, pcSrc, pcDst);
}
