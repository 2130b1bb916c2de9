// Comparison of texts that may be held in different codes: both sides are brought into the
// comparison code (Shift_JIS for a JIS object) and compared as unsigned bytes, stepping over this
// side's characters so that a two-byte character is never split. The comparing object is never
// changed; its sides live in work objects that go away on every exit.
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "string/Kanji.h"
#include "string/TextWalk.h"
#include "string/Throw.h"
#include "string/WorkObject.h"

namespace {

// Where two texts part: the signed byte difference, and the offset of the character where they
// differ (or of this side's NUL), the same offset in both texts since all before it is equal.
struct Parting {
  int diff;
  std::size_t at;
};

// The first byte where two texts differ: `mine` is n bytes long, and the search ends at the NUL
// of either. Whole blocks are compared by memcmp first; the block that differs is then searched.
std::size_t FirstDifference(const char* mine, const char* other, std::size_t n) {
  const std::size_t m = strnlen(other, n);  // other has no NUL before m, and mine none before n
  constexpr std::size_t kBlock = 1024;
  std::size_t at = 0;
  while (m - at >= kBlock && std::memcmp(mine + at, other + at, kBlock) == 0) at += kBlock;
  while (at < m && mine[at] == other[at]) ++at;
  return at;
}

// Walks `mine` by the characters that `side` (the object holding it) sees, against `other`.
Parting Walk(const CKanji& side, const char* mine, const char* other, bool prefix) {
  const auto* p = reinterpret_cast<const unsigned char*>(mine);
  const auto* q = reinterpret_cast<const unsigned char*>(other);
  if (mojiwa::detail::HasOwnIsKanji(side) && side.GetModeOutput() != CKanji::EMODE_JIS) {
    // Equal bytes are equal characters, so only the character around the first difference
    // matters: the walk would stop at its start, whichever of its bytes differs.
    const std::size_t n = std::strlen(mine);
    const std::size_t at = FirstDifference(mine, other, n);
    if (at == n) return {prefix ? 0 : -static_cast<int>(q[n]), n};
    const auto* start =
        mojiwa::detail::CharStart(mojiwa::detail::PairsOf(side.GetModeOutput()), p, p + at);
    return {p[at] - q[at], static_cast<std::size_t>(start - p)};
  }
  std::size_t at = 0;
  while (p[at] != 0) {
    int diff = p[at] - q[at];
    if (diff != 0) return {diff, at};
    const char* pos = mine + at;
    // No two-byte character of the built-in codes ends in NUL; the test keeps an override of
    // isKanji that says otherwise from walking past the end. Both texts have a byte at + 1,
    // as their bytes at `at` are equal and not NUL.
    if (p[at + 1] != 0 && side.isKanji(pos)) {
      diff = p[at + 1] - q[at + 1];
      if (diff != 0) return {diff, at};
      at += 2;
    } else {
      at += 1;
    }
  }
  return {prefix ? 0 : -static_cast<int>(q[at]), at};
}

// Sets an object's input code for a scope and puts the old one back on every exit.
class InputCodeScope {
 public:
  InputCodeScope(CKanji& object, CKanji::EMODE code)
      : object_(object), saved_(object.SetInputMode(code)) {}
  ~InputCodeScope() { object_.SetInputMode(saved_); }
  InputCodeScope(const InputCodeScope&) = delete;
  InputCodeScope& operator=(const InputCodeScope&) = delete;

 private:
  CKanji& object_;
  CKanji::EMODE saved_;
};

// The full comparison of the four-argument forms. `other` is the other side in a work object of
// the caller's, writable so that its common part can be cut off in place for a moment. Each out
// object receives its part converted from the comparison code into its own output code.
int CompareAndSplit(const CKanji& self, const CKanji& side, char* other, CKanji& same,
                    CKanji& this_rest, CKanji& other_rest) {
  // An out object that is the comparing object would change before its text is read again.
  const bool self_written = &side == &self && &same == &self;
  CKanji mine_copy(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, false, false, false, false,
                   self_written ? std::strlen(side.GetBuff()) + 1 : 2);
  const char* mine = self_written ? (mine_copy = side.GetBuff()) : side.GetBuff();

  const Parting parting = Walk(side, mine, other, false);

  const CKanji::EMODE code = side.GetModeOutput();
  const InputCodeScope same_code(same, code);
  const InputCodeScope this_code(this_rest, code);
  const InputCodeScope other_code(other_rest, code);
  {
    mojiwa::detail::RestoreOnExit<char> uncut(other[parting.at]);
    other[parting.at] = '\0';
    same = static_cast<const char*>(other);
  }
  this_rest = mine + parting.at;
  other_rest = static_cast<const char*>(other + parting.at);
  return parting.diff;
}

}  // namespace

using mojiwa::detail::ComparisonCode;
using mojiwa::detail::Site;
using mojiwa::detail::StepFor;
using mojiwa::detail::ThrowAt;

// ---- Sides ---------------------------------------------------------------------------------

CKanji* CKanji::MakeCmpThis() const {
  if (eModeOutput != EMODE_JIS) return nullptr;
  // Decoding JIS never lengthens the text, so a step of its size grows the copy once.
  std::unique_ptr<CKanji> pSide(new (std::nothrow) CKanji(EMODE_SJIS, EMODE_JIS, true, false, false,
                                                          false, StepFor(1024, GetSize())));
  if (!pSide) ThrowAt(Site::kCmpThisAlloc);
  *pSide = GetBuff();
  return pSide.release();
}

