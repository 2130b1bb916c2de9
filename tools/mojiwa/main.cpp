// mojiwa: converts Japanese text between Shift_JIS, EUC-JP and 7-bit JIS, and between widths.
// Exit status 0 when every input was read and the output written, 1 otherwise, 2 for a usage
// error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "ConfMode.h"
#include "FileFilter.h"
#include "Messages.h"
#include "Options.h"
#include "Output.h"

namespace {

using mojiwa::filter::Options;

// The filter's own objects hold a few pieces of 32 KiB at most; --conf holds a whole file.
constexpr unsigned long kMemLimit = 64UL * 1024 * 1024;

const char* const kStdin = "-";

std::string DisplayName(const std::string& name) {
  return name == kStdin ? std::string("standard input") : name;
}

// True (after reporting) when the input is the file that -o names: it would be truncated first.
bool IsOutput(const std::string& name, const struct stat& output) {
  struct stat st;
  const int rc = name == kStdin ? ::fstat(STDIN_FILENO, &st) : ::stat(name.c_str(), &st);
  if (rc != 0 || !S_ISREG(st.st_mode) || st.st_dev != output.st_dev || st.st_ino != output.st_ino) {
    return false;
  }
  mojiwa::filter::Report(DisplayName(name), "input file is the output file");
  return true;
}

int Convert(const Options& options, const std::string& name, mojiwa::filter::FileFilter& filter) {
  using mojiwa::filter::Report;
  const int fd = name == kStdin ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    Report(name, mojiwa::filter::ErrorText(errno));
    return 1;
  }
  int status = 0;
  try {
    mojiwa::filter::FdSource in(fd, options.read_size);
    const int err = filter.Run(in);
    if (err != 0) {
      Report(DisplayName(name), mojiwa::filter::ErrorText(err));
      status = 1;
    }
    if (filter.geta_count() != 0) {
      Report(DisplayName(name), std::to_string(filter.geta_count()) +
                                    " JIS X 0212 character(s) written as the geta mark");
    }
  } catch (const CThrowErr& error) {
    mojiwa::filter::ReportLibraryError(DisplayName(name), error);
    status = 1;
  } catch (const std::system_error& error) {
    Report(DisplayName(name), error.what());
    status = 1;
  }
  if (fd != STDIN_FILENO) ::close(fd);
  return status;
}

int Guess(const Options& options, const std::string& name, mojiwa::filter::Target& out) {
  const int fd = name == kStdin ? STDIN_FILENO : ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    mojiwa::filter::Report(name, mojiwa::filter::ErrorText(errno));
    return 1;
  }
  mojiwa::filter::FdSource in(fd, options.read_size);
  CKanji::EMODE code;
  const int err = mojiwa::filter::GuessCode(in, &code);
  if (fd != STDIN_FILENO) ::close(fd);
  if (err != 0) {
    mojiwa::filter::Report(DisplayName(name), mojiwa::filter::ErrorText(err));
    return 1;
  }
  const std::string line = name + ": " + mojiwa::filter::GuessName(code) + "\n";
  out.Put(line.data(), line.size());
  return 0;
}

int Run(const Options& options) {
  using mojiwa::filter::Mode;
  using mojiwa::filter::Report;
  const std::vector<std::string> inputs =
      options.inputs.empty() ? std::vector<std::string>{kStdin} : options.inputs;

  int out_fd = STDOUT_FILENO;
  if (!options.output.empty()) {
    // Opening the output truncates it: an input that is the output file must be refused first.
    struct stat st;
    if (::stat(options.output.c_str(), &st) == 0) {
      bool clash = false;
      for (const std::string& name : inputs) clash = IsOutput(name, st) || clash;
      if (clash) return 1;
    }
    out_fd = ::open(options.output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out_fd < 0) {
      Report(options.output, mojiwa::filter::ErrorText(errno));
      return 1;
    }
  }
  const std::string out_name = options.output.empty() ? "write error" : options.output;
  // Standard output appended to an input file would make that input grow as it is read.
  struct stat out_st;
  const bool out_regular =
      options.output.empty() && ::fstat(out_fd, &out_st) == 0 && S_ISREG(out_st.st_mode);

  int status = 0;
  try {
    mojiwa::filter::FdWriter out(out_fd);
    switch (options.mode) {
      case Mode::kHelp:
        out.Put(mojiwa::filter::HelpText(), std::strlen(mojiwa::filter::HelpText()));
        break;
      case Mode::kVersion:
        out.Put(mojiwa::filter::VersionText(), std::strlen(mojiwa::filter::VersionText()));
        break;
      case Mode::kList: {
        const std::string list = mojiwa::filter::ListText();
        out.Put(list.data(), list.size());
        break;
      }
      case Mode::kGuess:
        for (const std::string& name : inputs) status |= Guess(options, name, out);
        break;
      case Mode::kConf:
        for (const std::string& name : inputs)
          status |= mojiwa::filter::PrintConf(options, name, out);
        break;
      case Mode::kConvert: {
        mojiwa::filter::FileFilter filter(options, out);
        for (const std::string& name : inputs) {
          status |= out_regular && IsOutput(name, out_st) ? 1 : Convert(options, name, filter);
        }
        break;
      }
    }
    out.Overflow();
  } catch (const mojiwa::filter::WriteFailure& failure) {
    Report(out_name, mojiwa::filter::ErrorText(failure.err));
    status = 1;
  }
  if (out_fd != STDOUT_FILENO && ::close(out_fd) != 0 && status == 0) {
    Report(out_name, mojiwa::filter::ErrorText(errno));
    status = 1;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_CTYPE, "");  // only for the charset of messages
  const mojiwa::filter::ParseResult parsed = mojiwa::filter::ParseOptions(argc, argv);
  if (!parsed.ok) {
    if (!parsed.error.empty()) mojiwa::filter::Report("", parsed.error);
    std::fputs(mojiwa::filter::UsageHint(), stderr);
    return 2;
  }
  CKanji::SetMemLimit(kMemLimit);
  try {
    return Run(parsed.options);
  } catch (const CThrowErr& error) {
    mojiwa::filter::ReportLibraryError("", error);
  } catch (const std::bad_alloc&) {
    mojiwa::filter::Report("", "out of memory");
  }
  return 1;
}
