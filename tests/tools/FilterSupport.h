// Support for the filter's tests: running the built binary with given input and environment,
// and the library's own conversion of a whole text or stream, to compare with.
#ifndef MOJIWA_TESTS_TOOLS_FILTERSUPPORT_H
#define MOJIWA_TESTS_TOOLS_FILTERSUPPORT_H

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "Options.h"
#include "support/TestSupport.h"

extern char** environ;

namespace mojiwa_test {

struct RunResult {
  int status = -1;  // exit status; 128 + signal when killed
  std::string out;
  std::size_t out_size = 0;
  std::string err;
  long peak_kb = 0;  // the child's peak resident size when its input was all written
};

struct RunOptions {
  std::string input;                  // fed on standard input
  std::vector<std::string> env;       // NAME=value entries added to the environment
  const char* stdout_path = nullptr;  // standard output opened on this file instead of a pipe
  bool discard_output = false;        // count the output bytes only
};

// Runs a program (looked up in PATH) with `args`.
inline RunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                            const RunOptions& options) {
  const std::string& input = options.input;
  RunResult result;
  int in[2], out[2], err[2];
  if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  if (options.stdout_path != nullptr) {
    posix_spawn_file_actions_addopen(&actions, 1, options.stdout_path, O_WRONLY, 0);
  } else {
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  }
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
    posix_spawn_file_actions_addclose(&actions, fd);

  std::vector<std::string> argv_text{program};
  argv_text.insert(argv_text.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : argv_text) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  std::vector<std::string> env_text(options.env);  // first: getenv takes the first of a name
  for (char** e = environ; *e != nullptr; ++e) env_text.push_back(*e);
  std::vector<char*> envp;
  for (std::string& e : env_text) envp.push_back(&e[0]);
  envp.push_back(nullptr);

  pid_t pid;
  const int rc = posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (rc != 0) {
    ADD_FAILURE() << "posix_spawn " << program << ": " << rc;
    close(in[1]);
    close(out[0]);
    close(err[0]);
    return result;
  }
  // The child may stop reading early: no SIGPIPE for the test.
  signal(SIGPIPE, SIG_IGN);
  std::size_t written = 0;
  int to_child = in[1];
  fcntl(to_child, F_SETFL, O_NONBLOCK);  // never block on the child's input while it writes
  if (input.empty()) {
    close(to_child);
    to_child = -1;
  }
  char block[65536];
  while (out[0] >= 0 || err[0] >= 0) {
    pollfd fds[3] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}, {to_child, POLLOUT, 0}};
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      const ssize_t got = read(fds[i].fd, block, sizeof block);
      if (got > 0) {
        if (i == 0) result.out_size += static_cast<std::size_t>(got);
        if (i == 1 || !options.discard_output)
          (i == 0 ? result.out : result.err).append(block, static_cast<std::size_t>(got));
      } else {
        close(fds[i].fd);
        (i == 0 ? out[0] : err[0]) = -1;
      }
    }
    if (to_child >= 0 && (fds[2].revents & (POLLOUT | POLLERR | POLLHUP)) != 0) {
      const ssize_t put = write(to_child, input.data() + written, input.size() - written);
      if (put > 0) written += static_cast<std::size_t>(put);
      const bool stopped = put < 0 && errno != EAGAIN;  // the child stopped reading
      if (stopped || written == input.size()) {
        // The peak of the child's own memory since exec (ru_maxrss would include the pages of
        // this process, which the child shared until exec).
        std::FILE* status = std::fopen(("/proc/" + std::to_string(pid) + "/status").c_str(), "r");
        char line[256];
        while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr)
          if (std::sscanf(line, "VmHWM: %ld", &result.peak_kb) == 1) break;
        if (status != nullptr) std::fclose(status);
        close(to_child);
        to_child = -1;
      }
    }
  }
  if (to_child >= 0) close(to_child);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

// Runs the built filter.
inline RunResult RunFilter(const std::vector<std::string>& args, const RunOptions& options) {
  return RunProgram(MOJIWA_FILTER_BIN, args, options);
}

inline RunResult RunFilter(const std::vector<std::string>& args, const std::string& input = "") {
  RunOptions options;
  options.input = input;
  return RunFilter(args, options);
}

// The library's conversion of a whole text, with the switches of an object.
struct Switches {
  bool kana_to_zen = false;
  bool crlf = false;
  bool keep_kana = false;
};

