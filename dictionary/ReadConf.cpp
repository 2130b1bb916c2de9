// CKanji::ReadConf: reads a "key = value" file in any of the three codes into a dictionary. The
// whole file is taken into one object, blanks are cleaned out, and the text is parsed in place;
// each entry is stored as soon as its line ends, so a format error keeps what came before it.
#include <cstdio>
#include <memory>
#include <utility>

#include "dictionary/KanjiHash.h"
#include "string/Throw.h"
#include "string/WorkObject.h"

namespace {

// The unique_ptr owns the stream; this is its one way of letting go.
struct FileCloser {
  void operator()(std::FILE* file) const {
    std::fclose(file);  // NOLINT(cppcoreguidelines-owning-memory)
  }
};

using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Half-width space, tab and the full-width space U+3000, as Shift_JIS bytes; Clean converts the
// list into the code of the text it cleans.
constexpr char kBlanks[] = " \t\x81\x40";

}  // namespace

void CKanji::ReadConf(const char* pcPath, CKanjiHash& cHash) const {
  using mojiwa::detail::Site;
  using mojiwa::detail::ThrowAt;
  // A null path opens nothing; it is reported like any path that cannot be opened.
  const char* const where = pcPath != nullptr ? pcPath : "";
  FilePtr file(pcPath != nullptr ? std::fopen(pcPath, "r") : nullptr);
  if (!file) ThrowAt(Site::kConfOpen, where);

  // The whole file, in the reader's output code; a JIS reader parses Shift_JIS, whose
  // characters are one or two bytes without shift state.
  CKanji cWhole;
  cWhole.CopyConf(*this);
  cWhole.eShift = ESHIFT_ASCII;
  cWhole.eModeOutput = mojiwa::detail::ComparisonCode(eModeOutput);
  cWhole = file.get();
  // A directory opens but cannot be read; a read error would otherwise look like a short file.
  if (std::ferror(file.get()) != 0) ThrowAt(Site::kConfOpen, where);

  CKanji cKey;
  cKey.CopyConf(cWhole);
  cKey.eShift = ESHIFT_ASCII;
  CKanji cValue;
  cValue.CopyConf(cWhole);
  cValue.eShift = ESHIFT_ASCII;

  {
    CKanji cBlanks(EMODE_SJIS, EMODE_SJIS, true, true, false, false, 1024);
    cBlanks = kBlanks;
    cWhole.Clean(cBlanks);
  }
  if (cWhole.pcBuff == nullptr) return;

  // Takes [first, last) of the whole text byte for byte: the target's output code is the text's,
  // so it is read in that code for the one assignment and keeps the reader's input code after.
  const EMODE eReaderInput = eModeInput;
  auto take = [eReaderInput](CKanji& cTarget, const char* first, char* last) {
    mojiwa::detail::RestoreOnExit<char> keepByte(*last);
    *last = '\0';
    cTarget.eModeInput = cTarget.eModeOutput;
    cTarget = first;
    cTarget.eModeInput = eReaderInput;
  };

  // Stores the entry whole or not at all: the value's copy (which may fail to grow) is made
  // before the lookup, and handed over to the stored value by exchanging fields, which cannot
  // fail. A failed allocation thus never leaves a key with an empty or half-copied value.
  auto store = [&cHash](const CKanji& cEntryKey, const CKanji& cEntryValue) {
    CKanji cCopy(cEntryValue);
    CKanji& cStored = cHash[cEntryKey];
    std::swap(cStored.eModeInput, cCopy.eModeInput);
    std::swap(cStored.eModeOutput, cCopy.eModeOutput);
    std::swap(cStored.dwGrowSize, cCopy.dwGrowSize);
    std::swap(cStored.bFixInput, cCopy.bFixInput);
    std::swap(cStored.bKanaToZen, cCopy.bKanaToZen);
    std::swap(cStored.bCrLf, cCopy.bCrLf);
    std::swap(cStored.bKeepKana, cCopy.bKeepKana);
    std::swap(cStored.eShift, cCopy.eShift);
    std::swap(cStored.pcBuff, cCopy.pcBuff);
    std::swap(cStored.pcEnd, cCopy.pcEnd);
    std::swap(cStored.dwBuffSize, cCopy.dwBuffSize);
    std::swap(cStored.dwRest, cCopy.dwRest);
  };

  char* cursor = cWhole.pcBuff;
  char* start = cursor;  // first byte not yet taken into a key or value
  bool comment = false;
  for (;;) {
    const bool atEnd = *cursor == '\0';
    if (!atEnd) {
      const char* probe = cursor;
      // A two-byte character is one unit: neither byte can end a line, a key or an entry.
      if (cWhole.isKanji(probe) && cursor[1] != '\0') {
        cursor += 2;
        continue;
      }
    }
    if (comment) {
      if (atEnd) break;
      if (*cursor == '\n') {
        comment = false;
        start = cursor + 1;
      }
      ++cursor;
      continue;
    }
    if (!atEnd && *cursor == '=') {
      if (start == cursor) ThrowAt(Site::kConfNoKey, where);
      take(cKey, start, cursor);
      start = ++cursor;
      continue;
    }
    if (atEnd || *cursor == '\n' || *cursor == '#') {
      // The end of the text ends a last line that has no line feed. A CR before a line feed or
      // the end belongs to the line end (files written with CR LF, read without translation).
      char* last = cursor;
      if (*cursor != '#' && last != start && last[-1] == '\r') --last;
      if (cKey.GetSize() == 0) {
        if (last != start) ThrowAt(Site::kConfNoEqual, where);
      } else {
        if (last == start) ThrowAt(Site::kConfNoValue, where);
        take(cValue, start, last);
        store(cKey, cValue);
        cKey.Clear();
        cValue.Clear();
      }
      if (atEnd) break;
      comment = *cursor == '#';
      start = ++cursor;
      continue;
    }
    ++cursor;
  }
}
