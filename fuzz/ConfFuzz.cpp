// Fuzz target `conf`: random file contents through ReadConf into a dictionary that already holds
// one entry, by readers of every code and switch, now and then from a path that cannot be opened
// or read. The result is either the entries or one of the reader's four errors (with the path in
// the function field): no key or value is empty or holds a blank, '=', '#' or LF outside a
// two-byte character, the file is closed and every buffer given back.
#include <fcntl.h>
#include <mojiwa/KanjiHash.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzSupport.h"

namespace {

using mojiwa_fuzz::Hex;

struct Count : CKanji {
  static unsigned long AllSize() { return dwAllSize; }
};

// The lowest free descriptor: it moves if the reader leaves its file open.
int LowestFreeDescriptor() {
  const int fd = open("/dev/null", O_RDONLY);
  close(fd);
  return fd;
}

void Run(mojiwa_fuzz::FuzzInput& in) {
  const std::uint8_t codes = in.Byte(), f = in.Byte();
  const auto output = static_cast<CKanji::EMODE>((codes & 3) == 3 ? 1 : codes & 3);
  const auto input = static_cast<CKanji::EMODE>((codes >> 2) & 3);
  const CKanji reader(output, input, f & 1, f & 2, f & 4, f & 8, (f & 16) != 0 ? 3 : 1024);
  const std::string contents = in.Rest();
  const std::string file = "/tmp/mojiwa-conf-fuzz-" + std::to_string(getpid());
  std::FILE* out = std::fopen(file.c_str(), "wb");
  FUZZ_CHECK(
      out != nullptr && std::fwrite(contents.data(), 1, contents.size(), out) == contents.size(),
      file);
  std::fclose(out);
  // A missing file cannot be opened; a folder opens but cannot be read.
  std::string path = file;
  if ((codes & 0xE0) == 0xE0) path += ".missing";
  if ((codes & 0xE0) == 0xC0) path = path.substr(0, path.rfind('/'));

  const std::string what = "reader " + std::to_string(codes) + "/" + std::to_string(f);
  const int fd_before = LowestFreeDescriptor();
  CKanjiHash hash;
  hash[CKanji("a", output, output)] = "z";
  int line = 0;
  try {
    reader.ReadConf(path.c_str(), hash);
  } catch (const CThrowErr& error) {
    line = mojiwa_fuzz::CheckError(error, path.c_str());
    // The four format and open errors, or a file too large for the memory limit.
    FUZZ_CHECK(line == 2166 || line == 2208 || line == 2223 || line == 2231 || line == 1092, what);
  } catch (...) {
    mojiwa_fuzz::Fail(__FILE__, __LINE__, "only CThrowErr is thrown", what);
  }
  FUZZ_CHECK(LowestFreeDescriptor() == fd_before, what + " left a file open");
  std::remove(file.c_str());
  FUZZ_CHECK((line == 2166) == (path != file), what + " open error");

  for (CKanjiIterator it = hash.Begin(); it != hash.End(); ++it) {
    for (const CKanji* text : {&it.Key(), &it.Value()}) {
      FUZZ_CHECK(text->GetSize() != 0, what + " empty key or value");
      for (const char* p = text->GetBuff(); *p != '\0'; ++p) {
        const char* probe = p;
        if (p[1] != '\0' && text->isKanji(probe)) {
          ++p;
          continue;
        }
        FUZZ_CHECK(*p != ' ' && *p != '\t' && *p != '=' && *p != '#' && *p != '\n',
                   what + " entry " + Hex(text->GetBuff()));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    mojiwa_fuzz::FuzzInput in(data, size);
    Run(in);
  }
  FUZZ_CHECK(Count::AllSize() == 0, "buffer bytes not given back");
  return 0;
}
