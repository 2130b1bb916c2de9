// Support for the dictionary tests: the entries of a dictionary as bytes, the settings of a
// stored object, temporary files and the count of open files.
#ifndef MOJIWA_TESTS_DICTIONARY_SUPPORT_H
#define MOJIWA_TESTS_DICTIONARY_SUPPORT_H

#include <mojiwa/KanjiHash.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

namespace mojiwa_test {

// Key and value bytes of every entry, in walking order.
using EntryList = std::vector<std::pair<std::string, std::string>>;

inline EntryList Entries(const CKanjiHash& dict) {
  EntryList out;
  CKanjiIterator it;
  for (it = dict.Begin(); it != dict.End(); ++it)
    out.emplace_back(it.Key().GetBuff(), it.Value().GetBuff());
  return out;
}

// The same as "key=value key=value", for short expectations.
inline std::string Flat(const CKanjiHash& dict) {
  std::string out;
  for (const auto& e : Entries(dict)) out += (out.empty() ? "" : " ") + e.first + "=" + e.second;
  return out;
}

// Everything that CopyConf copies; with the output code given, that one in place of the object's.
inline auto Settings(const CKanji& k, CKanji::EMODE output = CKanji::EMODE_AUTO) {
  const Probe p(k, false);
  return std::make_tuple(output != CKanji::EMODE_AUTO ? output : p.GetModeOutput(),
                         p.GetModeInput(), p.FixInput(), p.KanaToZen(), p.CrLf(), p.KeepKana(),
                         p.GrowSize());
}

// A file with the given bytes in the test's temporary folder, removed when the scope ends.
class TempFile {
 public:
  explicit TempFile(const std::string& bytes) : path_(::testing::TempDir() + "mojiwa-XXXXXX") {
    const int fd = mkstemp(&path_[0]);
    EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())) << path_;
    close(fd);
  }
  ~TempFile() { std::remove(path_.c_str()); }
  const char* Path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// Open file descriptors of the process: the same before and after a call that must close its file.
inline long OpenFileCount() {
  return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
}

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_DICTIONARY_SUPPORT_H
