// Parsing the command line with getopt_long. Besides its own spellings the filter takes those of
// iconv (-f, -t, -o, -l and their long forms, with iconv's code names) and of nkf (-s -e -j,
// -S -E -J, -g, --ic/--oc, -x, -m0) where they mean the same thing.
#include "Options.h"

#include <getopt.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace mojiwa {
namespace filter {
namespace {

struct CodeName {
  const char* name;
  CKanji::EMODE code;
};

// Lower-case spellings. CP932 and its aliases are read as Shift_JIS: the library converts the
// NEC rows by the same arithmetic, and passes the IBM lead bytes 0xFA..0xFC through as bytes.
constexpr CodeName kCodeNames[] = {
    {"sjis", CKanji::EMODE_SJIS},       {"shift_jis", CKanji::EMODE_SJIS},
    {"shift-jis", CKanji::EMODE_SJIS},  {"shiftjis", CKanji::EMODE_SJIS},
    {"ms_kanji", CKanji::EMODE_SJIS},   {"csshiftjis", CKanji::EMODE_SJIS},
    {"cp932", CKanji::EMODE_SJIS},      {"windows-31j", CKanji::EMODE_SJIS},
    {"euc", CKanji::EMODE_EUC},         {"euc-jp", CKanji::EMODE_EUC},
    {"eucjp", CKanji::EMODE_EUC},       {"euc_jp", CKanji::EMODE_EUC},
    {"ujis", CKanji::EMODE_EUC},        {"cseucpkdfmtjapanese", CKanji::EMODE_EUC},
    {"jis", CKanji::EMODE_JIS},         {"iso-2022-jp", CKanji::EMODE_JIS},
    {"iso2022jp", CKanji::EMODE_JIS},   {"iso_2022_jp", CKanji::EMODE_JIS},
    {"csiso2022jp", CKanji::EMODE_JIS}, {"auto", CKanji::EMODE_AUTO},
};

enum LongOnly : int {
  kZen2han = 0x100,
  kHan2zen,
  kUpper,
  kLower,
  kCrLf,
  kKanaToZen,
  kConf,
  kReadSize,
};

constexpr const char kShortOptions[] = "sejSEJgxVhlo:f:t:m:";

// "--to" and "--from" come before their iconv and nkf twins so that they own their prefixes.
const struct option kLongOptions[] = {
    {"to", required_argument, nullptr, 't'},
    {"from", required_argument, nullptr, 'f'},
    {"to-code", required_argument, nullptr, 't'},
    {"from-code", required_argument, nullptr, 'f'},
    {"oc", required_argument, nullptr, 't'},
    {"ic", required_argument, nullptr, 'f'},
    {"guess", no_argument, nullptr, 'g'},
    {"zen2han", required_argument, nullptr, kZen2han},
    {"han2zen", required_argument, nullptr, kHan2zen},
    {"upper", optional_argument, nullptr, kUpper},
    {"lower", optional_argument, nullptr, kLower},
    {"crlf", no_argument, nullptr, kCrLf},
    {"keep-kana", no_argument, nullptr, 'x'},
    {"kana-to-zen", no_argument, nullptr, kKanaToZen},
    {"conf", no_argument, nullptr, kConf},
    {"output", required_argument, nullptr, 'o'},
    {"list", no_argument, nullptr, 'l'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    // Undocumented, for the tests: caps each read so that chunk boundaries fall everywhere
    // (spelled with three dashes, like coreutils' test-only options).
    {"-read-size", required_argument, nullptr, kReadSize},
    {nullptr, 0, nullptr, 0},
};

std::string Lower(const std::string& text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  for (;;) {
    const std::string::size_type comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

// "all" means every class; for han2zen "hira" is a variant of "kata" (kana become hiragana), so
// it turns "kata" on and "all" leaves it off.
bool ParseClasses(const std::string& list, bool for_han2zen, WidthClasses* classes) {
  WidthClasses parsed;
  for (const std::string& word : SplitCommas(Lower(list))) {
    if (word == "digit") {
      parsed.digit = true;
    } else if (word == "alpha") {
      parsed.alpha = true;
    } else if (word == "kata") {
      parsed.kata = true;
    } else if (word == "hira") {
      parsed.hira = true;
      if (for_han2zen) parsed.kata = true;
    } else if (word == "mark") {
      parsed.mark = true;
    } else if (word == "all") {
      parsed.digit = parsed.alpha = parsed.kata = parsed.mark = true;
      if (!for_han2zen) parsed.hira = true;
    } else {
      return false;
    }
  }
  *classes = parsed;
  return true;
}

bool ParseCase(const char* arg, CaseWidths* widths) {
  const std::string word = arg != nullptr ? Lower(arg) : "all";
  if (word == "all") {
    widths->zen = widths->han = true;
  } else if (word == "zen") {
    widths->zen = true;
  } else if (word == "han") {
    widths->han = true;
  } else {
    return false;
  }
  return true;
}

// The option as the user wrote it, for messages: "--upper" or "-t".
std::string Spelling(int opt, const struct option* long_opt) {
  if (long_opt != nullptr) return std::string("--") + long_opt->name;
  return std::string("-") + static_cast<char>(opt);
}

}  // namespace

bool LookUpCode(const std::string& name, bool allow_auto, CKanji::EMODE* code) {
  const std::string key = Lower(name.substr(0, name.find("//")));
  for (const CodeName& entry : kCodeNames) {
    if (key != entry.name) continue;
    if (entry.code == CKanji::EMODE_AUTO && !allow_auto) return false;
    *code = entry.code;
    return true;
  }
  return false;
}

const char* GuessName(CKanji::EMODE code) {
  switch (code) {
    case CKanji::EMODE_SJIS: return "Shift_JIS";
    case CKanji::EMODE_EUC: return "EUC-JP";
    case CKanji::EMODE_JIS: return "JIS";
    default: return "ASCII";
  }
}

ParseResult ParseOptions(int argc, char** argv) {
  ParseResult result;
  Options& o = result.options;
  bool guess = false, conf = false, help = false, version = false, list = false;

  // getopt_long permutes the array and names the program after its first entry in messages.
  std::vector<char*> args(argv, argv + argc);
  char program[] = "mojiwa";
  if (argc > 0) args[0] = program;
  args.push_back(nullptr);
  optind = 0;  // GNU: start afresh, so that the parser can run more than once in a process
  opterr = 1;
  for (;;) {
    int index = -1;
    const int opt = getopt_long(argc, args.data(), kShortOptions, kLongOptions, &index);
    if (opt == -1) break;
    const struct option* long_opt = index >= 0 ? &kLongOptions[index] : nullptr;
    switch (opt) {
      case 's': o.to = CKanji::EMODE_SJIS; break;
      case 'e': o.to = CKanji::EMODE_EUC; break;
      case 'j': o.to = CKanji::EMODE_JIS; break;
      case 'S': o.from = CKanji::EMODE_SJIS; break;
      case 'E': o.from = CKanji::EMODE_EUC; break;
      case 'J': o.from = CKanji::EMODE_JIS; break;
      case 't':
      case 'f': {
        CKanji::EMODE code;
        if (!LookUpCode(optarg, opt == 'f', &code)) {
          result.error = "unknown code '" + std::string(optarg) + "' for " +
                         Spelling(opt, long_opt) + " (see --list)";
          return result;
        }
        (opt == 't' ? o.to : o.from) = code;
        break;
      }
      case 'g': guess = true; break;
      case 'x': o.keep_kana = true; break;
      case 'm':
        if (std::strcmp(optarg, "0") != 0) {
          result.error = "-m takes only 0: MIME decoding is not done anyway";
          return result;
        }
        break;
      case kZen2han:
      case kHan2zen: {
        WidthClasses& classes = opt == kZen2han ? o.zen2han : o.han2zen;
        if (!ParseClasses(optarg, opt == kHan2zen, &classes)) {
          result.error = "invalid class list '" + std::string(optarg) + "' for " +
                         Spelling(opt, long_opt) + " (digit, alpha, kata, hira, mark, all)";
          return result;
        }
        break;
      }
      case kUpper:
      case kLower:
        if (!ParseCase(optarg, opt == kUpper ? &o.upper : &o.lower)) {
          result.error = "invalid argument '" + std::string(optarg) + "' for " +
                         Spelling(opt, long_opt) + " (zen, han, all)";
          return result;
        }
        break;
      case kCrLf: o.crlf = true; break;
      case kKanaToZen: o.kana_to_zen = true; break;
      case kConf: conf = true; break;
      case 'o': o.output = optarg; break;
      case 'l': list = true; break;
      case 'h': help = true; break;
      case 'V': version = true; break;
      case kReadSize: {
        char* end = nullptr;
        const unsigned long size = std::strtoul(optarg, &end, 10);
        if (*optarg == '\0' || *end != '\0' || size == 0) {
          result.error = "invalid read size '" + std::string(optarg) + "'";
          return result;
        }
        o.read_size = size;
        break;
      }
      default:  // getopt_long has printed the GNU message for it
        return result;
    }
  }
  for (int i = optind; i < argc; ++i) o.inputs.push_back(args[i]);

  if (help) {
    o.mode = Mode::kHelp;
  } else if (version) {
    o.mode = Mode::kVersion;
  } else if (list) {
    o.mode = Mode::kList;
  } else if (guess && conf) {
    result.error = "--guess and --conf cannot be combined";
    return result;
  } else if (guess) {
    o.mode = Mode::kGuess;
  } else if (conf) {
    o.mode = Mode::kConf;
  }
  result.ok = true;
  return result;
}

const char* HelpText() {
  return "Usage: mojiwa [OPTION]... [FILE]...\n"
         "Convert Japanese text between Shift_JIS, EUC-JP and 7-bit JIS, and between\n"
         "full-width and half-width forms. With no FILE, or when FILE is -, read standard\n"
         "input.\n"
         "\n"
         "Codes:\n"
         "  -t, --to=CODE        write CODE: sjis, euc or jis (default: the input's code)\n"
         "  -s, -e, -j           the same as --to=sjis, --to=euc, --to=jis\n"
         "  -f, --from=CODE      read CODE: auto, sjis, euc or jis (default: auto)\n"
         "  -S, -E, -J           the same as --from=sjis, --from=euc, --from=jis\n"
         "  -g, --guess          print each input's name and detected code instead\n"
         "  -l, --list           list the code names that are understood\n"
         "\n"
         "Width and case, applied line by line in the output code:\n"
         "      --zen2han=CLASSES   full width to half width\n"
         "      --han2zen=CLASSES   half width to full width\n"
         "                          CLASSES: comma list of digit, alpha, kata, hira, mark, all\n"
         "      --upper[=WHICH]     letters to upper case; WHICH: zen, han or all (default)\n"
         "      --lower[=WHICH]     letters to lower case\n"
         "\n"
         "Conversion switches:\n"
         "      --crlf          write CR LF for each LF of EUC-JP input\n"
         "  -x, --keep-kana     keep half-width katakana half width (SI/SO) in JIS output\n"
         "      --kana-to-zen   turn half-width katakana of JIS input full width in Shift_JIS\n"
         "\n"
         "Other modes and output:\n"
         "      --conf          read each FILE as a key = value file, print its entries\n"
         "  -o, --output=FILE   write to FILE instead of standard output\n"
         "  -h, --help          show this help and exit\n"
         "  -V, --version       show the version and exit\n"
         "\n"
         "Exit status: 0 on success, 1 if an input or the output failed, 2 for a usage error.\n";
}

const char* VersionText() { return "mojiwa 1.0.0\n"; }

std::string ListText() {
  std::string text;
  const char* labels[] = {"EUC-JP:", "Shift_JIS:", "JIS:", "detection:"};
  for (int code = CKanji::EMODE_EUC; code <= CKanji::EMODE_AUTO; ++code) {
    text += labels[code];
    for (const CodeName& entry : kCodeNames) {
      if (entry.code != code) continue;
      text += ' ';
      text += entry.name;
    }
    text += '\n';
  }
  return text;
}

const char* UsageHint() {
  return "Usage: mojiwa [OPTION]... [FILE]...\n"
         "Try 'mojiwa --help' for more information.\n";
}

}  // namespace filter
}  // namespace mojiwa
