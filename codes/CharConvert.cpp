// The six per-character converters: one two-byte character from one code into another, by the
// grid arithmetic of JisArith.h. Each reads two bytes, writes two, and checks nothing.
#include "codes/JisArith.h"
#include "string/Kanji.h"

namespace {

using mojiwa::detail::BytePair;

template <BytePair (*kConvert)(BytePair)>
void ConvertPair(const char*& pcSrc, char*& pcDst) {
  const BytePair in{static_cast<unsigned char>(pcSrc[0]), static_cast<unsigned char>(pcSrc[1])};
  const BytePair out = kConvert(in);
  pcDst[0] = static_cast<char>(out.first);
  pcDst[1] = static_cast<char>(out.second);
  pcSrc += 2;
  pcDst += 2;
}

}  // namespace

void CKanji::jis2euc(const char*& pcSrc, char*& pcDst) {
  ConvertPair<mojiwa::detail::JisToEuc>(pcSrc, pcDst);
}
void CKanji::jis2sjis(const char*& pcSrc, char*& pcDst) {
  ConvertPair<mojiwa::detail::JisToSjis>(pcSrc, pcDst);
}
void CKanji::euc2jis(const char*& pcSrc, char*& pcDst) {
  ConvertPair<mojiwa::detail::EucToJis>(pcSrc, pcDst);
}
void CKanji::euc2sjis(const char*& pcSrc, char*& pcDst) {
  ConvertPair<mojiwa::detail::EucToSjis>(pcSrc, pcDst);
}
void CKanji::sjis2euc(const char*& pcSrc, char*& pcDst) {
  ConvertPair<mojiwa::detail::SjisToEuc>(pcSrc, pcDst);
}
void CKanji::sjis2jis(const char*& pcSrc, char*& pcDst) {
  ConvertPair<mojiwa::detail::SjisToJis>(pcSrc, pcDst);
}