char* CKanji::MakeCmpObj(CKanji& cWork, const char* pcText) const {
  cWork.Clear();
  cWork.eModeInput = eModeInput;
  cWork.eModeOutput = ComparisonCode(eModeOutput);
  cWork.bKanaToZen = eModeOutput == EMODE_EUC || bKanaToZen;
  cWork.bCrLf = bCrLf;
  if (pcText == nullptr) pcText = "";
  cWork.dwGrowSize = StepFor(cWork.dwGrowSize, static_cast<unsigned long>(std::strlen(pcText)));
  cWork = pcText;
  // The split of Compare writes into this buffer, so it must be a real one, never the static
  // empty text.
  if (cWork.pcBuff == nullptr) cWork.GrowBuffer();
  return cWork.pcBuff;
}

const char* CKanji::MakeCmpObj(CKanji& cWork, const CKanji& cText) const {
  // Same code and no escape sequences: the other text is compared in place.
  if (cText.eModeOutput == eModeOutput && eModeOutput != EMODE_JIS) return cText.GetBuff();
  cWork.Clear();
  cWork.eModeInput = cText.eModeOutput;
  cWork.eModeOutput = ComparisonCode(eModeOutput);
  cWork.bKanaToZen = eModeOutput == EMODE_EUC || bKanaToZen;
  cWork.bCrLf = bCrLf;
  cWork.dwGrowSize = StepFor(cWork.dwGrowSize, cText.GetSize());
  cWork = cText.GetBuff();
  if (cWork.pcBuff == nullptr) cWork.GrowBuffer();
  return cWork.pcBuff;
}

// ---- Equality ------------------------------------------------------------------------------

bool CKanji::operator==(const char* pcText) const {
  return std::strcmp(GetBuff(), pcText != nullptr ? pcText : "") == 0;
}

bool CKanji::operator!=(const char* pcText) const { return !operator==(pcText); }

bool CKanji::operator==(const CKanji& cOther) const {
  const std::unique_ptr<CKanji> pSide(MakeCmpThis());
  CKanji cWork;
  const char* pcOther = MakeCmpObj(cWork, cOther);
  return pSide ? pSide->operator==(pcOther) : operator==(pcOther);
}

bool CKanji::operator!=(const CKanji& cOther) const { return !operator==(cOther); }

// ---- Order ---------------------------------------------------------------------------------

bool CKanji::operator<(const CKanji& cOther) const { return Compare(cOther, false) < 0; }
bool CKanji::operator>(const CKanji& cOther) const { return Compare(cOther, false) > 0; }
bool CKanji::operator<=(const CKanji& cOther) const { return !operator>(cOther); }
bool CKanji::operator>=(const CKanji& cOther) const { return !operator<(cOther); }

int CKanji::Compare(const char* pcText, bool bPrefix) const {
  const std::unique_ptr<CKanji> pSide(MakeCmpThis());
  const CKanji& cSide = pSide ? *pSide : *this;
  CKanji cWork;
  const char* pcOther = MakeCmpObj(cWork, pcText);
  return Walk(cSide, cSide.GetBuff(), pcOther, bPrefix).diff;
}

int CKanji::Compare(const CKanji& cText, bool bPrefix) const {
  const std::unique_ptr<CKanji> pSide(MakeCmpThis());
  const CKanji& cSide = pSide ? *pSide : *this;
  CKanji cWork;
  const char* pcOther = MakeCmpObj(cWork, cText);
  return Walk(cSide, cSide.GetBuff(), pcOther, bPrefix).diff;
}

int CKanji::Compare(const char* pcText, CKanji& cSame, CKanji& cThis, CKanji& cOther) const {
  const std::unique_ptr<CKanji> pSide(MakeCmpThis());
  CKanji cWork;
  char* pcOther = MakeCmpObj(cWork, pcText);
  return CompareAndSplit(*this, pSide ? *pSide : *this, pcOther, cSame, cThis, cOther);
}

int CKanji::Compare(const CKanji& cText, CKanji& cSame, CKanji& cThis, CKanji& cOther) const {
  const std::unique_ptr<CKanji> pSide(MakeCmpThis());
  CKanji cWork;
  // The split cuts the other side for a moment, and the other object may be an out object:
  // its text, when used in place, is copied into the work object first (a plain copy, as the
  // work object's two codes are the same).
  if (MakeCmpObj(cWork, cText) != cWork.pcBuff) {
    cWork.dwGrowSize = StepFor(cWork.dwGrowSize, cText.GetSize());
    cWork = cText.GetBuff();
  }
  return CompareAndSplit(*this, pSide ? *pSide : *this, cWork.pcBuff, cSame, cThis, cOther);
}

int CKanji::strcmp(const char* pcLeft, const char* pcRight) {
  const auto* l = reinterpret_cast<const unsigned char*>(pcLeft != nullptr ? pcLeft : "");
  const auto* r = reinterpret_cast<const unsigned char*>(pcRight != nullptr ? pcRight : "");
  while (*l != 0 && *l == *r) {
    ++l;
    ++r;
  }
  return *l - *r;
}
