// Code conversion of a stream whose input code is known, through the library's block converters
// (CKanji::CopyS2E and the others) writing straight into the output buffer. The JIS shift state
// is carried from call to call; input is taken only up to a place where a step ends. EUC-JP
// input has its single shifts read here, before the library sees the text: SS2 half-width
// katakana go through the Shift_JIS converter, JIS X 0212 characters become the geta mark.
#ifndef MOJIWA_TOOLS_CONVERTER_H
#define MOJIWA_TOOLS_CONVERTER_H

#include <mojiwa/Kanji.h>

#include <cstddef>

#include "Output.h"

namespace mojiwa {
namespace filter {

struct ConvertSettings {
  CKanji::EMODE from = CKanji::EMODE_SJIS;  // never EMODE_AUTO
  CKanji::EMODE to = CKanji::EMODE_SJIS;    // never EMODE_AUTO
  bool crlf = false;                        // bCrLf of CopyE2S and CopyE2J
  bool keep_kana = false;                   // bKeepKana of CopyS2J
  bool kana_to_zen = false;                 // bKanaToZen of CopyJ2S and CopyS2J
};

class Converter {
 public:
  Converter(const ConvertSettings& settings, Target& out);

  // Converts a prefix of text[0, size) and returns its length: all of it when `last`, else up
  // to the last place where the text may be cut. text[size] must be writable: a NUL is put
  // there for the converters (and the byte put back). The text may be changed.
  std::size_t Feed(unsigned char* text, std::size_t size, bool last);
  // The end of the input: a JIS text returns to the Roman set.
  void Finish();
  // JIS X 0212 characters written as the geta mark so far.
  unsigned long geta_count() const { return geta_count_; }

 private:
  std::size_t Cut(unsigned char* text, std::size_t size);
  void ConvertRange(unsigned char* text, std::size_t size);
  void ConvertEuc(unsigned char* text, std::size_t size);
  // Runs the converter of the pair (from, to) over a NUL-terminated text.
  void Run(CKanji::EMODE from, const char* src);
  void LeaveKana();
  void RomanBeforeControl();

  ConvertSettings settings_;
  Target& out_;
  CKanji::ESHIFT shift_ = CKanji::ESHIFT_ASCII;  // of the JIS side, input or output
  unsigned long geta_count_ = 0;
};

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_CONVERTER_H
