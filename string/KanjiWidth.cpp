// Width and case conversion of the whole text (zen2han, han2zen, ToUpper, ToLower) and the member
// converters that pick the static one-character converter of the object's output code.
//
// The whole-text operations work in Shift_JIS whatever the object holds: the text is copied into
// a Shift_JIS temporary, rebuilt character by character into a second one, and assigned back
// through the object's own append, which converts it into the output code with its switches.
// The rebuild copies the characters it leaves alone in runs, and takes the converted forms from
// tables filled once by the one-character converters themselves.
#include <mutex>

#include "string/Kanji.h"
#include "string/TextRewrite.h"
#include "string/WorkObject.h"

namespace {

using mojiwa::detail::Bytes;
using mojiwa::detail::Chars;
using mojiwa::detail::Outcome;
using mojiwa::detail::RestoreOnExit;
using mojiwa::detail::Rewrite;
using OneChar = void (*)(const char*& src, char*& dst);

// The class isKanji gives each byte standing alone (before a NUL, so never a pair).
struct SingleTypes {
  CKanji::ETYPE of[256];
};

const SingleTypes& SingleTypeTable() {
  static const SingleTypes table = [] {
    SingleTypes t{};
    const CKanji sjis;
    for (int b = 0; b < 256; ++b) {
      const char bytes[2] = {static_cast<char>(b), '\0'};
      const char* at = bytes;
      t.of[b] = CKanji::ETYPE_OTHER;
      sjis.isKanji(at, &t.of[b]);
    }
    return t;
  }();
  return table;
}

// The half-width form of every Shift_JIS pair that may have one (leads 0x81..0x83: marks, then
// letters, digits and hiragana, then katakana), as the converter of its class writes it.
struct HalfWidth {
  Outcome half;             // takes the pair
  unsigned char class_bit;  // 1 << its class; 0 where the converter leaves the pair as it is
};
constexpr unsigned char kFirstLead = 0x81, kLastLead = 0x83;

struct HalfWidths {
  HalfWidth of[kLastLead - kFirstLead + 1][256];
};

const HalfWidths& HalfWidthTable() {
  static const HalfWidths table = [] {
    HalfWidths t{};
    const CKanji sjis;
    for (int lead = kFirstLead; lead <= kLastLead; ++lead) {
      for (int trail = 0; trail < 256; ++trail) {
        const char pair[3] = {static_cast<char>(lead), static_cast<char>(trail), '\0'};
        const char* at = pair;
        CKanji::ETYPE type = CKanji::ETYPE_OTHER;
        HalfWidth& entry = t.of[lead - kFirstLead][trail];
        entry = {Outcome(2, 2, pair[0], pair[1]), 0};
        if (!sjis.isKanji(at, &type)) continue;
        OneChar convert = nullptr;
        switch (type) {
          case CKanji::ETYPE_DIGIT: convert = CKanji::Digit2hanSJIS; break;
          case CKanji::ETYPE_ALPHA: convert = CKanji::Alpha2hanSJIS; break;
          case CKanji::ETYPE_KATAKANA: convert = CKanji::Kata2hanSJIS; break;
          case CKanji::ETYPE_HIRAKANA: convert = CKanji::Hira2hanSJIS; break;
          case CKanji::ETYPE_MARK: convert = CKanji::Mark2hanSJIS; break;
          default: continue;
        }
        char out[3] = {};  // at most two bytes; a NUL among them would have ended the append
        char* dst = out;
        convert(at, dst);
        const auto size =
            static_cast<unsigned char>(strnlen(out, static_cast<std::size_t>(dst - out)));
        if (size == 2 && out[0] == pair[0] && out[1] == pair[1]) continue;
        entry = {Outcome(2, size, out[0], out[1]), static_cast<unsigned char>(1u << type)};
      }
    }
    return t;
  }();
  return table;
}

// The half-width outcomes for one choice of classes (bit 1 << ETYPE for each class chosen), with
// nothing taken where the pair stays; made once per choice, on first use.
using HalfWidthChoice = Outcome[kLastLead - kFirstLead + 1][256];
constexpr unsigned kChoices = 1u << (CKanji::ETYPE_MARK + 1);

const HalfWidthChoice& HalfWidthsFor(unsigned chosen) {
  static std::once_flag made[kChoices];
  static HalfWidthChoice choices[kChoices];
  std::call_once(made[chosen], [chosen] {
    const HalfWidths& all = HalfWidthTable();
    for (int lead = 0; lead <= kLastLead - kFirstLead; ++lead) {
      for (int trail = 0; trail < 256; ++trail) {
        const HalfWidth& entry = all.of[lead][trail];
        choices[chosen][lead][trail] =
            (entry.class_bit & chosen) != 0 ? entry.half : entry.half.Kept();
      }
    }
  });
  return choices[chosen];
}

// The two Shift_JIS temporaries of a whole-text operation. Both grow by the object's current
// capacity, so a text of the object's size arrives in one or two growths.
class SjisRebuild {
 public:
  SjisRebuild(const char* text, CKanji::EMODE code, unsigned long step)
      : source_(CKanji::EMODE_SJIS, code, true, false, false, false, step),
        result_(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, step) {
    source_ = text;
  }

