// Detection stand-in.
#include "string/Kanji.h"
CKanji::EMODE CKanji::CheckCode(const char*) { return EMODE_AUTO; }
