// Detection: the escape parser, the per-code pair tests, what stands at a position (CheckArea),
// and the code of a whole text (CheckCode). CheckArea is the plain reference; CheckCode gets the
// same answer from block masks (PairScan.h) and keeps CheckArea for the last bytes.
#include <cstdint>
#include <cstring>

#include "codes/ByteClass.h"
#include "codes/PairScan.h"
#include "string/Kanji.h"

namespace {

using mojiwa::detail::InRange;

const unsigned char* Bytes(const char* p) { return reinterpret_cast<const unsigned char*>(p); }

bool IsShiftEscape(CKanji::ESHIFT s) {
  return s == CKanji::ESHIFT_KANJI || s == CKanji::ESHIFT_KANA || s == CKanji::ESHIFT_ASCII;
}

// Whether one of the ESC bytes marked in `esc` (bit k: p + k) opens a recognised sequence.
bool AnyShiftEscape(const char* p, std::uint64_t esc) {
  for (; esc != 0; esc >>= 1, ++p) {
    const char* at = p;
    if ((esc & 1U) != 0 && IsShiftEscape(CKanji::CheckESC(at))) return true;
  }
  return false;
}

}  // namespace

CKanji::ESHIFT CKanji::CheckESC(const char*& pcSrc) {
  const unsigned char* p = Bytes(pcSrc);
  switch (p[0]) {
    case mojiwa::detail::kSo: ++pcSrc; return ESHIFT_ASCII;
    case mojiwa::detail::kSi: ++pcSrc; return ESHIFT_KANA;
    case mojiwa::detail::kEsc: break;
    default: return ESHIFT_NONE;
  }
  // Every byte examined is consumed, also for an unknown sequence, but never the terminator: a
  // sequence cut short by the end of the text leaves the position on the NUL.
  int used = 1;
  ESHIFT answer = ESHIFT_INVALID;
  const unsigned char second = p[1];
  if (second != '\0') {
    ++used;
    const unsigned char third = p[2];
    if ((second == '$' || second == '&' || second == '(') && third != '\0') {
      ++used;
      if (second == '$' && (third == '@' || third == 'B')) {
        answer = ESHIFT_KANJI;
      } else if (second == '$' && third == '(' && p[3] != '\0') {
        ++used;
        if (p[3] == 'D') answer = ESHIFT_KANJI;
      } else if (second == '&' && third == '@') {
        answer = ESHIFT_KANJI;
      } else if (second == '(') {
        if (third == 'B' || third == 'H' || third == 'J') answer = ESHIFT_ASCII;
        if (third == 'I') answer = ESHIFT_KANA;
      }
    }
  }
  pcSrc += used;
  return answer;
}

// The pair tests read the second byte only when the first passed, so a position on the
// terminator never reads past it.
CKanji::EANS CKanji::isEUC(const char* pcSrc) {
  const unsigned char* p = Bytes(pcSrc);
  if (!mojiwa::detail::IsEucByte(p[0]) || !mojiwa::detail::IsEucByte(p[1])) return EANS_NO;
  return InRange(p[0], 0xE0, 0xEF) && p[1] <= 0xFC ? EANS_MAYBE : EANS_YES;
}

CKanji::EANS CKanji::isSJIS(const char* pcSrc) {
  const unsigned char* p = Bytes(pcSrc);
  if (!mojiwa::detail::IsSjisLead(p[0]) || !mojiwa::detail::IsSjisTrail(p[1])) return EANS_NO;
  return p[0] >= 0xA1 && p[1] >= 0xA1 ? EANS_MAYBE : EANS_YES;
}

CKanji::EANS CKanji::isJIS(const char* pcSrc) {
  const unsigned char* p = Bytes(pcSrc);
  return mojiwa::detail::IsJisByte(p[0]) && mojiwa::detail::IsJisByte(p[1]) ? EANS_YES : EANS_NO;
}

bool CKanji::isHKana(unsigned char cByte) { return mojiwa::detail::IsHKanaByte(cByte); }

CKanji::EAREA CKanji::CheckArea(const char* pcSrc) {
  const unsigned char first = Bytes(pcSrc)[0];
  if (first == mojiwa::detail::kEsc) {
    const char* at = pcSrc;
    return IsShiftEscape(CheckESC(at)) ? EAREA_ESC : EAREA_OTHER;
  }
  if (mojiwa::detail::IsJisByte(first)) return EAREA_ASCII;
  switch (isSJIS(pcSrc)) {
    case EANS_YES: return EAREA_SJIS;
    case EANS_MAYBE: return EAREA_EUC_OR_SJIS;
    case EANS_NO: break;
  }
  switch (isEUC(pcSrc)) {
    case EANS_MAYBE: return EAREA_EUC_OR_SJIS;
    case EANS_YES: return first > 0xDF ? EAREA_EUC : EAREA_EUC_OR_HKANA;
    case EANS_NO: break;
  }
  return EAREA_OTHER;
}

CKanji::EMODE CKanji::CheckCode(const char* pcText) {
  if (pcText == nullptr || *pcText == '\0') return EMODE_AUTO;
  const char* p = pcText;
  mojiwa::detail::Evidence evidence;
  // The text is measured a window at a time, so that an escape near the start of a long text
  // ends the work without the rest being read. A block reads one byte past its 64: inside the
  // window, or at most the terminator. Every ESC byte is a stop of the walk (no pair takes it as
  // second byte), and one recognised sequence makes the text JIS wherever it stands, so a
  // block's escapes are settled before its pairs are counted.
  constexpr std::size_t kWindow = 16384;
  for (std::size_t ahead = kWindow; ahead == kWindow;) {
    ahead = strnlen(p, kWindow);
    const char* const end = p + ahead;
    while (end - p >= 64) {
      const mojiwa::detail::PairMasks masks = mojiwa::detail::BlockMasks(Bytes(p));
      if (masks.esc != 0 && AnyShiftEscape(p, masks.esc)) return EMODE_JIS;
      evidence.Add(masks);
      p += 64;
    }
  }
  // The last bytes, fewer than a block, by the walk itself.
  p += evidence.trail;
  std::int64_t balance = evidence.balance;
  while (*p != '\0') {
    switch (CheckArea(p)) {
      case EAREA_ESC: return EMODE_JIS;
      case EAREA_EUC:
        ++balance;
        p += 2;
        break;
      case EAREA_SJIS:
        --balance;
        p += 2;
        break;
      case EAREA_EUC_OR_SJIS: p += 2; break;
      case EAREA_EUC_OR_HKANA:  // one byte: the second may start a pair
        ++balance;
        ++p;
        break;
      case EAREA_ASCII:
      case EAREA_OTHER: ++p; break;
    }
  }
  if (balance > 0) return EMODE_EUC;
  return balance < 0 ? EMODE_SJIS : EMODE_AUTO;
}
