// The block converters between the two 8-bit codes, which carry no shift state: CopyE2S (EUC-JP
// to Shift_JIS, with CR written before LF on request) and CopyS2E (Shift_JIS to EUC-JP, CR
// dropped, half-width katakana made full width).
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
using mojiwa::detail::Look;
using mojiwa::detail::RoomWriter;
using mojiwa::detail::Run;
using mojiwa::detail::SourceWindow;

namespace {

// A step writes at most two bytes (a pair, a full-width katakana, CR LF); with the NUL, 3.
constexpr unsigned long kStep = 3;

}  // namespace

bool CKanji::CopyE2S(const char*& pcSrc, char*& pcDst, bool bCrLf, unsigned long* pdwRoom) {
  RoomWriter out(pcDst, pdwRoom, kStep);
  SourceWindow window(Bytes(pcSrc));
  const unsigned char* p = Bytes(pcSrc);
#if defined(MOJIWA_WIDE_BLOCKS)
  const bool wide = mojiwa::detail::WideBlocks();
#endif
  while (*p != 0 && out.Fits()) {
#if defined(MOJIWA_WIDE_BLOCKS)
    if (wide) {
      const std::size_t taken = mojiwa::detail::EucToSjisWide(
          p, window.Known(p, mojiwa::detail::kWideReads8Bit, out.OneByteSteps()), bCrLf, out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
#if defined(MOJIWA_PAIR_BLOCKS)
    if (mojiwa::detail::BlockFits(p, mojiwa::detail::kBlock + 1, window, out)) {
      const unsigned taken = mojiwa::detail::EucToSjisBlock(p, bCrLf, out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
    const unsigned char b = *p;
    if (b == kLf && bCrLf) {
      out.Put(kCr);
      out.Put(kLf);
      ++p;
    } else if (b < 0x80) {
      p += bCrLf ? Run<true, kLf>::Copy(p, window, out) : Run<true>::Copy(p, window, out);
    } else if (mojiwa::detail::IsEucPair(p)) {
      // A run of pairs, each a step of its own.
      do {
        out.Put(Look(mojiwa::detail::kEucToSjis, p[0], p[1]));
        p += 2;
      } while (out.Fits() && mojiwa::detail::IsEucPair(p));
    } else {
      out.Put(b);  // no pair: 0x8E and 0x8F among them, taken alone
      ++p;
    }
  }
  out.Finish();
  pcSrc = Chars(p);
  return *p == 0;
}

bool CKanji::CopyS2E(const char*& pcSrc, char*& pcDst, unsigned long* pdwRoom) {
  RoomWriter out(pcDst, pdwRoom, kStep);
  SourceWindow window(Bytes(pcSrc));
  const unsigned char* p = Bytes(pcSrc);
#if defined(MOJIWA_WIDE_BLOCKS)
  const bool wide = mojiwa::detail::WideBlocks();
#endif
  while (*p != 0 && out.Fits()) {
#if defined(MOJIWA_WIDE_BLOCKS)
    if (wide) {
      const std::size_t taken = mojiwa::detail::SjisToEucWide(
          p, window.Known(p, mojiwa::detail::kWideReads8Bit, out.OneByteSteps()), out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
#if defined(MOJIWA_PAIR_BLOCKS)
    if (mojiwa::detail::BlockFits(p, mojiwa::detail::kBlock + 1, window, out)) {
      const unsigned taken = mojiwa::detail::SjisToEucBlock(p, out);
      p += taken;
      if (taken != 0) continue;
    }
#endif
    const unsigned char b = *p;
    if (b == kCr) {
      ++p;
    } else if (b < 0x80) {
      p += Run<true, kCr>::Copy(p, window, out);
    } else if (mojiwa::detail::IsSjisPair(p)) {
      do {
        out.Put(Look(mojiwa::detail::kSjisToEuc, p[0], p[1]));
        p += 2;
      } while (out.Fits() && mojiwa::detail::IsSjisPair(p));
    } else if (mojiwa::detail::IsHKanaByte(b)) {
      p += mojiwa::detail::PutFullKana(stTableH2ZE, p, out);
    } else {
      out.Put(b);
      ++p;
    }
  }
  out.Finish();
  pcSrc = Chars(p);
  return *p == 0;
}
