// Support for the dictionary and configuration reader tests: the entries of a dictionary as
// bytes, the settings of a stored object, temporary files, and an allocation that fails on
// request (the replacement operator new lives in tests/dictionary/FailingNew.cpp).
#ifndef MOJIWA_TESTS_DICTIONARY_SUPPORT_H
#define MOJIWA_TESTS_DICTIONARY_SUPPORT_H

#include <mojiwa/KanjiHash.h>

#include <string>
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

inline std::string Dump(const EntryList& entries) {
  std::string out;
  for (const auto& e : entries) out += "[" + Hex(e.first) + " = " + Hex(e.second) + "] ";
  return out;
}

// A Shift_JIS object holding the given bytes unconverted.
inline CKanji SjisKey(const std::string& bytes) {
  return CKanji(bytes.c_str(), CKanji::EMODE_SJIS, CKanji::EMODE_SJIS);
}

// Everything that CopyConf copies, read through a settings-only copy (no text, no buffer).
struct Settings {
  CKanji::EMODE output;
  CKanji::EMODE input;
  bool fix_input, kana_to_zen, cr_lf, keep_kana;
  unsigned long grow_size;

  static Settings Of(const CKanji& k) {
    const Probe p(k, false);
    return {p.GetModeOutput(), p.GetModeInput(), p.FixInput(), p.KanaToZen(),
            p.CrLf(),          p.KeepKana(),     p.GrowSize()};
  }
  bool operator==(const Settings& o) const {
    return output == o.output && input == o.input && fix_input == o.fix_input &&
           kana_to_zen == o.kana_to_zen && cr_lf == o.cr_lf && keep_kana == o.keep_kana &&
           grow_size == o.grow_size;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Settings& s) {
  return os << "{out " << CodeName(s.output) << ", in " << CodeName(s.input) << ", fix "
            << s.fix_input << ", kana " << s.kana_to_zen << ", crlf " << s.cr_lf << ", keep "
            << s.keep_kana << ", grow " << s.grow_size << "}";
}

// A file with the given bytes under the test's temporary folder, removed when the scope ends.
class TempFile {
 public:
  explicit TempFile(const std::string& bytes);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  const char* Path() const { return path_.c_str(); }

 private:
  std::string path_;
};

// Open file descriptors of the process: equal before and after a call that must close its file.
int OpenFileCount();

// While in scope, the nth call of operator new from the start of the scope (1-based) throws
// std::bad_alloc; the nothrow and array forms go through it and fail the same way.
class FailAllocation {
 public:
  explicit FailAllocation(long nth);
  ~FailAllocation();
  FailAllocation(const FailAllocation&) = delete;
  FailAllocation& operator=(const FailAllocation&) = delete;
  // Whether the failure happened (false: the call needed fewer allocations).
  bool Fired() const;
};

}  // namespace mojiwa_test

#endif  // MOJIWA_TESTS_DICTIONARY_SUPPORT_H
