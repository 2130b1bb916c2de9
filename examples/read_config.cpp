// Reads a key = value configuration file and walks the dictionary in key order.
#include <mojiwa/KanjiHash.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: read_config FILE\n");
    return 2;
  }
  // The reader is a template: keys and values are made in its codes (here: any file code,
  // held as EUC-JP).
  const CKanji reader(CKanji::EMODE_EUC, CKanji::EMODE_AUTO);
  CKanjiHash settings;
  try {
    reader.ReadConf(argv[1], settings);
  } catch (const CThrowErr& err) {
    // The message is Shift_JIS text; the path of the file stands in pcFunction.
    std::fprintf(stderr, "%s: bad configuration (line %d of the library)\n", err.pcFunction,
                 err.nLine);
    return 1;
  }
  CKanjiIterator it;
  for (it = settings.Begin(); it != settings.End(); ++it) {
    std::printf("%s=%s\n", it.Key().GetBuff(), it.Value().GetBuff());
  }
  // Find and End both return the dictionary's own iterator: keep Find's answer in one of yours.
  CKanji key("level", CKanji::EMODE_EUC, CKanji::EMODE_EUC);
  CKanjiIterator found;
  found = settings.Find(key);
  if (found != settings.End()) std::printf("level is %d\n", int(found.Value()));
  return 0;
}
