// Converts a file into another code: convert_file sjis|euc|jis FILE > OUT
// The input code is detected; the first line that decides it fixes it for the rest of the file.
#include <mojiwa/Kanji.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: convert_file sjis|euc|jis FILE\n");
    return 2;
  }
  CKanji::EMODE to = CKanji::EMODE_SJIS;
  if (std::strcmp(argv[1], "euc") == 0) to = CKanji::EMODE_EUC;
  if (std::strcmp(argv[1], "jis") == 0) to = CKanji::EMODE_JIS;

  std::FILE* in = std::fopen(argv[2], "rb");
  if (in == NULL) {
    std::perror(argv[2]);
    return 1;
  }
  CKanji::SetMemLimit(0);  // a whole file may be larger than the default 1 MiB limit
  // Output code, input code (detect), fix the detected code, three switches off, growth step.
  CKanji text(to, CKanji::EMODE_AUTO, true, false, false, false, 1 << 20);
  try {
    text = in;       // reads the whole stream, converting line by line
    text >> stdout;  // writes the bytes unchanged
  } catch (const CThrowErr& err) {
    std::fprintf(stderr, "%s line %d\n", err.pcFunction, err.nLine);
    std::fclose(in);
    return 1;
  }
  std::fclose(in);
  return 0;
}
