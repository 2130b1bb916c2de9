// Where converted bytes go. A Target is a buffer that the block converters write into directly
// (room contract: Room() counts the byte of the NUL they leave); when it fills, Overflow() hands
// its bytes on (to a file descriptor, or to the width stage) and empties it.
#ifndef MOJIWA_TOOLS_OUTPUT_H
#define MOJIWA_TOOLS_OUTPUT_H

#include <cstddef>
#include <memory>
#include <string>

namespace mojiwa {
namespace filter {

// Thrown when the output cannot be written; ends the run with status 1.
struct WriteFailure {
  int err;
};

class Target {
 public:
  // After Overflow() at least this many bytes are free: more than any converter step needs.
  static constexpr std::size_t kMinRoom = 64;

  explicit Target(std::size_t capacity);
  virtual ~Target() = default;
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  char* Pos() const { return cur_; }
  unsigned long Room() const { return static_cast<unsigned long>(end_ - cur_); }
  // Takes the position a converter left (on its NUL).
  void Advance(char* pos) { cur_ = pos; }
  // Copies bytes, overflowing as often as needed.
  void Put(const char* data, std::size_t size);
  void Put(char byte);
  // Makes sure that `size` bytes (at most kMinRoom) are free.
  void Reserve(std::size_t size) {
    if (Room() < size) Overflow();
  }
  // Hands the bytes held so far on and empties the buffer.
  virtual void Overflow() = 0;
  // The end of one input: hands everything on, also a partial last line.
  virtual void EndOfInput() { Overflow(); }

 protected:
  char* begin() const { return begin_; }
  std::size_t used() const { return static_cast<std::size_t>(cur_ - begin_); }
  void Rewind(std::size_t keep);  // keeps the last `keep` bytes, moved to the front

 private:
  std::unique_ptr<char[]> storage_;
  char* begin_;
  char* cur_;
  char* end_;
};

// Buffered write(2) to a file descriptor; throws WriteFailure.
class FdWriter : public Target {
 public:
  explicit FdWriter(int fd, std::size_t capacity = std::size_t{256} * 1024);
  void Overflow() override;

 private:
  int fd_;
};

// Collects everything written, for tests.
class StringWriter : public Target {
 public:
  explicit StringWriter(std::size_t capacity = 4096) : Target(capacity) {}
  void Overflow() override;
  const std::string& text() const { return text_; }

 private:
  std::string text_;
};

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_OUTPUT_H
