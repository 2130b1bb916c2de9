// The copy routines without a code to convert: StrcpyUpdate, the bounded copy that keeps the
// room count, and FlushXXX2jis, which ends a JIS text in the Roman set.
#include <cstring>

#include "codes/RoomWriter.h"
#include "string/Kanji.h"

using mojiwa::detail::Bytes;
using mojiwa::detail::RoomWriter;

const char* CKanji::StrcpyUpdate(char*& pcDst, const char* pcSrc, unsigned long* pdwRoom) {
  // Steps of one byte: a byte and the NUL after it.
  RoomWriter out(pcDst, pdwRoom, 2);
  if (out.Fits()) {
    const std::size_t n =
        pdwRoom == nullptr ? std::strlen(pcSrc) : strnlen(pcSrc, out.OneByteSteps());
    out.Copy(Bytes(pcSrc), n);
    pcSrc += n;
  }
  out.Finish();
  return pcSrc;
}

bool CKanji::FlushXXX2jis(ESHIFT& eShift, char*& pcDst, unsigned long* pdwRoom) {
  if (eShift == ESHIFT_ASCII) return true;
  // One step: ESC ( B and the NUL, written whole or not at all.
  RoomWriter out(pcDst, pdwRoom, 4);
  const bool fits = out.Fits();
  if (fits) {
    out.Put3(pcAsciiIn);
    eShift = ESHIFT_ASCII;
  }
  out.Finish();
  return fits;
}
