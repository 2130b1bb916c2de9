// Replaces the nothrow form of the single-object operator new for this test binary, so that a
// test can make the library's new (std::nothrow) CKanji fail. Every other allocation, the array
// forms that buffers use included, goes its usual way.
#include <new>

#include "support/TextOpsSupport.h"

namespace {

long countdown = 0;  // 0: disarmed; otherwise allocations left until the failing one
bool fired = false;

}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (countdown > 0 && --countdown == 0) {
    fired = true;
    return nullptr;
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

namespace mojiwa_test {

FailNothrowNew::FailNothrowNew(long nth) {
  countdown = nth;
  fired = false;
}

FailNothrowNew::~FailNothrowNew() { countdown = 0; }

bool FailNothrowNew::Fired() const { return fired; }

}  // namespace mojiwa_test
