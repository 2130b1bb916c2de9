// The reading loop of one input. While the code is undecided, text that every possible outcome
// writes unchanged (the "neutral" bytes, usually plain ASCII) goes out at once; from the first
// other byte on, the text is held (in the buffer, then in a temporary file) until a line decides
// the code, and is then converted from the start; if no line decides, it is copied as it is, as
// the library copies undecided text.
#include "FileFilter.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "Framing.h"
#include "codes/ByteClass.h"

namespace mojiwa {
namespace filter {
namespace {

using detail::kEsc;
using detail::kSi;
using detail::kSo;
constexpr unsigned char kCr = 0x0D;
constexpr unsigned char kLf = 0x0A;

bool IsAsciiMark(unsigned char b) {
  return (b >= 0x20 && b <= 0x2F) || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x60) ||
         (b >= 0x7B && b <= 0x7E);
}

// The bytes that come out the same whichever code the input turns out to be in (or none), each
// as a step of its own that leaves the converters' state as it was.
void FindNeutralBytes(const Options& o, bool* neutral) {
  for (int b = 0; b < 256; ++b) neutral[b] = true;
  if (o.to == CKanji::EMODE_AUTO && !o.HasWidthOps()) {
    // Every outcome writes the input's own code, by a plain copy, except that EUC-JP input
    // has its single shifts read.
    neutral[kSs2] = neutral[kSs3] = false;
    return;
  }
  for (int b = 0x80; b < 256; ++b) neutral[b] = false;
  // Escape sequences and shift codes steer a JIS reader.
  neutral[kEsc] = neutral[kSo] = neutral[kSi] = false;
  // CR is dropped on the way to EUC-JP from the other codes (and by the width operations on an
  // EUC-JP object); --crlf adds one before LF on the way out of EUC-JP.
  if (o.to == CKanji::EMODE_EUC || o.to == CKanji::EMODE_AUTO) neutral[kCr] = false;
  if (o.crlf && (o.to == CKanji::EMODE_SJIS || o.to == CKanji::EMODE_JIS)) neutral[kLf] = false;
  // Without --to, han2zen writes full-width forms in the code still to be found.
  const WidthClasses& h = o.han2zen;
  if (o.to == CKanji::EMODE_AUTO) {
    for (int b = 0x20; b < 0x7F; ++b) {
      const bool digit = b >= '0' && b <= '9';
      const bool alpha = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
      if ((h.digit && digit) || (h.alpha && alpha) || (h.mark && IsAsciiMark(b)))
        neutral[b] = false;
    }
  }
}

}  // namespace

long FdSource::Read(unsigned char* dst, std::size_t size) {
  if (limit_ != 0 && size > limit_) size = limit_;
  for (;;) {
    const ssize_t got = ::read(fd_, dst, size);
    if (got >= 0 || errno != EINTR) return static_cast<long>(got);
  }
}

SpillFile::~SpillFile() {
  if (fd_ >= 0) ::close(fd_);
}

void SpillFile::Write(const unsigned char* data, std::size_t size) {
  if (fd_ < 0) {
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/mojiwaXXXXXX";
    fd_ = ::mkstemp(&path[0]);
    if (fd_ < 0) throw std::system_error(errno, std::generic_category(), "temporary file");
    ::unlink(path.c_str());
  }
  while (size != 0) {
    const ssize_t put = ::pwrite(fd_, data, size, static_cast<off_t>(size_));
    if (put < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "temporary file");
    }
    data += put;
    size -= static_cast<std::size_t>(put);
    size_ += static_cast<std::size_t>(put);
  }
}

std::size_t SpillFile::Read(unsigned char* dst, std::size_t size) {
  if (size > size_ - read_) size = size_ - read_;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = ::pread(fd_, dst + done, size - done, static_cast<off_t>(read_ + done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0)
      throw std::system_error(got < 0 ? errno : EIO, std::generic_category(), "temporary file");
    done += static_cast<std::size_t>(got);
  }
  read_ += done;
  return done;
}

FileFilter::FileFilter(const Options& options, Target& out)
    : options_(options),
      target_(&out),
      buffer_(std::make_unique<unsigned char[]>(kBufferSize + 1)) {  // + 1: the converters' NUL
  FindNeutralBytes(options, neutral_);
  if (options.HasWidthOps()) {
    // Until the code is known, the stage sees only text that reads the same in every code;
    // text that stays undecided is taken as Shift_JIS, the library's default code.
    CKanji::EMODE code = options.to != CKanji::EMODE_AUTO     ? options.to
                         : options.from != CKanji::EMODE_AUTO ? options.from
                                                              : CKanji::EMODE_SJIS;
    width_ = std::make_unique<WidthStage>(options, code, out);
    target_ = width_.get();
  }
}

