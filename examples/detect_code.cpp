// Prints the code that the library detects for each file named on the command line.
#include <mojiwa/Kanji.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

static const char* Name(CKanji::EMODE code) {
  switch (code) {
    case CKanji::EMODE_EUC: return "EUC-JP";
    case CKanji::EMODE_SJIS: return "Shift_JIS";
    case CKanji::EMODE_JIS: return "JIS";
    default: return "ASCII";
  }
}

int main(int argc, char** argv) {
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "detect_code: %s: cannot open\n", argv[i]);
      status = 1;
      continue;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::printf("%s: %s\n", argv[i], Name(CKanji::CheckCode(text.c_str())));
  }
  return status;
}
