// Error lines on standard error, and the library's Shift_JIS messages made readable.
#include "Messages.h"

#include <iconv.h>
#include <langinfo.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace mojiwa {
namespace filter {

void Report(const std::string& subject, const std::string& reason) {
  std::string line = "mojiwa: ";
  if (!subject.empty()) line += subject + ": ";
  line += reason + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string ErrorText(int err) { return std::strerror(err); }

std::string ForTerminal(const char* sjis, const char* codeset) {
  std::string raw(sjis != nullptr ? sjis : "");
  if (std::strcmp(codeset, "EUC-JP") == 0) {
    // Every message is short; four times its length covers any expansion.
    std::vector<char> out(raw.size() * 4 + 8);
    const char* src = raw.c_str();
    char* dst = out.data();
    unsigned long room = static_cast<unsigned long>(out.size());
    CKanji::CopyS2E(src, dst, &room);
    return std::string(out.data(), dst);
  }
  if (std::strcmp(codeset, "UTF-8") != 0) return raw;

  iconv_t cd = iconv_open("UTF-8", "SHIFT_JIS");
  if (cd == reinterpret_cast<iconv_t>(-1)) return raw;  // NOLINT(performance-no-int-to-ptr)
  std::string out(raw.size() * 3 + 8, '\0');
  char* in = const_cast<char*>(raw.data());
  size_t in_left = raw.size();
  char* dst = &out[0];
  size_t out_left = out.size();
  const bool ok = iconv(cd, &in, &in_left, &dst, &out_left) != static_cast<size_t>(-1);
  iconv_close(cd);
  if (!ok) return raw;
  out.resize(out.size() - out_left);
  return out;
}

std::string ForTerminal(const char* sjis) { return ForTerminal(sjis, nl_langinfo(CODESET)); }

void ReportLibraryError(const std::string& subject, const CThrowErr& error) {
  Report(subject, ForTerminal(error.pcMessage));
}

}  // namespace filter
}  // namespace mojiwa
