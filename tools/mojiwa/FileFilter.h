// One input through the filter: reading in large blocks, detecting the input code line by line
// when it is not given (the first line that decides fixes it, and the text before that line is
// converted from it too), code conversion, and the width stage when asked for.
#ifndef MOJIWA_TOOLS_FILEFILTER_H
#define MOJIWA_TOOLS_FILEFILTER_H

#include <mojiwa/Kanji.h>

#include <cstddef>
#include <memory>

#include "Converter.h"
#include "Detector.h"
#include "Options.h"
#include "Output.h"
#include "WidthStage.h"

namespace mojiwa {
namespace filter {

class Source {
 public:
  virtual ~Source() = default;
  // Reads up to `size` bytes: the count, 0 at the end, -1 (errno set) on an error.
  virtual long Read(unsigned char* dst, std::size_t size) = 0;
};

// read(2) on a descriptor, at most `limit` bytes at a time (0: no limit of its own).
class FdSource : public Source {
 public:
  explicit FdSource(int fd, std::size_t limit = 0) : fd_(fd), limit_(limit) {}
  long Read(unsigned char* dst, std::size_t size) override;

 private:
  int fd_;
  std::size_t limit_;
};

// Undecided text beyond the read buffer waits in an unlinked temporary file, so that memory
// stays bounded whatever comes before the first line that decides the code.
class SpillFile {
 public:
  SpillFile() = default;
  ~SpillFile();
  SpillFile(const SpillFile&) = delete;
  SpillFile& operator=(const SpillFile&) = delete;

  std::size_t size() const { return size_; }
  // Appends; throws std::system_error.
  void Write(const unsigned char* data, std::size_t size);
  // Reads back what was written, from the start; 0 once all is read.
  std::size_t Read(unsigned char* dst, std::size_t size);
  // Forgets the contents.
  void Clear() { size_ = read_ = 0; }

 private:
  int fd_ = -1;
  std::size_t size_ = 0;
  std::size_t read_ = 0;
};

class FileFilter {
 public:
  static constexpr std::size_t kBufferSize = std::size_t{128} * 1024;

  // `out` receives the converted text of every input run through this filter.
  FileFilter(const Options& options, Target& out);

  // Converts one input. Returns 0, or the errno of a failed read (what was read before the
  // failure is converted and written). Throws WriteFailure, CThrowErr, std::system_error.
  int Run(Source& in);
  // JIS X 0212 characters of the last input written as the geta mark.
  unsigned long geta_count() const { return geta_count_; }

 private:
  void Reset();
  void Detect(bool eof);
  void Decide(CKanji::EMODE code);
  void Pump(bool last);
  void Hold();
  void ReleaseUndecided();
  void Drop(std::size_t size);

  const Options& options_;
  std::unique_ptr<WidthStage> width_;
  Target* target_;
  std::unique_ptr<Converter> converter_;
  std::unique_ptr<unsigned char[]> buffer_;
  std::size_t have_ = 0;
  bool neutral_[256];
  StreamDetector line_;
  std::size_t scanned_ = 0;
  bool holding_ = false;
  SpillFile spill_;
  unsigned long geta_count_ = 0;
};

// CKanji::CheckCode of the whole input, read in blocks. Returns 0 or the errno of a failed read.
int GuessCode(Source& in, CKanji::EMODE* code);

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_FILEFILTER_H
