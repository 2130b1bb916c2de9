// Handles the library's errors: every fatal condition is a CThrowErr thrown by value, and the
// process-wide memory limit (1 MiB by default) bounds the bytes that all objects hold.
#include <mojiwa/Kanji.h>

#include <cstdio>
#include <string>

int main() {
  const std::string big(4000, 'x');
  CKanji::SetMemLimit(2048);  // a small limit, to see it work
  CKanji text;                // grows 1024 bytes at a time
  try {
    text = big.c_str();
    std::printf("unexpected: no error\n");
    return 1;
  } catch (const CThrowErr& err) {
    // The text keeps what fitted before the failed growth.
    std::printf("%s at line %d; %lu bytes kept\n", err.pcFunction, err.nLine, text.GetSize());
  }
  CKanji::SetMemLimit(0);  // no limit
  text = big.c_str();
  std::printf("%lu bytes\n", text.GetSize());
  return 0;
}
