// Assigning and appending text (plain-copy stand-ins until detection and conversion arrive).
#include <cstring>

#include "string/Kanji.h"

const char* CKanji::operator+=(const char* pcText) {
  if (pcBuff == nullptr) GrowBuffer();
  const char* pcSrc = pcText;
  while (*pcSrc != '\0') {
    pcSrc = StrcpyUpdate(pcEnd, pcSrc, &dwRest);
    if (*pcSrc != '\0') GrowBuffer();
  }
  return pcBuff;
}

const char* CKanji::operator=(const char* pcText) {
  Clear();
  return operator+=(pcText);
}

const char* CKanji::operator<<(const CKanji& cSrc) { return operator=(cSrc.GetBuff()); }

CKanji& CKanji::operator=(const CKanji& cSrc) {
  CopyConf(cSrc);
  eShift = ESHIFT_ASCII;
  operator<<(cSrc);
  return *this;
}

const char* CKanji::operator+=(const CKanji& cSrc) { return operator+=(cSrc.GetBuff()); }

const char* CKanji::operator+=(char cChar) {
  if (dwRest <= 1) GrowBuffer();
  *pcEnd++ = cChar;
  *pcEnd = '\0';
  --dwRest;
  return pcBuff;
}

int CKanji::operator=(int nValue) { return nValue; }
CKanji& CKanji::operator=(FILE*) { return *this; }
const char* CKanji::operator>>(FILE*) { return GetBuff(); }
