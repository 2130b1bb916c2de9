// Reshapes width and case: full-width digits and letters become ASCII, half-width katakana
// become full width, and ASCII letters become upper case. Reads standard input in any code and
// writes it back in the code it came in.
#include <mojiwa/Kanji.h>

#include <cstdio>

int main() {
  CKanji::SetMemLimit(0);
  CKanji probe(CKanji::EMODE_SJIS, CKanji::EMODE_AUTO, false);
  probe = stdin;  // read once as Shift_JIS with detection, to learn the code
  CKanji::EMODE code = probe.GetModeInput();
  if (code == CKanji::EMODE_AUTO) code = CKanji::EMODE_SJIS;

  CKanji text(code, CKanji::EMODE_SJIS, true, false, false, false, 1 << 16);
  text << probe;  // same characters, in the input's own code
  //           digit alpha  kata   mark   hira
  text.zen2han(true, true, false, false, false);
  text.han2zen(false, false, true, false, false);
  text.ToUpper(false, true);
  text >> stdout;
  return 0;
}
