// --conf: a key = value file read by the library's CKanji::ReadConf into a CKanjiHash, printed
// back in key order as key=value lines in the output code.
#ifndef MOJIWA_TOOLS_CONFMODE_H
#define MOJIWA_TOOLS_CONFMODE_H

#include <string>

#include "Options.h"
#include "Output.h"

namespace mojiwa {
namespace filter {

// Prints the entries of one file ("-": standard input). Returns 0, or 1 after reporting an
// unreadable or malformed file (nothing of that file is printed then).
int PrintConf(const Options& options, const std::string& name, Target& out);

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_CONFMODE_H