  const unsigned char* Source() const { return Bytes(source_.GetBuff()); }
  std::size_t SourceLength() const { return source_.GetSize(); }
  CKanji& Result() { return result_; }

 private:
  CKanji source_;
  CKanji result_;
};

char Shifted(unsigned char c, int delta) { return static_cast<char>(c + delta); }

// The full-width form of every byte with one, as Ascii2zenSJIS or Kana2zenSJIS writes it, and the
// bytes it takes: by bHira, by the byte after it (other, 0xDE, 0xDF: a sound mark that a kana may
// take along) and by the byte.
struct FullWidths {
  Outcome of[2][3][256];
  bool one_byte = true;   // every form before another byte takes its byte alone
  bool two_bytes = true;  // ... and is two bytes long
};

// The middle index of that table: which byte follows.
struct SoundMarks {
  unsigned char after[256] = {};
  constexpr SoundMarks() {
    after[0xDE] = 1;
    after[0xDF] = 2;
  }
};
constexpr SoundMarks kSoundMarks{};

const FullWidths& FullWidthTable() {
  static const FullWidths table = [] {
    FullWidths t{};
    const SingleTypes& types = SingleTypeTable();
    const unsigned char after[3] = {'x', 0xDE, 0xDF};
    for (int hira = 0; hira < 2; ++hira) {
      for (int next = 0; next < 3; ++next) {
        for (int b = 1; b < 256; ++b) {
          const char bytes[3] = {static_cast<char>(b), static_cast<char>(after[next]), '\0'};
          const char* src = bytes;
          char out[2] = {};
          char* dst = out;
          switch (types.of[b]) {
            case CKanji::ETYPE_DIGIT:
            case CKanji::ETYPE_ALPHA:
            case CKanji::ETYPE_MARK: CKanji::Ascii2zenSJIS(src, dst); break;
            case CKanji::ETYPE_KATAKANA: CKanji::Kana2zenSJIS(src, dst, hira != 0); break;
            default: continue;
          }
          t.of[hira][next][b] = Outcome(static_cast<unsigned>(src - bytes),
                                        static_cast<unsigned>(dst - out), out[0], out[1]);
          if (next == 0 && src - bytes != 1) t.one_byte = false;
          if (next == 0 && dst - out != 2) t.two_bytes = false;
        }
      }
    }
    return t;
  }();
  return table;
}

// The case step shared by ToUpper and ToLower, for the letters it is given (the walk marks lead
// 0x82 and the ASCII letters). A full-width letter is 0x82 0x60..0x79 (upper) or 0x82 0x81..0x9A
// (lower), 0x21 apart; ASCII letters are 0x20 apart.
template <bool kUpper>
Outcome CaseStep(bool zen, bool han, const unsigned char* p, bool two) {
  if (two) {
    const bool lower = p[1] >= 0x81;
    if (!zen || lower != kUpper || !CKanji::isAlphaSJIS(Chars(p))) return {};
    return {2, 2, static_cast<char>(p[0]), Shifted(p[1], kUpper ? -0x21 : 0x21)};
  }
  const bool lower = p[0] >= 0x61;
  if (!han || lower != kUpper || SingleTypeTable().of[p[0]] != CKanji::ETYPE_ALPHA) {
    return {};
  }
  return {1, 1, Shifted(p[0], kUpper ? -0x20 : 0x20)};
}

// The walk of a case operation: lead 0x82 for full-width letters, the ASCII letters themselves.
mojiwa::detail::CharWalk CaseWalk(bool zen, bool han) {
  mojiwa::detail::CharWalk walk(mojiwa::detail::kSjisPairs);
  if (zen) walk.Mark(0x82);
  for (int b = 0; b < 256 && han; ++b) {
    if (SingleTypeTable().of[b] == CKanji::ETYPE_ALPHA) walk.Mark(static_cast<unsigned char>(b));
  }
  return walk;
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
  CKanji& result = work.Result();
  auto out = mojiwa::detail::MakeWriter(result.pcEnd, result.dwRest, [&] { result.GrowBuffer(); });
  const Outcome(*const table)[256] =
      HalfWidthsFor((bDigit ? 1u << ETYPE_DIGIT : 0) | (bAlpha ? 1u << ETYPE_ALPHA : 0) |
                    (bKata ? 1u << ETYPE_KATAKANA : 0) | (bHira ? 1u << ETYPE_HIRAKANA : 0) |
                    (bMark ? 1u << ETYPE_MARK : 0));
  // Single bytes stay; only pairs of the leads in the table have a half-width form.
  mojiwa::detail::CharWalk walk(mojiwa::detail::kSjisPairs);
  for (int lead = kFirstLead; lead <= kLastLead; ++lead)
    walk.Mark(static_cast<unsigned char>(lead));
  Rewrite(work.Source(), work.SourceLength(), walk, out,
          [table](const unsigned char* p, bool two) -> Outcome {
            // Marked bytes are leads of the table; a lone one (before any byte) stays as it is.
            const Outcome half = table[p[0] - kFirstLead][p[1]];
            return two ? half : half.Kept();
          });
  {
    RestoreOnExit<EMODE> keep(eModeInput);
    eModeInput = EMODE_SJIS;
    operator=(result.GetBuff());
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
  CKanji& result = work.Result();
  auto out = mojiwa::detail::MakeWriter(result.pcEnd, result.dwRest, [&] { result.GrowBuffer(); });
  const SingleTypes& types = SingleTypeTable();
  bool on[ETYPE_OTHER + 1] = {};
  on[ETYPE_DIGIT] = bDigit;
  on[ETYPE_ALPHA] = bAlpha;
  on[ETYPE_MARK] = bMark;
  on[ETYPE_KATAKANA] = bKata;
  // Pairs stay; no lead byte standing alone has a class, so none is marked.
  mojiwa::detail::CharWalk walk(mojiwa::detail::kSjisPairs);
  for (int b = 1; b < 256; ++b) {
    if (on[types.of[b]]) walk.Mark(static_cast<unsigned char>(b));
  }
  const FullWidths& widths = FullWidthTable();
  const Outcome(*const full)[256] = widths.of[bHira ? 1 : 0];
  // Runs of one-byte characters not before a sound mark go by the table alone.
  mojiwa::detail::SingleOutcomes singles;
  if (widths.one_byte) singles = {full[0], 0xDE, 0xDF, widths.two_bytes};
  Rewrite(
      work.Source(), work.SourceLength(), walk, out,
      [full](const unsigned char* p, bool two) -> Outcome {
        const Outcome full_width = full[kSoundMarks.after[p[1]]][p[0]];
        if (two) return full_width.Kept();
        return full_width;
      },
      singles);
  {
    RestoreOnExit<EMODE> keep(eModeInput);
    eModeInput = EMODE_SJIS;
    operator=(result.GetBuff());
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
  CKanji& result = work.Result();
  auto out = mojiwa::detail::MakeWriter(result.pcEnd, result.dwRest, [&] { result.GrowBuffer(); });
  Rewrite(work.Source(), work.SourceLength(), CaseWalk(bZen, bHan), out,
          [&](const unsigned char* p, bool two) { return CaseStep<true>(bZen, bHan, p, two); });
  CKanji cHandOver(EMODE_SJIS, EMODE_SJIS, true, true, false, false, 1024);
  // One growth to the size that growths by 1024 would reach.
  cHandOver.dwGrowSize = mojiwa::detail::StepLike(1024, result.GetSize());
  cHandOver = result.GetBuff();
  operator<<(cHandOver);
  return pcBuff;
}

const char* CKanji::ToLower(bool bZen, bool bHan) {
  if (pcBuff == nullptr) {
    GrowBuffer();
    return pcBuff;
  }
  SjisRebuild work(pcBuff, eModeOutput, dwBuffSize);
  CKanji& result = work.Result();
  auto out = mojiwa::detail::MakeWriter(result.pcEnd, result.dwRest, [&] { result.GrowBuffer(); });
  Rewrite(work.Source(), work.SourceLength(), CaseWalk(bZen, bHan), out,
          [&](const unsigned char* p, bool two) { return CaseStep<false>(bZen, bHan, p, two); });
  CKanji cHandOver(EMODE_SJIS, EMODE_SJIS, true, true, false, false, 1024);
  cHandOver.dwGrowSize = mojiwa::detail::StepLike(1024, result.GetSize());
  cHandOver = result.GetBuff();
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
