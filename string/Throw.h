// The library's one throw path: every fatal condition names its site, and the table in
// Kanji.cpp gives the message, function name and line number of each.
#ifndef MOJIWA_STRING_THROW_H
#define MOJIWA_STRING_THROW_H

namespace mojiwa {
namespace detail {

enum class Site {
  kInitialize,    // output code EMODE_AUTO
  kGrowLimit,     // growth would pass dwMemLimit
  kGrowAlloc,     // growth allocation failed
  kAddAlloc,      // Add's work copy not allocated
  kReplaceAlloc,  // Replace's temporary not allocated
  kCmpThisAlloc,  // MakeCmpThis's object not allocated
  kConfOpen,      // configuration file cannot be opened or read
  kConfNoKey,     // '=' with nothing before it
  kConfNoEqual,   // a line with text but no '='
  kConfNoValue,   // a key with nothing after its '='
};

// Throws the CThrowErr of the site. `where` replaces the function name (the reader's path).
[[noreturn]] void ThrowAt(Site site, const char* where = nullptr);

}  // namespace detail
}  // namespace mojiwa

#endif  // MOJIWA_STRING_THROW_H
