// The block converters that write 7-bit JIS: CopyE2J and CopyS2J. The shift state of the
// destination is carried across calls; a set is entered when its first character comes, and
// every line end is written in the Roman set, so that each line of the output starts there.
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
using mojiwa::detail::kLf;
using mojiwa::detail::kSi;
using mojiwa::detail::kSo;
using mojiwa::detail::Look;
using mojiwa::detail::RoomWriter;
using mojiwa::detail::Run;
using mojiwa::detail::SourceWindow;

namespace {

// The longest EUC step: ESC ( B, CR, LF (or ESC $ B and a pair); with the NUL, 6.
constexpr unsigned long kEucStep = 6;
// The longest Shift_JIS step: SO, ESC $ B and a pair (or ESC ( B and CR LF); with the NUL, 7.
constexpr unsigned long kSjisStep = 7;

}  // namespace

bool CKanji::CopyE2J(const char*& pcSrc, char*& pcDst, bool bCrLf, unsigned long* pdwRoom,
                     ESHIFT* peShift) {
  RoomWriter out(pcDst, pdwRoom, kEucStep);
  SourceWindow window(Bytes(pcSrc));
  ESHIFT shift = peShift != nullptr ? *peShift : ESHIFT_ASCII;
  const unsigned char* p = Bytes(pcSrc);
#if defined(MOJIWA_WIDE_BLOCKS)
  const bool wide = mojiwa::detail::WideBlocks();
#endif
  while (*p != 0 && out.Fits()) {
#if defined(MOJIWA_WIDE_BLOCKS)
    if (wide) {
      const std::size_t taken = mojiwa::detail::EucToJisWide(
          p, window.Known(p, mojiwa::detail::kWideReadsJis, out.OneByteSteps()), bCrLf, shift, out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
    const unsigned char b = *p;
    if (b == kLf) {
      if (shift == ESHIFT_KANJI) {
        out.Put3(pcAsciiIn);
        shift = ESHIFT_ASCII;
      }
      if (bCrLf) out.Put(kCr);
      out.Put(kLf);
      ++p;
    } else if (mojiwa::detail::IsEucPair(p)) {
      if (shift != ESHIFT_KANJI) {
        out.Put3(pcKnjiIn);
        shift = ESHIFT_KANJI;
      }
      // A run of pairs in the kanji set, each a step of its own.
      out.Put(mojiwa::detail::EucToJis({p[0], p[1]}));
      p += 2;
#if defined(MOJIWA_PAIR_BLOCKS)
      while (out.Fits() && mojiwa::detail::BlockFits(p, mojiwa::detail::kBlock, window, out)) {
        const unsigned taken = mojiwa::detail::EucPairBlock(p, out);
        p += taken;
        if (taken != mojiwa::detail::kBlock) break;  // the run ended inside the block
      }
#endif
      while (out.Fits() && mojiwa::detail::IsEucPair(p)) {
        out.Put(mojiwa::detail::EucToJis({p[0], p[1]}));
        p += 2;
      }
    } else {
      if (shift != ESHIFT_ASCII) {
        out.Put3(pcAsciiIn);
        shift = ESHIFT_ASCII;
      }
      if (b < 0x80) {
        p += Run<true, kLf>::Copy(p, window, out);
      } else {
        out.Put(b);  // a high byte that starts no pair: 0x8E and 0x8F among them
        ++p;
      }
    }
  }
  if (peShift != nullptr) *peShift = shift;
  out.Finish();
  pcSrc = Chars(p);
  return *p == 0;
}

bool CKanji::CopyS2J(const char*& pcSrc, char*& pcDst, bool /*bKanaToZen*/, bool bKeepKana,
                     unsigned long* pdwRoom, ESHIFT* peShift) {
  RoomWriter out(pcDst, pdwRoom, kSjisStep);
  SourceWindow window(Bytes(pcSrc));
  ESHIFT shift = peShift != nullptr ? *peShift : ESHIFT_ASCII;
  const unsigned char* p = Bytes(pcSrc);
#if defined(MOJIWA_WIDE_BLOCKS)
  const bool wide = mojiwa::detail::WideBlocks();
#endif
  while (*p != 0 && out.Fits()) {
#if defined(MOJIWA_WIDE_BLOCKS)
    if (wide) {
      const std::size_t taken = mojiwa::detail::SjisToJisWide(
          p, window.Known(p, mojiwa::detail::kWideReadsJis, out.OneByteSteps()), shift, out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
    const unsigned char b = *p;
    if (b == kCr || b == kLf) {
      if (shift == ESHIFT_KANJI) out.Put3(pcAsciiIn);
      if (shift == ESHIFT_KANA) out.Put(kSo);
      shift = ESHIFT_ASCII;
      out.Put(b);
      ++p;
      if (*p == kLf) {  // CR LF, or LF LF, in the same step
        out.Put(kLf);
        ++p;
      }
      continue;
    }
    const bool pair = mojiwa::detail::IsSjisPair(p);
    const bool kana = !pair && mojiwa::detail::IsHKanaByte(b);
    ESHIFT want = ESHIFT_ASCII;
    if (pair || (kana && !bKeepKana)) want = ESHIFT_KANJI;  // katakana go full width
    if (kana && bKeepKana) want = ESHIFT_KANA;
    if (want != shift) {
      if (shift == ESHIFT_KANA) {
        out.Put(kSo);
        if (want == ESHIFT_KANJI) out.Put3(pcKnjiIn);
      } else if (want == ESHIFT_KANA) {
        out.Put(kSi);
      } else {
        out.Put3(want == ESHIFT_KANJI ? pcKnjiIn : pcAsciiIn);
      }
      shift = want;
    }
    if (pair) {
      out.Put(Look(mojiwa::detail::kSjisToJis, p[0], p[1]));
      p += 2;
#if defined(MOJIWA_PAIR_BLOCKS)
      while (out.Fits() && mojiwa::detail::BlockFits(p, mojiwa::detail::kBlock + 1, window, out)) {
        const unsigned taken = mojiwa::detail::SjisPairBlock(p, out);
        p += taken;
        if (taken != mojiwa::detail::kBlock) break;  // the run ended inside the block
      }
#endif
      while (out.Fits() && mojiwa::detail::IsSjisPair(p)) {
        out.Put(Look(mojiwa::detail::kSjisToJis, p[0], p[1]));
        p += 2;
      }
    } else if (want == ESHIFT_KANJI) {
      p += mojiwa::detail::PutFullKana(stTableH2ZJ, p, out);
    } else if (b < 0x80) {
      p += Run<true, kCr, kLf>::Copy(p, window, out);
    } else {
      // With bKeepKana the byte loses bit 7 (katakana 0xA1..0xDF become 0x21..0x5F), except
      // 0x80, which would become a NUL inside the text.
      out.Put(bKeepKana && b != 0x80 ? static_cast<unsigned char>(b & 0x7F) : b);
      ++p;
    }
  }
  if (peShift != nullptr) *peShift = shift;
  out.Finish();
  pcSrc = Chars(p);
  return *p == 0;
}
