// Detection stand-ins.
#include "string/Kanji.h"
CKanji::EMODE CKanji::CheckCode(const char*) { return EMODE_AUTO; }
bool CKanji::isKanji(const char*&, ETYPE*, ESHIFT*) const { return false; }
