// Reading the text: one byte by index, and the decimal number at its start.
#include <climits>
#include <cstdlib>

#include "string/Kanji.h"

char CKanji::operator[](int nIndex) const {
  // The index of the text's length gives its NUL; one before the text reads like one past it.
  if (nIndex < 0 || static_cast<unsigned long>(nIndex) > GetSize()) return '\0';
  return GetBuff()[nIndex];
}

CKanji::operator int() const {
  // A copy in the same code and settings, with only its full-width digits made ASCII.
  CKanji cDigits(*this);
  cDigits.zen2han(true, false, false, false, false);
  // What atoi reads, with a number beyond int held at the nearest end instead of overflowing.
  const long nValue = std::strtol(cDigits.GetBuff(), nullptr, 10);
  if (nValue > INT_MAX) return INT_MAX;
  if (nValue < INT_MIN) return INT_MIN;
  return static_cast<int>(nValue);
}
