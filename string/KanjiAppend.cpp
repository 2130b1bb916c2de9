// The one way text enters a CKanji: operator+=(const char*) decides the code of the text, converts
// it with the block converter of the pair (source code, output code), grows the buffer whenever
// the converter stops for room and resumes it there, and ends a JIS text in the Roman set. The
// other assignments and appends here are thin layers over it.
#include <cstring>
#include <functional>

#include "string/Kanji.h"
#include "string/WorkObject.h"

namespace {

// Where a conversion step writes: the object's write position, free count and shift state, and
// the switches the converters take.
struct Sink {
  char*& dst;
  unsigned long* room;
  CKanji::ESHIFT* shift;
  bool kana_to_zen;
  bool cr_lf;
  bool keep_kana;
};

// One call of a converter: converts whole characters while they fit and leaves src where it
// stopped, so that the caller can grow the buffer and call again.
using Step = void (*)(const char*& src, const Sink& out);

void PlainCopy(const char*& src, const Sink& out) {
  src = CKanji::StrcpyUpdate(out.dst, src, out.room);
}
void EucToSjis(const char*& src, const Sink& out) {
  CKanji::CopyE2S(src, out.dst, out.cr_lf, out.room);
}
void EucToJis(const char*& src, const Sink& out) {
  CKanji::CopyE2J(src, out.dst, out.cr_lf, out.room, out.shift);
}
void SjisToEuc(const char*& src, const Sink& out) { CKanji::CopyS2E(src, out.dst, out.room); }
void SjisToJis(const char*& src, const Sink& out) {
  CKanji::CopyS2J(src, out.dst, out.kana_to_zen, out.keep_kana, out.room, out.shift);
}
void JisToEuc(const char*& src, const Sink& out) {
  CKanji::CopyJ2E(src, out.dst, out.room, out.shift);
}
void JisToSjis(const char*& src, const Sink& out) {
  CKanji::CopyJ2S(src, out.dst, out.kana_to_zen, out.room, out.shift);
}

// Rows: source code; columns: output code (EMODE values 0..2).
constexpr Step kSteps[3][3] = {
    /* EUC  */ {PlainCopy, EucToSjis, EucToJis},
    /* SJIS */ {SjisToEuc, PlainCopy, SjisToJis},
    /* JIS  */ {JisToEuc, JisToSjis, PlainCopy},
};

// An undecided source (EMODE_AUTO) or any value outside the enum is copied as it stands.
Step PickStep(CKanji::EMODE source, CKanji::EMODE output) {
  const bool known = source >= CKanji::EMODE_EUC && source <= CKanji::EMODE_JIS &&
                     output >= CKanji::EMODE_EUC && output <= CKanji::EMODE_JIS;
  return known ? kSteps[source][output] : PlainCopy;
}

// True when p points into the size bytes at buff; std::less orders unrelated pointers too.
bool PointsInto(const char* p, const char* buff, unsigned long size) {
  const std::less<const char*> before;
  return buff != nullptr && !before(p, buff) && before(p, buff + size);
}

// A text that lies in the buffer it is about to be written to would be overwritten when the
// buffer is emptied, or freed when it grows: such a text is read from a copy taken first. The
// copy is a work object of one exact step, so it counts against the limit like any buffer.
class StableText {
 public:
  StableText(const char* text, const char* buff, unsigned long size)
      : text_(text != nullptr ? text : ""),
        inside_(PointsInto(text_, buff, size)),
        copy_(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, false, false, false, false,
              inside_ ? std::strlen(text_) + 1 : 2) {
    if (inside_) text_ = (copy_ += text_);
  }
  const char* get() const { return text_; }

 private:
  const char* text_;
  bool inside_;
  CKanji copy_;
};

}  // namespace

using mojiwa::detail::RestoreOnExit;

const char* CKanji::operator+=(const char* pcText) {
  const StableText cText(pcText, pcBuff, dwBuffSize);
  if (pcBuff == nullptr) GrowBuffer();

  EMODE eSource = eModeInput;
  if (eModeInput == EMODE_AUTO) {
    eSource = CheckCode(cText.get());
    if (bFixInput) {
      eModeInput = eSource;
      // The text held so far was copied while the code was undecided: convert it now, once, as if
      // it had come in the detected code. An empty text has nothing to convert.
      if (eSource != EMODE_AUTO && *pcBuff != '\0') {
        CKanji cHeld;
        cHeld = *this;
        operator=(cHeld.GetBuff());
      }
    }
  }

  const Step step = PickStep(eSource, eModeOutput);
  const Sink out{pcEnd, &dwRest, &eShift, bKanaToZen, bCrLf, bKeepKana};
  const char* pcSrc = cText.get();
  while (*pcSrc != '\0') {
    step(pcSrc, out);
    if (*pcSrc != '\0') GrowBuffer();
  }
  // FlushXXX2jis writes ESC ( B whole or not at all, so growth never leaves it cut.
  if (eModeOutput == EMODE_JIS) {
    while (!FlushXXX2jis(eShift, pcEnd, &dwRest)) GrowBuffer();
  }
  return pcBuff;
}

const char* CKanji::operator=(const char* pcText) {
  const StableText cText(pcText, pcBuff, dwBuffSize);
  Clear();
  const char* pcResult = operator+=(cText.get());
  // An append of a derived class may leave the kanji set open; an assignment still closes it.
  if (eModeOutput == EMODE_JIS && eShift != ESHIFT_ASCII && pcBuff != nullptr) {
    while (!FlushXXX2jis(eShift, pcEnd, &dwRest)) GrowBuffer();
    pcResult = pcBuff;
  }
  return pcResult;
}

const char* CKanji::operator<<(const CKanji& cSrc) {
  // Assigning an object to itself leaves it as it is, shift state and all.
  if (&cSrc == this) return GetBuff();
  RestoreOnExit<EMODE> cKeep(eModeInput);
  eModeInput = cSrc.eModeOutput;
  return operator=(cSrc.GetBuff());
}

CKanji& CKanji::operator=(const CKanji& cSrc) {
  if (&cSrc == this) return *this;
  CopyConf(cSrc);
  eShift = ESHIFT_ASCII;
  operator<<(cSrc);
  return *this;
}

const char* CKanji::operator+=(const CKanji& cSrc) {
  RestoreOnExit<EMODE> cKeep(eModeInput);
  eModeInput = cSrc.eModeOutput;
  return operator+=(cSrc.GetBuff());
}

const char* CKanji::operator+=(char cChar) {
  if (dwRest <= 1) GrowBuffer();
  *pcEnd++ = cChar;
  *pcEnd = '\0';
  --dwRest;
  return pcBuff;
}

int CKanji::operator=(int nValue) {
  Clear();
  // The magnitude in unsigned arithmetic, so that INT_MIN needs no special case.
  unsigned int uMagnitude = static_cast<unsigned int>(nValue);
  if (nValue < 0) {
    operator+=('-');
    uMagnitude = 0U - uMagnitude;
  }
  char acDigits[16];
  int nCount = 0;
  do {
    acDigits[nCount++] = static_cast<char>('0' + uMagnitude % 10U);
    uMagnitude /= 10U;
  } while (uMagnitude != 0U);
  while (nCount > 0) operator+=(acDigits[--nCount]);
  return nValue;
}
