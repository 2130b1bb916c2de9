// Width and case conversion of the whole text (zen2han, han2zen, ToUpper, ToLower) and the member
// converters that pick the static one-character converter of the object's output code.
//
// The whole-text operations work in Shift_JIS whatever the object holds: the text is copied into
// a Shift_JIS temporary, rebuilt character by character into a second one, and assigned back
// through the object's own append, which converts it into the output code with its switches.
#include "string/Kanji.h"
#include "string/WorkObject.h"

namespace {

using mojiwa::detail::RestoreOnExit;
using OneChar = void (*)(const char*& src, char*& dst);

// The two Shift_JIS temporaries of a whole-text operation. Both grow by the object's current
// capacity, so a text of the object's size arrives in one or two growths.
class SjisRebuild {
 public:
  SjisRebuild(const char* text, CKanji::EMODE code, unsigned long step)
      : source_(CKanji::EMODE_SJIS, code, true, false, false, false, step),
        result_(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, step) {
    source_ = text;
  }

  // Hands each character of the source to step(position, two_byte, type, result); the step
  // appends its outcome to the result and moves the position past what it consumed.
  template <class Step>
  void Walk(Step step) {
    const char* p = source_.GetBuff();
    while (*p != '\0') {
      CKanji::ETYPE type = CKanji::ETYPE_OTHER;
      const bool two = source_.isKanji(p, &type);  // a Shift_JIS object never moves p here
      step(p, two, type, result_);
    }
  }

  const char* Result() const { return result_.GetBuff(); }

 private:
  CKanji source_;
  CKanji result_;
};

char Shifted(char c, int delta) { return static_cast<char>(static_cast<unsigned char>(c) + delta); }

// The case step shared by ToUpper and ToLower. A full-width letter is 0x82 0x60..0x79 (upper) or
// 0x82 0x81..0x9A (lower), 0x21 apart; ASCII letters are 0x20 apart.
template <bool kUpper>
void CaseStep(bool zen, bool han, const char*& p, bool two, CKanji::ETYPE type, CKanji& result) {
  const bool letter = type == CKanji::ETYPE_ALPHA;
  if (two) {
    const auto second = static_cast<unsigned char>(p[1]);
    const bool lower = second >= 0x81;
    result += p[0];
    result += (letter && zen && lower == kUpper) ? Shifted(p[1], kUpper ? -0x21 : 0x21) : p[1];
    p += 2;
    return;
  }
  const auto byte = static_cast<unsigned char>(*p);
  const bool lower = byte >= 0x61;
  result += (letter && han && lower == kUpper) ? Shifted(*p, kUpper ? -0x20 : 0x20) : *p;
  ++p;
}

void ByCode(CKanji::EMODE code, OneChar euc, OneChar sjis, OneChar jis, const char*& src,
            char*& dst) {
  switch (code) {
    case CKanji::EMODE_EUC: euc(src, dst); break;
    case CKanji::EMODE_SJIS: sjis(src, dst); break;
    case CKanji::EMODE_JIS: jis(src, dst); break;
    default: break;
  }
}

}  // namespace

const char* CKanji::zen2han(bool bDigit, bool bAlpha, bool bKata, bool bMark, bool bHira) {
  if (pcBuff == nullptr) {
    GrowBuffer();
    return pcBuff;
  }
  SjisRebuild work(pcBuff, eModeOutput, dwBuffSize);
  work.Walk([&](const char*& p, bool two, ETYPE type, CKanji& result) {
    if (!two) {
      result += *p++;
      return;
    }
    OneChar convert = nullptr;
    switch (type) {
      case ETYPE_DIGIT: convert = bDigit ? Digit2hanSJIS : nullptr; break;
      case ETYPE_ALPHA: convert = bAlpha ? Alpha2hanSJIS : nullptr; break;
      case ETYPE_KATAKANA: convert = bKata ? Kata2hanSJIS : nullptr; break;
      case ETYPE_HIRAKANA: convert = bHira ? Hira2hanSJIS : nullptr; break;
      case ETYPE_MARK: convert = bMark ? Mark2hanSJIS : nullptr; break;
      default: break;
    }
    char scratch[3];  // at most two bytes and the NUL
    char* dst = scratch;
    if (convert != nullptr) {
      convert(p, dst);
    } else {
      *dst++ = *p++;
      *dst++ = *p++;
    }
    *dst = '\0';
    result += static_cast<const char*>(scratch);
  });
  {
    RestoreOnExit<EMODE> keep(eModeInput);
    eModeInput = EMODE_SJIS;
    operator=(work.Result());
  }
  // The append has already ended a JIS text in the Roman set; this covers a derived append that
  // does not.
  while (eModeOutput == EMODE_JIS && eShift != ESHIFT_ASCII) {
    if (!FlushXXX2jis(eShift, pcEnd, &dwRest)) GrowBuffer();
  }
  return pcBuff;
}

