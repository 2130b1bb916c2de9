// The block converters that read 7-bit JIS: CopyJ2E and CopyJ2S. Both follow the shift state
// through escape sequences and shift codes (as CheckESC reads them), carry it across calls, and
// never step past the terminator, also not inside a pair or an escape cut short by it.
#include "codes/ByteScan.h"
#include "codes/ConvertBytes.h"
#include "codes/JisArith.h"
#include "codes/PairBlock.h"
#include "codes/RoomWriter.h"
#include "codes/WideBlock.h"
#include "string/Kanji.h"

using mojiwa::detail::Bytes;
using mojiwa::detail::Chars;
using mojiwa::detail::kCr;
using mojiwa::detail::kEsc;
using mojiwa::detail::kLf;
using mojiwa::detail::kSi;
using mojiwa::detail::kSo;
using mojiwa::detail::Look;
using mojiwa::detail::RoomWriter;
using mojiwa::detail::Run;
using mojiwa::detail::SourceWindow;

namespace {

// A step writes at most two bytes (a pair or a full-width katakana); with the NUL, 3.
constexpr unsigned long kStep = 3;

constexpr bool OpensShift(unsigned char b) { return b == kEsc || b == kSi || b == kSo; }

constexpr bool IsJisPair(const unsigned char* p) {
  return mojiwa::detail::InRange(p[0], 0x21, 0x7E) && mojiwa::detail::InRange(p[1], 0x21, 0x7E);
}

// Consumes the escape sequence or shift code at p; a recognised one, or an unrecognised
// sequence (ESHIFT_INVALID, read like the Roman set), becomes the state. Writes nothing.
void ReadShift(const unsigned char*& p, CKanji::ESHIFT& shift) {
  // ESC $ B and ESC ( B open and close nearly every kanji run: read here as CheckESC reads them,
  // without the call.
  if (p[0] == kEsc && (p[1] == '$' || p[1] == '(') && p[2] == 'B') {
    shift = p[1] == '$' ? CKanji::ESHIFT_KANJI : CKanji::ESHIFT_ASCII;
    p += 3;
    return;
  }
  const char* at = Chars(p);
  const CKanji::ESHIFT answer = CKanji::CheckESC(at);
  p = Bytes(at);
  if (answer != CKanji::ESHIFT_NONE) shift = answer;
}

// Bytes of a kanji-set run that are whole pairs: none of them opens a shift or ends a line, so
// every step in it takes two bytes. A stop byte standing as a pair's second byte belongs to the
// pair, so the run is cut to an even length and the step at its end is left to the caller.
using KanjiRun = Run<false, kEsc, kSi, kSo, kCr, kLf>;

// How many whole pairs follow p, up to `most`.
unsigned long PairsAhead(const unsigned char* p, SourceWindow& window, unsigned long most) {
  const std::size_t want = most < 0x100000 ? 2 * most : 0x200000;  // no room: no limit
  return static_cast<unsigned long>(KanjiRun::Length(p, window.Ahead(p, want, want)) / 2);
}

}  // namespace