void FileFilter::Reset() {
  converter_.reset();
  have_ = 0;
  line_.Finish();
  scanned_ = 0;
  holding_ = false;
  spill_.Clear();
  geta_count_ = 0;
  if (width_ && options_.to == CKanji::EMODE_AUTO && options_.from == CKanji::EMODE_AUTO)
    width_->SetCode(CKanji::EMODE_SJIS);
}

int FileFilter::Run(Source& in) {
  Reset();
  if (options_.from != CKanji::EMODE_AUTO) Decide(options_.from);
  int err = 0;
  bool eof = false;
  while (!eof) {
    const long got = in.Read(buffer_.get() + have_, kBufferSize - have_);
    if (got < 0) err = errno;
    eof = got <= 0;  // after a read error, what was read is converted as if it were all
    if (got > 0) have_ += static_cast<std::size_t>(got);
    if (!converter_) Detect(eof);
    if (converter_) {
      Pump(eof);
    } else if (eof) {
      ReleaseUndecided();
    } else {
      Hold();
    }
  }
  if (converter_) {
    converter_->Finish();
    geta_count_ = converter_->geta_count();
  }
  target_->EndOfInput();
  return err;
}

void FileFilter::Drop(std::size_t size) {
  std::memmove(buffer_.get(), buffer_.get() + size, have_ - size);
  have_ -= size;
  scanned_ = scanned_ > size ? scanned_ - size : 0;
}

// Feeds the lines not yet seen to the detector; the first line with a definite answer decides.
void FileFilter::Detect(bool eof) {
  while (scanned_ < have_) {
    const unsigned char* line = buffer_.get() + scanned_;
    const void* lf = std::memchr(line, '\n', have_ - scanned_);
    const std::size_t end =
        lf != nullptr
            ? static_cast<std::size_t>(static_cast<const unsigned char*>(lf) - buffer_.get()) + 1
            : have_;
    line_.Feed(line, end - scanned_);
    scanned_ = end;
    // An escape sequence makes the line JIS whatever else it holds.
    if (line_.Decided()) return Decide(CKanji::EMODE_JIS);
    if (lf != nullptr) {
      const CKanji::EMODE code = line_.Finish();
      if (code != CKanji::EMODE_AUTO) return Decide(code);
    }
  }
  if (eof) {  // a last line without LF counts too
    const CKanji::EMODE code = line_.Finish();
    if (code != CKanji::EMODE_AUTO) Decide(code);
  }
}

void FileFilter::Decide(CKanji::EMODE code) {
  ConvertSettings settings;
  settings.from = code;
  settings.to = options_.to != CKanji::EMODE_AUTO ? options_.to : code;
  settings.crlf = options_.crlf;
  settings.keep_kana = options_.keep_kana;
  settings.kana_to_zen = options_.kana_to_zen;
  converter_ = std::make_unique<Converter>(settings, *target_);
  if (width_) width_->SetCode(settings.to);
  if (spill_.size() == 0) return;

  // The held text is converted from its start: the spilled part first, then the buffer's.
  spill_.Write(buffer_.get(), have_);
  have_ = 0;
  for (;;) {
    const std::size_t got = spill_.Read(buffer_.get() + have_, kBufferSize - have_);
    if (got == 0) break;
    have_ += got;
    Pump(false);
  }
  spill_.Clear();
}

void FileFilter::Pump(bool last) {
  std::size_t used = converter_->Feed(buffer_.get(), have_, last);
  // A full buffer always holds a cut; should one ever not, converting all of it keeps going.
  if (used == 0 && have_ == kBufferSize) used = converter_->Feed(buffer_.get(), have_, true);
  Drop(used);
}

void FileFilter::Hold() {
  if (!holding_) {
    std::size_t size = 0;
    while (size < have_ && neutral_[buffer_[size]]) ++size;
    target_->Put(reinterpret_cast<const char*>(buffer_.get()), size);
    Drop(size);
    holding_ = have_ != 0;
  }
  if (have_ == kBufferSize) {
    spill_.Write(buffer_.get(), have_);
    Drop(have_);
  }
}

void FileFilter::ReleaseUndecided() {
  if (spill_.size() != 0) {
    spill_.Write(buffer_.get(), have_);
    Drop(have_);
    while (const std::size_t got = spill_.Read(buffer_.get(), kBufferSize))
      target_->Put(reinterpret_cast<const char*>(buffer_.get()), got);
    spill_.Clear();
  }
  target_->Put(reinterpret_cast<const char*>(buffer_.get()), have_);
  Drop(have_);
}

int GuessCode(Source& in, CKanji::EMODE* code) {
  StreamDetector detector;
  auto buffer = std::make_unique<unsigned char[]>(FileFilter::kBufferSize);
  int err = 0;
  while (!detector.Decided()) {
    const long got = in.Read(buffer.get(), FileFilter::kBufferSize);
    if (got < 0) err = errno;
    if (got <= 0) break;
    detector.Feed(buffer.get(), static_cast<std::size_t>(got));
  }
  *code = detector.Finish();
  return err;
}

}  // namespace filter
}  // namespace mojiwa