const char* CKanji::han2zen(bool bDigit, bool bAlpha, bool bKata, bool bMark, bool bHira) {
  if (pcBuff == nullptr) {
    GrowBuffer();
    return pcBuff;
  }
  SjisRebuild work(pcBuff, eModeOutput, dwBuffSize);
  work.Walk([&](const char*& p, bool two, ETYPE type, CKanji& result) {
    if (two) {
      result += p[0];
      result += p[1];
      p += 2;
      return;
    }
    char scratch[3];  // at most two bytes and the NUL
    char* dst = scratch;
    const bool ascii = (type == ETYPE_DIGIT && bDigit) || (type == ETYPE_ALPHA && bAlpha) ||
                       (type == ETYPE_MARK && bMark);
    if (ascii) {
      Ascii2zenSJIS(p, dst);
    } else if (type == ETYPE_KATAKANA && bKata) {
      Kana2zenSJIS(p, dst, bHira);  // takes a following sound mark along where it merges
    } else {
      *dst++ = *p++;
    }
    *dst = '\0';
    result += static_cast<const char*>(scratch);
  });
  {
    RestoreOnExit<EMODE> keep(eModeInput);
    eModeInput = EMODE_SJIS;
    operator=(work.Result());
  }
  while (eModeOutput == EMODE_JIS && eShift != ESHIFT_ASCII) {
    if (!FlushXXX2jis(eShift, pcEnd, &dwRest)) GrowBuffer();
  }
  return pcBuff;
}

const char* CKanji::ToUpper(bool bZen, bool bHan) {
  if (pcBuff == nullptr) {
    GrowBuffer();
    return pcBuff;
  }
  SjisRebuild work(pcBuff, eModeOutput, dwBuffSize);
  work.Walk([&](const char*& p, bool two, ETYPE type, CKanji& result) {
    CaseStep<true>(bZen, bHan, p, two, type, result);
  });
  CKanji cHandOver(EMODE_SJIS, EMODE_SJIS, true, true, false, false, 1024);
  cHandOver = work.Result();
  operator<<(cHandOver);
  return pcBuff;
}

const char* CKanji::ToLower(bool bZen, bool bHan) {
  if (pcBuff == nullptr) {
    GrowBuffer();
    return pcBuff;
  }
  SjisRebuild work(pcBuff, eModeOutput, dwBuffSize);
  work.Walk([&](const char*& p, bool two, ETYPE type, CKanji& result) {
    CaseStep<false>(bZen, bHan, p, two, type, result);
  });
  CKanji cHandOver(EMODE_SJIS, EMODE_SJIS, true, true, false, false, 1024);
  cHandOver = work.Result();
  operator<<(cHandOver);
  return pcBuff;
}

// ---- One character in the output code -----------------------------------------------------

void CKanji::Digit2han(const char*& pcSrc, char*& pcDst) {
  ByCode(eModeOutput, Digit2hanEUC, Digit2hanSJIS, Digit2hanJIS, pcSrc, pcDst);
}

void CKanji::Alpha2han(const char*& pcSrc, char*& pcDst) {
  ByCode(eModeOutput, Alpha2hanEUC, Alpha2hanSJIS, Alpha2hanJIS, pcSrc, pcDst);
}

void CKanji::Kata2han(const char*& pcSrc, char*& pcDst) {
  ByCode(eModeOutput, Kata2hanEUC, Kata2hanSJIS, Kata2hanJIS, pcSrc, pcDst);
}

void CKanji::Hira2han(const char*& pcSrc, char*& pcDst) {
  ByCode(eModeOutput, Hira2hanEUC, Hira2hanSJIS, Hira2hanJIS, pcSrc, pcDst);
}

void CKanji::Mark2han(const char*& pcSrc, char*& pcDst) {
  ByCode(eModeOutput, Mark2hanEUC, Mark2hanSJIS, Mark2hanJIS, pcSrc, pcDst);
}

void CKanji::Ascii2zen(const char*& pcSrc, char*& pcDst) {
  ByCode(eModeOutput, Ascii2zenEUC, Ascii2zenSJIS, Ascii2zenJIS, pcSrc, pcDst);
}

void CKanji::Kana2zen(const char*& pcSrc, char*& pcDst, bool bHira) {
  switch (eModeOutput) {
    case EMODE_EUC: Kana2zenEUC(pcSrc, pcDst, bHira); break;
    case EMODE_SJIS: Kana2zenSJIS(pcSrc, pcDst, bHira); break;
    case EMODE_JIS: Kana2zenJIS(pcSrc, pcDst, bHira); break;
    default: break;
  }
}
