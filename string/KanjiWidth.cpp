// Width and case conversion (stand-ins).
#include "string/Kanji.h"
const char* CKanji::zen2han(bool, bool, bool, bool, bool) { return GetBuff(); }
const char* CKanji::han2zen(bool, bool, bool, bool, bool) { return GetBuff(); }
const char* CKanji::ToUpper(bool, bool) { return GetBuff(); }
const char* CKanji::ToLower(bool, bool) { return GetBuff(); }
