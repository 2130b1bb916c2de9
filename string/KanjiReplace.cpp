// Replace (stand-ins).
#include "string/Kanji.h"
int CKanji::Replace(const CKanji&, const CKanji&) { return 0; }
int CKanji::Replace(const char*, const char*) { return 0; }
