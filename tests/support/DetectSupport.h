// What the detection and class tests share.
#ifndef MOJIWA_TESTS_DETECTSUPPORT_H
#define MOJIWA_TESTS_DETECTSUPPORT_H

#include <cstring>
#include <memory>
#include <string>

namespace mojiwa_test {

// The bytes in a heap block of exactly their length plus the NUL, so that the sanitizer build
// reports any read past the terminator.
inline std::unique_ptr<char[]> Exact(const std::string& bytes) {
  std::unique_ptr<char[]> copy(new char[bytes.size() + 1]);
  std::memcpy(copy.get(), bytes.c_str(), bytes.size() + 1);
  return copy;
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_DETECTSUPPORT_H
