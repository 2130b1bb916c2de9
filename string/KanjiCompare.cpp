// Comparison (stand-ins).
#include "string/Kanji.h"
bool CKanji::operator==(const CKanji&) const { return false; }
bool CKanji::operator==(const char*) const { return false; }
bool CKanji::operator<(const CKanji&) const { return false; }
bool CKanji::operator>(const CKanji&) const { return false; }
int CKanji::Compare(const CKanji&, CKanji&, CKanji&, CKanji&) const { return 0; }
int CKanji::Compare(const char*, CKanji&, CKanji&, CKanji&) const { return 0; }
