// Bounded copy (stand-in).
#include "string/Kanji.h"
const char* CKanji::StrcpyUpdate(char*& pcDst, const char* pcSrc, unsigned long* pdwRoom) {
  if (pdwRoom != nullptr && *pdwRoom == 0) return pcSrc;
  unsigned long room = pdwRoom ? *pdwRoom - 1 : ~0UL;
  while (*pcSrc != '\0' && room != 0) {
    *pcDst++ = *pcSrc++;
    --room;
    if (pdwRoom) --*pdwRoom;
  }
  *pcDst = '\0';
  return pcSrc;
}
