// ReadConf opens its file by path, so standard input is first copied to a temporary file. Without
// --to the entries keep the file's code, found as the reader finds it (the first line that
// decides), or Shift_JIS when nothing decides.
#include "ConfMode.h"

#include <fcntl.h>
#include <mojiwa/KanjiHash.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "Detector.h"
#include "FileFilter.h"
#include "Messages.h"

namespace mojiwa {
namespace filter {
namespace {

// Closes a descriptor on every way out.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// The code that line-by-line detection fixes for the file, or Shift_JIS.
int DetectByLines(int fd, CKanji::EMODE* code) {
  StreamDetector line;
  auto buffer = std::make_unique<unsigned char[]>(FileFilter::kBufferSize);
  *code = CKanji::EMODE_AUTO;
  for (;;) {
    const ssize_t got = ::read(fd, buffer.get(), FileFilter::kBufferSize);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return errno;
    const unsigned char* p = buffer.get();
    const unsigned char* end = p + got;
    while (p < end) {
      const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
      const unsigned char* stop = lf != nullptr ? static_cast<const unsigned char*>(lf) + 1 : end;
      line.Feed(p, static_cast<std::size_t>(stop - p));
      p = stop;
      if (line.Decided() || lf != nullptr) {
        const CKanji::EMODE found = line.Finish();
        if (found != CKanji::EMODE_AUTO) {
          *code = found;
          return 0;
        }
      }
    }
    if (got == 0) {
      *code = line.Finish();
      return 0;
    }
  }
}

// Copies standard input into an unlinked temporary file, readable by path through /proc.
int CopyStdin(Fd* copy, std::string* path) {
  const char* dir = std::getenv("TMPDIR");
  std::string name = std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp") + "/mojiwaXXXXXX";
  copy->fd = ::mkstemp(&name[0]);
  if (copy->fd < 0) return errno;
  ::unlink(name.c_str());
  auto buffer = std::make_unique<unsigned char[]>(FileFilter::kBufferSize);
  FdSource in(STDIN_FILENO);
  for (;;) {
    const long got = in.Read(buffer.get(), FileFilter::kBufferSize);
    if (got < 0) return errno;
    if (got == 0) break;
    for (long done = 0; done < got;) {
      const ssize_t put =
          ::write(copy->fd, buffer.get() + done, static_cast<std::size_t>(got - done));
      if (put < 0 && errno == EINTR) continue;
      if (put < 0) return errno;
      done += put;
    }
  }
  *path = "/proc/self/fd/" + std::to_string(copy->fd);
  return 0;
}

}  // namespace

int PrintConf(const Options& options, const std::string& name, Target& out) {
  Fd copy;
  std::string path = name;
  if (name == "-") {
    const int err = CopyStdin(&copy, &path);
    if (err != 0) {
      Report(name, ErrorText(err));
      return 1;
    }
  }

  CKanji::EMODE code = options.to;
  if (code == CKanji::EMODE_AUTO) {
    code = options.from;
    if (code == CKanji::EMODE_AUTO) {
      Fd file;
      file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      const int err = file.fd < 0 ? errno : DetectByLines(file.fd, &code);
      if (err != 0) {
        Report(name, ErrorText(err));
        return 1;
      }
    }
    if (code == CKanji::EMODE_AUTO) code = CKanji::EMODE_SJIS;
  }

  const CKanji reader(code, options.from, true, options.kana_to_zen, options.crlf,
                      options.keep_kana);
  CKanjiHash entries;
  try {
    reader.ReadConf(path.c_str(), entries);
  } catch (const CThrowErr& error) {
    ReportLibraryError(name, error);
    return 1;
  }

  // A JIS reader stores Shift_JIS text; each line is converted into the output code whole.
  std::string line;
  CKanjiIterator it;
  for (it = entries.Begin(); it != entries.End(); ++it) {
    const CKanji& key = it.Key();
    line.assign(key.GetBuff(), key.GetSize());
    line += '=';
    line.append(it.Value().GetBuff(), it.Value().GetSize());
    line += '\n';
    CKanji text(code, key.GetModeOutput(), true, options.kana_to_zen, options.crlf,
                options.keep_kana);
    text = line.c_str();
    out.Put(text.GetBuff(), text.GetSize());
  }
  return 0;
}

}  // namespace filter
}  // namespace mojiwa