inline std::string LibraryConvert(const std::string& text, CKanji::EMODE from, CKanji::EMODE to,
                                  Switches s = {}) {
  CKanji object(to, from, true, s.kana_to_zen, s.crlf, s.keep_kana,
                static_cast<unsigned long>(text.size() * 2 + 1024));
  object = text.c_str();
  return std::string(object.GetBuff(), object.GetSize());
}

// The library reading a file line by line (operator=(FILE*)), as the filter reads its input.
inline std::string LibraryRead(const std::string& path, CKanji::EMODE from, CKanji::EMODE to,
                               Switches s = {}, CKanji::EMODE* fixed = nullptr) {
  CKanji object(to, from, true, s.kana_to_zen, s.crlf, s.keep_kana, 16UL << 20);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot open " << path;
    return std::string();
  }
  object = file;
  std::fclose(file);
  if (fixed != nullptr) *fixed = object.GetModeInput();
  return std::string(object.GetBuff(), object.GetSize());
}

// What the library's width and case operations make of a whole text in an object of the code,
// in the filter's order.
inline std::string LibraryWidth(const std::string& text, CKanji::EMODE code,
                                const mojiwa::filter::Options& o) {
  CKanji object(code, code, true, o.kana_to_zen, o.crlf, o.keep_kana,
                static_cast<unsigned long>(text.size() * 2 + 1024));
  object = text.c_str();
  const mojiwa::filter::WidthClasses& z = o.zen2han;
  const mojiwa::filter::WidthClasses& h = o.han2zen;
  if (z.Any()) object.zen2han(z.digit, z.alpha, z.kata, z.mark, z.hira);
  if (h.Any()) object.han2zen(h.digit, h.alpha, h.kata, h.mark, h.hira);
  if (o.upper.Any()) object.ToUpper(o.upper.zen, o.upper.han);
  if (o.lower.Any()) object.ToLower(o.lower.zen, o.lower.han);
  return std::string(object.GetBuff(), object.GetSize());
}

// The Shift_JIS text that well-formed EUC-JP with single shifts stands for: pairs by the
// library's arithmetic, SS2 katakana as the bare byte, SS3 characters as the geta mark.
inline std::string SjisOf(const std::string& euc) {
  std::string sjis;
  for (std::size_t i = 0; i < euc.size();) {
    const unsigned char b = static_cast<unsigned char>(euc[i]);
    if (b == 0x8E) {
      sjis += euc[i + 1];
      i += 2;
    } else if (b == 0x8F) {
      sjis += "\x81\xAC";
      i += 3;
    } else if (b >= 0xA1) {
      char pair[2];
      const char* src = euc.data() + i;
      char* dst = pair;
      CKanji::euc2sjis(src, dst);
      sjis.append(pair, 2);
      i += 2;
    } else {
      sjis += euc[i++];
    }
  }
  return sjis;
}

// The options that the filter would take from `args`.
inline mojiwa::filter::Options ParsedOptions(std::vector<std::string> args) {
  args.insert(args.begin(), "mojiwa");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  const mojiwa::filter::ParseResult parsed =
      mojiwa::filter::ParseOptions(static_cast<int>(args.size()), argv.data());
  EXPECT_TRUE(parsed.ok) << parsed.error;
  return parsed.options;
}

// A file under the test's temporary folder holding `bytes`; returns its path.
inline std::string WriteTempFile(const std::string& name, const std::string& bytes) {
  const std::string path = ::testing::TempDir() + "mojiwa-" + name;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    ADD_FAILURE() << "cannot write " << path;
    return path;
  }
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return path;
}

// Reports a mismatch by its first differing byte instead of dumping megabytes.
inline ::testing::AssertionResult SameBytes(const std::string& expected, const std::string& got) {
  if (expected == got) return ::testing::AssertionSuccess();
  std::size_t at = 0;
  while (at < expected.size() && at < got.size() && expected[at] == got[at]) ++at;
  const std::size_t from = at < 16 ? 0 : at - 16;
  return ::testing::AssertionFailure()
         << "sizes " << expected.size() << " and " << got.size() << ", first difference at byte "
         << at << "\n  expected: " << Hex(expected.substr(from, 40))
         << "\n  got:      " << Hex(got.substr(from, 40));
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_TOOLS_FILTERSUPPORT_H