bool CKanji::CopyJ2E(const char*& pcSrc, char*& pcDst, unsigned long* pdwRoom, ESHIFT* peShift) {
  RoomWriter out(pcDst, pdwRoom, kStep);
  SourceWindow window(Bytes(pcSrc));
  ESHIFT shift = peShift != nullptr ? *peShift : ESHIFT_ASCII;
  const unsigned char* p = Bytes(pcSrc);
#if defined(MOJIWA_WIDE_BLOCKS)
  const bool wide = mojiwa::detail::WideBlocks();
#endif
  while (*p != 0 && out.Fits()) {
#if defined(MOJIWA_WIDE_BLOCKS)
    if (wide) {
      const std::size_t taken = mojiwa::detail::JisToEucWide(
          p, window.Known(p, mojiwa::detail::kWideReadsJis, out.OneByteSteps()), shift, out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
    const unsigned char b = *p;
    if (OpensShift(b)) {
      ReadShift(p, shift);
    } else if (b == kCr) {
      ++p;
    } else if (b == kLf) {
      out.Put(b);
      ++p;
    } else if (shift == ESHIFT_KANJI) {
      if (p[1] == 0) {
        out.Put(b);  // a lone byte before the terminator: taken alone
        ++p;
        continue;
      }
#if defined(MOJIWA_PAIR_BLOCKS)
      if (mojiwa::detail::BlockFits(p, mojiwa::detail::kBlock, window, out)) {
        const unsigned taken = mojiwa::detail::JisPairBlock<mojiwa::detail::JisToEucLanes>(p, out);
        p += taken;
        if (taken != 0) continue;
      }
#endif
      unsigned long pairs = PairsAhead(p, window, out.TwoByteSteps());
      if (pairs == 0) pairs = 1;  // the pair's second byte is a stop byte, or the room is short
      for (; pairs != 0; --pairs, p += 2) out.Put(mojiwa::detail::JisToEuc({p[0], p[1]}));
    } else if (shift == ESHIFT_KANA ? mojiwa::detail::HasKanaRecord(b)
                                    : mojiwa::detail::IsHKanaByte(b)) {
      // Half-width katakana always become full width in EUC-JP.
      p += mojiwa::detail::PutFullKana(stTableH2ZE, p, out);
    } else if (shift != ESHIFT_KANA && b < 0x80) {
      p += Run<true, kEsc, kSi, kSo, kCr>::Copy(p, window, out);
    } else {
      out.Put(b);  // no record in the kana set, or a high byte that is no katakana
      ++p;
    }
  }
  if (peShift != nullptr) *peShift = shift;
  out.Finish();
  pcSrc = Chars(p);
  return *p == 0;
}

bool CKanji::CopyJ2S(const char*& pcSrc, char*& pcDst, bool bKanaToZen, unsigned long* pdwRoom,
                     ESHIFT* peShift) {
  RoomWriter out(pcDst, pdwRoom, kStep);
  SourceWindow window(Bytes(pcSrc));
  ESHIFT shift = peShift != nullptr ? *peShift : ESHIFT_ASCII;
  const unsigned char* p = Bytes(pcSrc);
#if defined(MOJIWA_WIDE_BLOCKS)
  const bool wide = mojiwa::detail::WideBlocks();
#endif
  while (*p != 0 && out.Fits()) {
#if defined(MOJIWA_WIDE_BLOCKS)
    if (wide) {
      const std::size_t taken = mojiwa::detail::JisToSjisWide(
          p, window.Known(p, mojiwa::detail::kWideReadsJis, out.OneByteSteps()), shift, out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
    const unsigned char b = *p;
    if (OpensShift(b)) {
      ReadShift(p, shift);
    } else if (b == kCr || b == kLf) {
      out.Put(b);
      ++p;
    } else if (shift == ESHIFT_KANJI) {
      if (p[1] == 0) {
        out.Put(b);
        ++p;
        continue;
      }
#if defined(MOJIWA_PAIR_BLOCKS)
      if (mojiwa::detail::BlockFits(p, mojiwa::detail::kBlock, window, out)) {
        const unsigned taken = mojiwa::detail::JisPairBlock<mojiwa::detail::JisToSjisPairs>(p, out);
        p += taken;
        if (taken != 0) continue;
      }
#endif
      // Only a JIS pair is converted: the arithmetic on other bytes can give a NUL, which would
      // end the text inside itself. Any other two bytes are copied as they stand.
      if (!IsJisPair(p)) {
        out.Put(p[0]);
        out.Put(p[1]);
        p += 2;
        continue;
      }
      unsigned long pairs = PairsAhead(p, window, out.TwoByteSteps());
      if (pairs == 0) pairs = 1;
      for (; pairs != 0 && IsJisPair(p); --pairs, p += 2) {
        out.Put(Look(mojiwa::detail::kJisToSjis, p[0], p[1]));
      }
    } else if (shift == ESHIFT_KANA) {
      if (bKanaToZen && mojiwa::detail::HasKanaRecord(b)) {
        p += mojiwa::detail::PutFullKana(stTableH2ZS, p, out);
      } else {
        // Half width stays: the 7-bit form that the JIS writer emits becomes the Shift_JIS byte,
        // 0xA1..0xDF and bytes without a record are copied.
        out.Put(!bKanaToZen && mojiwa::detail::InRange(b, 0x21, 0x5F)
                    ? static_cast<unsigned char>(b | 0x80)
                    : b);
        ++p;
      }
    } else if (b < 0x80) {
      p += Run<true, kEsc, kSi, kSo>::Copy(p, window, out);
    } else {
      out.Put(b);  // 8-bit katakana are already Shift_JIS bytes
      ++p;
    }
  }
  if (peShift != nullptr) *peShift = shift;
  out.Finish();
  pcSrc = Chars(p);
  return *p == 0;
}
