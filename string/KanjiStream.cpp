// Reading a CKanji from a stdio stream, line by line so that detection sees whole lines, and
// writing its text out unconverted.
#include <cstdio>

#include "string/Kanji.h"

CKanji& CKanji::operator=(FILE* pFile) {
  CKanji cLine;  // collects one line
  Clear();
  // A NUL cannot stand inside a text: it ends its line's text, and the bytes after it up to the
  // LF are dropped. The LF itself is kept so that the lines stay apart.
  bool bDropping = false;
  int nByte = EOF;
  // fgetc answers EOF for a read error too: the text then ends there as at the end of the file.
  // A null stream reads as an empty one.
  while (pFile != nullptr && (nByte = std::fgetc(pFile)) != EOF) {
    if (nByte == '\n') {
      cLine += '\n';
      operator+=(cLine.GetBuff());
      cLine.Clear();
      bDropping = false;
    } else if (nByte == '\0') {
      bDropping = true;
    } else if (!bDropping) {
      // The collector doubles its step as a line outgrows it, so that a line of any length
      // costs linear time; its buffer never exceeds twice the longest line.
      if (cLine.dwRest <= 1 && cLine.dwBuffSize > cLine.dwGrowSize) {
        cLine.dwGrowSize = cLine.dwBuffSize;
      }
      cLine += static_cast<char>(nByte);
    }
  }
  operator+=(cLine.GetBuff());
  return *this;
}

const char* CKanji::operator>>(FILE* pFile) {
  // The text up to its NUL, byte for byte.
  if (pFile != nullptr) std::fputs(GetBuff(), pFile);
  return GetBuff();
}
