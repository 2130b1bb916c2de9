// The command line of the mojiwa filter: what to do, the codes on both sides, the library's
// switches, the width and case classes, and the inputs. Parsing never exits: it reports what it
// found, and main() decides what to print and which status to return.
#ifndef MOJIWA_TOOLS_OPTIONS_H
#define MOJIWA_TOOLS_OPTIONS_H

#include <mojiwa/Kanji.h>

#include <cstddef>
#include <string>
#include <vector>

namespace mojiwa {
namespace filter {

// The classes of zen2han and han2zen, in the order of their bool arguments.
struct WidthClasses {
  bool digit = false;
  bool alpha = false;
  bool kata = false;
  bool mark = false;
  bool hira = false;
  bool Any() const { return digit || alpha || kata || mark || hira; }
};

// Which letters ToUpper and ToLower touch.
struct CaseWidths {
  bool zen = false;
  bool han = false;
  bool Any() const { return zen || han; }
};

enum class Mode { kConvert, kGuess, kConf, kHelp, kVersion, kList };

struct Options {
  Mode mode = Mode::kConvert;
  CKanji::EMODE from = CKanji::EMODE_AUTO;  // EMODE_AUTO: detect
  CKanji::EMODE to = CKanji::EMODE_AUTO;    // EMODE_AUTO: keep the input's code
  bool crlf = false;                        // bCrLf
  bool keep_kana = false;                   // bKeepKana
  bool kana_to_zen = false;                 // bKanaToZen
  WidthClasses zen2han;
  WidthClasses han2zen;
  CaseWidths upper;
  CaseWidths lower;
  std::string output;               // -o FILE; empty: standard output
  std::vector<std::string> inputs;  // empty: standard input
  std::size_t read_size = 0;        // largest read(2); 0: the default

  bool HasWidthOps() const { return zen2han.Any() || han2zen.Any() || upper.Any() || lower.Any(); }
};

struct ParseResult {
  bool ok = false;
  std::string error;  // why not ok, one line without the program name; empty when getopt_long
                      // has printed its own message already
  Options options;
};

// Parses argv (GNU getopt_long, so options and files may mix and "--" ends the options).
ParseResult ParseOptions(int argc, char** argv);

// A code name of the filter, of iconv or of nkf, any case, with an iconv "//SUFFIX" ignored.
// allow_auto admits "auto". Returns false for an unknown name.
bool LookUpCode(const std::string& name, bool allow_auto, CKanji::EMODE* code);
// "Shift_JIS", "EUC-JP", "JIS", and "ASCII" for EMODE_AUTO: what --guess prints.
const char* GuessName(CKanji::EMODE code);

// The texts of --help, --version and --list, and the hint printed after a usage error.
const char* HelpText();
const char* VersionText();
std::string ListText();
const char* UsageHint();

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_OPTIONS_H
