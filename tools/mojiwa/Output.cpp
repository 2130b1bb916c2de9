// The output buffers: direct writes by the converters, large write(2) calls.
#include "Output.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace mojiwa {
namespace filter {

Target::Target(std::size_t capacity)
    : storage_(std::make_unique<char[]>(capacity + kMinRoom + 1)),  // + 1: a NUL after it all
      begin_(storage_.get()),
      cur_(begin_),
      end_(begin_ + capacity + kMinRoom) {}

void Target::Put(const char* data, std::size_t size) {
  while (size != 0) {
    if (Room() == 0) Overflow();
    const std::size_t step = size < Room() ? size : Room();
    std::memcpy(cur_, data, step);
    cur_ += step;
    data += step;
    size -= step;
  }
}

void Target::Put(char byte) {
  if (Room() == 0) Overflow();
  *cur_++ = byte;
}

void Target::Rewind(std::size_t keep) {
  const std::size_t size = used();
  if (keep != 0 && keep != size) std::memmove(begin_, cur_ - keep, keep);
  cur_ = begin_ + keep;
}

FdWriter::FdWriter(int fd, std::size_t capacity) : Target(capacity), fd_(fd) {}

void FdWriter::Overflow() {
  const char* data = begin();
  std::size_t size = used();
  while (size != 0) {
    const ssize_t written = ::write(fd_, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      throw WriteFailure{errno};
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  Rewind(0);
}

void StringWriter::Overflow() {
  text_.append(begin(), used());
  Rewind(0);
}

}  // namespace filter
}  // namespace mojiwa
