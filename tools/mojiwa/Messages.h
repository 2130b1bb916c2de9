// What the filter says on standard error: "mojiwa: NAME: reason" lines, and the library's
// Shift_JIS error messages in the terminal's own code.
#ifndef MOJIWA_TOOLS_MESSAGES_H
#define MOJIWA_TOOLS_MESSAGES_H

#include <mojiwa/Kanji.h>

#include <string>

namespace mojiwa {
namespace filter {

// Writes "mojiwa: subject: reason" (or "mojiwa: reason" for an empty subject) and a newline.
void Report(const std::string& subject, const std::string& reason);
// strerror(err) as a std::string.
std::string ErrorText(int err);

// A Shift_JIS text for a terminal whose charset is `codeset` (nl_langinfo(CODESET)): UTF-8
// through iconv(3), EUC-JP through the library's own converter, anything else as it is.
std::string ForTerminal(const char* sjis, const char* codeset);
// The same for the charset of the current LC_CTYPE locale.
std::string ForTerminal(const char* sjis);
// "PATH: message" of an error thrown by the library (pcFunction is the path for ReadConf).
void ReportLibraryError(const std::string& subject, const CThrowErr& error);

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_MESSAGES_H
