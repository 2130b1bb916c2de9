// Replaces the nothrow single-object operator new of this test binary, so that a test can make
// the library's new (std::nothrow) CKanji fail; buffers (the array forms) go their usual way.
#include <new>

#include "support/TextOpsSupport.h"

int mojiwa_test::fail_nothrow_new = 0;

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (mojiwa_test::fail_nothrow_new > 0 && --mojiwa_test::fail_nothrow_new == 0) return nullptr;
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
