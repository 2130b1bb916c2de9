// Clean removes every character of a list from the text and counts what it removed; CleanJIS
// rewrites a JIS text through Shift_JIS so that only the escape sequences it needs remain.
#include <bitset>
#include <memory>

#include "string/Kanji.h"
#include "string/TextRewrite.h"
#include "string/WorkObject.h"

namespace {

// Visits each character of an object's Shift_JIS or EUC-JP text as (position, two_byte), with the
// object's own isKanji telling one-byte from two-byte characters.
template <class Visit>
void ForEachChar(const CKanji& holder, Visit visit) {
  const char* p = holder.GetBuff();
  if (mojiwa::detail::HasOwnIsKanji(holder) && holder.GetModeOutput() != CKanji::EMODE_JIS) {
    const auto& pairs = mojiwa::detail::PairsOf(holder.GetModeOutput());
    for (const auto* b = mojiwa::detail::Bytes(p); *b != 0;) {
      const bool two = pairs.PairAt(b);
      visit(mojiwa::detail::Chars(b), two);
      b += two ? 2 : 1;
    }
    return;
  }
  while (*p != '\0') {
    const char* at = p;
    const bool two = holder.isKanji(at);
    visit(p, two);
    p += two ? 2 : 1;
  }
}

// The removal set: one bit per 16-bit character code. Exact lookup like any set, no allocation
// that could fail halfway, and constant time per character.
using CodeSet = std::bitset<0x10000>;

// A one-byte character is its byte; a two-byte one is lead * 256 + trail.
unsigned short CharCode(const char* p, bool two) {
  const auto lead = static_cast<unsigned char>(p[0]);
  if (!two) return lead;
  return static_cast<unsigned short>(lead << 8 | static_cast<unsigned char>(p[1]));
}

}  // namespace

int CKanji::Clean(const CKanji& cList) {
  std::unique_ptr<CKanji> cCopy;
  if (eModeOutput == EMODE_JIS) cCopy.reset(MakeCmpThis());
  const CKanji& cSource = cCopy ? *cCopy : *this;

  CKanji cResult;
  cResult.CopyConf(cSource);
  cResult.eShift = ESHIFT_ASCII;
  cResult.dwGrowSize = mojiwa::detail::StepFor(cResult.dwGrowSize, cSource.GetSize());
  CKanji cListCopy;
  cListCopy.CopyConf(cSource);
  cListCopy.eShift = ESHIFT_ASCII;
  const CKanji* pList = &cList;
  if (cList.eModeOutput != cSource.eModeOutput) {
    cListCopy << cList;
    pList = &cListCopy;
  }

  CodeSet removal;
  bool first[256] = {};  // the first bytes of the listed characters
  ForEachChar(*pList, [&](const char* p, bool two) {
    removal.set(CharCode(p, two));
    first[static_cast<unsigned char>(*p)] = true;
  });
  int nCount = 0;
  if (mojiwa::detail::HasOwnIsKanji(cSource)) {
    // Only characters whose first byte starts a listed code are looked up; the characters
    // between removals are copied as whole runs.
    mojiwa::detail::CharWalk walk(mojiwa::detail::PairsOf(cSource.eModeOutput));
    for (int b = 1; b < 256; ++b) {
      if (first[b]) walk.Mark(static_cast<unsigned char>(b));
    }
    auto out =
        mojiwa::detail::MakeWriter(cResult.pcEnd, cResult.dwRest, [&] { cResult.GrowBuffer(); });
    mojiwa::detail::Rewrite(mojiwa::detail::Bytes(cSource.GetBuff()), cSource.GetSize(), walk, out,
                            [&](const unsigned char* p, bool two) -> mojiwa::detail::Outcome {
                              if (!removal.test(CharCode(mojiwa::detail::Chars(p), two))) {
                                return {};
                              }
                              ++nCount;
                              return {two ? 2u : 1u, 0};
                            });
  } else {
    ForEachChar(cSource, [&](const char* p, bool two) {
      if (removal.test(CharCode(p, two))) {
        ++nCount;
        return;
      }
      cResult += p[0];
      if (two) cResult += p[1];
    });
  }
  operator<<(cResult);
  return nCount;
}

void CKanji::CleanJIS() {
  if (eModeOutput != EMODE_JIS) return;
  // Decoding leaves no escape sequence behind; the object's own writer then sets only those it
  // needs. Half-width katakana stay half width on the way through.
  CKanji cSjis(EMODE_SJIS, EMODE_JIS, true, false, false, false, 1024);
  cSjis << *this;
  operator<<(cSjis);
}
