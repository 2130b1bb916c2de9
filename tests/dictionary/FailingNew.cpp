// Replacements of the global operator new for this test binary that fail on request, so that
// tests can make any single allocation of the library (map, node, iterator cell, buffer) fail.
// The library resolves operator new to these definitions because the executable comes first.
#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>

#include "support/DictionarySupport.h"

namespace {

long countdown = 0;  // 0: disarmed; otherwise allocations left until the failing one
bool fired = false;

}  // namespace

// An allocator is made of the raw calls that the ownership checks warn about.
// NOLINTBEGIN(cppcoreguidelines-owning-memory)
void* operator new(std::size_t size) {
  if (countdown > 0 && --countdown == 0) {
    fired = true;
    throw std::bad_alloc();
  }
  void* p = std::malloc(size != 0 ? size : 1);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

// The other forms are replaced too: a sanitizer runtime brings its own, which would bypass the
// one above.
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
// NOLINTEND(cppcoreguidelines-owning-memory)

namespace mojiwa_test {

FailAllocation::FailAllocation(long nth) {
  countdown = nth;
  fired = false;
}

FailAllocation::~FailAllocation() { countdown = 0; }

bool FailAllocation::Fired() const { return fired; }

TempFile::TempFile(const std::string& bytes) {
  std::string pattern = ::testing::TempDir() + "mojiwa-conf-XXXXXX";
  const int fd = mkstemp(&pattern[0]);
  if (fd < 0) {
    ADD_FAILURE() << "mkstemp " << pattern;
    return;
  }
  close(fd);
  path_ = pattern;
  std::ofstream out(path_, std::ios::binary);
  out << bytes;
  if (!out) ADD_FAILURE() << "cannot write " << path_;
}

TempFile::~TempFile() {
  if (!path_.empty()) std::remove(path_.c_str());
}

int OpenFileCount() {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int count = 0;
  while (readdir(dir) != nullptr) ++count;
  closedir(dir);
  return count;
}

}  // namespace mojiwa_test
