// Replace: every occurrence of a pattern, found on whole characters of the text in the comparison
// code (Shift_JIS for a JIS object), is replaced by a text in the object's input code. The new
// text is built in a work object and assigned at the end, so a failure leaves the text as it was.
#include <cstring>
#include <memory>
#include <new>

#include "string/Kanji.h"
#include "string/TextWalk.h"
#include "string/Throw.h"
#include "string/WorkObject.h"

namespace {

// Finds a pattern by Horspool's rule: the window moves on by how far the byte under its last
// position stands from the end of the pattern, or by the whole length for a byte not in it.
class Search {
 public:
  Search(const unsigned char* pattern, std::size_t length) : pattern_(pattern), length_(length) {
    for (std::size_t& shift : shift_) shift = length;
    for (std::size_t i = 0; i + 1 < length; ++i) shift_[pattern[i]] = length - 1 - i;
  }

  // The first occurrence that starts in [from, end), or null.
  const unsigned char* Find(const unsigned char* from, const unsigned char* end) const {
    const unsigned char last = pattern_[length_ - 1];
    for (const unsigned char* p = from; static_cast<std::size_t>(end - p) >= length_;
         p += shift_[p[length_ - 1]]) {
      if (p[length_ - 1] == last && std::memcmp(p, pattern_, length_ - 1) == 0) return p;
    }
    return nullptr;
  }

 private:
  const unsigned char* pattern_;
  std::size_t length_;
  std::size_t shift_[256];
};

}  // namespace

using mojiwa::detail::Bytes;
using mojiwa::detail::Chars;
using mojiwa::detail::ComparisonCode;
using mojiwa::detail::RestoreOnExit;
using mojiwa::detail::Site;
using mojiwa::detail::StepFor;
using mojiwa::detail::ThrowAt;

int CKanji::Replace(const char* pcPattern, const char* pcReplace) {
  CKanji cPattern;
  MakeCmpObj(cPattern, pcPattern);
  const char* const pattern = cPattern.GetBuff();
  const unsigned long length = cPattern.GetSize();
  // An empty pattern would match at every position without moving on.
  if (length == 0) return 0;

  const EMODE eCompare = ComparisonCode(eModeOutput);
  CKanji cResult;
  cResult.CopyConf(*this);
  cResult.eShift = ESHIFT_ASCII;
  // The result holds runs in the comparison code next to replacements in the input code. Were it
  // to fix a detected input code, it would convert the runs already held a second time.
  cResult.bFixInput = false;
  std::unique_ptr<CKanji> cCopy;
  if (eModeOutput == EMODE_JIS) cCopy.reset(MakeCmpThis());
  const CKanji& cText = cCopy ? *cCopy : *this;
  cResult.dwGrowSize = StepFor(cResult.dwGrowSize, cText.GetSize());

  const auto append_run = [&](const char* from, const char* to) {
    if (from == to) return;
    cResult.eModeInput = eCompare;
    cResult.Add(from, static_cast<unsigned long>(to - from));
    cResult.eModeInput = eModeInput;
  };

  int nCount = 0;
  const char* run = cText.GetBuff();
  const char* p = run;
  if (mojiwa::detail::HasOwnIsKanji(cText) && cText.eModeOutput != EMODE_JIS) {
    // Occurrences are found by bytes; one that starts on the second byte of a pair is passed
    // over, as the character walk never stands there. `from` is a character start of the walk.
    const auto& pairs = mojiwa::detail::PairsOf(cText.eModeOutput);
    const Search search(Bytes(pattern), length);
    const unsigned char* const end = Bytes(p) + std::strlen(p);
    const unsigned char* from = Bytes(p);
    while (const unsigned char* at = search.Find(from, end)) {
      if (mojiwa::detail::CharStart(pairs, from, at) != at) {
        from = at + 1;  // the pair's second byte ends a character
        continue;
      }
      ++nCount;
      append_run(run, Chars(at));
      cResult += pcReplace;
      from = at + length;
      run = Chars(from);
    }
    p = Chars(end);
  } else {
    while (*p != '\0') {
      // strncmp stops at the text's NUL, so a short tail is never read past.
      if (*p == *pattern && std::strncmp(p, pattern, length) == 0) {
        ++nCount;
        append_run(run, p);
        cResult += pcReplace;
        p += length;
        run = p;
      } else {
        const char* at = p;
        p += cText.isKanji(at) ? 2 : 1;  // a match starts only where a character starts
      }
    }
  }
  append_run(run, p);
  operator<<(cResult);
  return nCount;
}

int CKanji::Replace(const CKanji& cPattern, const CKanji& cReplace) {
  RestoreOnExit<EMODE> keep(eModeInput);
  eModeInput = cPattern.eModeOutput;
  // Both texts reach the string form in the pattern's code, which is for now the input code.
  std::unique_ptr<CKanji> cConverted;
  const char* pcReplace = cReplace.GetBuff();
  if (cReplace.eModeOutput != cPattern.eModeOutput) {
    cConverted.reset(new (std::nothrow) CKanji);
    if (!cConverted) ThrowAt(Site::kReplaceAlloc);
    cConverted->CopyConf(cPattern);
    cConverted->eShift = ESHIFT_ASCII;
    *cConverted << cReplace;
    pcReplace = cConverted->GetBuff();
  }
  return Replace(cPattern.GetBuff(), pcReplace);
}
