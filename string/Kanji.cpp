// CKanji's construction, buffer growth and release, the process-wide byte count, Set and Add,
// the accessors, and the table of every throw site of the library with its message bytes.
#include "string/Kanji.h"

#include <cstring>
#include <memory>
#include <new>

#include "string/Throw.h"

unsigned long CKanji::dwAllSize = 0;
unsigned long CKanji::dwMemLimit = 0x100000;

namespace mojiwa {
namespace detail {
namespace {

struct SiteInfo {
  const char* message;   // Shift_JIS bytes
  const char* function;  // null where the caller gives the path
  int line;
};

// The messages are Shift_JIS byte strings; the UTF-8 text of each stands beside it.
constexpr SiteInfo kSites[] = {
    // 出力漢字種別自動判別の設定
    {"\x8Fo\x97\xCD\x8A\xBF\x8E\x9A\x8E\xED\x95\xCA\x8E\xA9\x93\xAE\x94\xBB\x95\xCA\x82\xCC"
     "\x90\xDD\x92\xE8",
     "CKanji::Initialize", 997},
    // バッファ拡張制限
    {"\x83o\x83\x62\x83t\x83@\x8Ag\x92\xA3\x90\xA7\x8C\xC0", "CKanji::GrowBuffer", 1092},
    // バッファ拡張失敗(new演算子で戻り値がNULL)
    {"\x83o\x83\x62\x83t\x83@\x8Ag\x92\xA3\x8E\xB8\x94s(new\x89\x89\x8EZ\x8Eq\x82\xC5\x96\xDF\x82"
     "\xE8\x92l\x82\xAANULL)",
     "CKanji::GrowBuffer", 1107},
    // 作業用バッファ確保失敗(new演算子の戻り値がNULL)
    {"\x8D\xEC\x8B\xC6\x97p\x83o\x83\x62\x83t\x83@\x8Am\x95\xDB\x8E\xB8\x94s(new\x89\x89\x8EZ\x8Eq"
     "\x82\xCC\x96\xDF\x82\xE8\x92l\x82\xAANULL)",
     "CKanji::Add", 2090},
    // 作業用バッファ確保失敗(new演算子の戻り値がNULL)
    {"\x8D\xEC\x8B\xC6\x97p\x83o\x83\x62\x83t\x83@\x8Am\x95\xDB\x8E\xB8\x94s(new\x89\x89\x8EZ\x8Eq"
     "\x82\xCC\x96\xDF\x82\xE8\x92l\x82\xAANULL)",
     "CKanji::Replace", 2917},
    // 作業用バッファ確保失敗(new演算子の戻り値がNULL)
    {"\x8D\xEC\x8B\xC6\x97p\x83o\x83\x62\x83t\x83@\x8Am\x95\xDB\x8E\xB8\x94s(new\x89\x89\x8EZ\x8Eq"
     "\x82\xCC\x96\xDF\x82\xE8\x92l\x82\xAANULL)",
     "CKanji::MakeCmpThis", 3661},
    // 設定ファイルオープン失敗
    {"\x90\xDD\x92\xE8\x83t\x83@\x83\x43\x83\x8B\x83I\x81[\x83v\x83\x93\x8E\xB8\x94s", nullptr,
     2166},
    // 設定ファイル書式異常(キー無し=???
    {"\x90\xDD\x92\xE8\x83t\x83@\x83\x43\x83\x8B\x8F\x91\x8E\xAE\x88\xD9\x8F\xED(\x83L\x81[\x96\xB3"
     "\x82\xB5=???",
     nullptr, 2208},
    // 設定ファイル書式異常(=無し)
    {"\x90\xDD\x92\xE8\x83t\x83@\x83\x43\x83\x8B\x8F\x91\x8E\xAE\x88\xD9\x8F\xED(="
     "\x96\xB3\x82\xB5)",
     nullptr, 2223},
    // 設定ファイル書式異常(?#値無し
    {"\x90\xDD\x92\xE8\x83t\x83@\x83\x43\x83\x8B\x8F\x91\x8E\xAE\x88\xD9\x8F\xED(?#\x92l\x96\xB3"
     "\x82\xB5",
     nullptr, 2231},
};
static_assert(sizeof kSites / sizeof kSites[0] == static_cast<int>(Site::kConfNoValue) + 1,
              "one row per site");

// Stands in for the text of an object that has no buffer; never written.
constexpr char kEmptyText[1] = {'\0'};

// A step below 2 cannot hold a byte and its NUL, so growth would never make room.
constexpr unsigned long kMinGrowSize = 2;

}  // namespace

void ThrowAt(Site site, const char* where) {
  const SiteInfo& info = kSites[static_cast<int>(site)];
  throw CThrowErr(info.message, where != nullptr ? where : info.function, __DATE__, __TIME__,
                  __FILE__, info.line, 0);
}

}  // namespace detail
}  // namespace mojiwa

using mojiwa::detail::Site;
using mojiwa::detail::ThrowAt;

CThrowErr::CThrowErr(const char* pcMessage, const char* pcFunction, const char* pcDate,
                     const char* pcTime, const char* pcFile, int nLine, unsigned long dwCode)
    : pcMessage(pcMessage),
      pcFunction(pcFunction),
      dwCode(dwCode),
      pcDate(pcDate),
      pcTime(pcTime),
      pcFile(pcFile),
      nLine(nLine) {}

// ---- Construction ------------------------------------------------------------------------

void CKanji::Initialize(EMODE eOutput, EMODE eInput, bool bFix, bool bKana, bool bCr, bool bKeep,
                        unsigned long dwStep) {
  if (eOutput == EMODE_AUTO) ThrowAt(Site::kInitialize);
  eModeInput = eInput;
  eModeOutput = eOutput;
  dwGrowSize = dwStep < mojiwa::detail::kMinGrowSize ? mojiwa::detail::kMinGrowSize : dwStep;
  bFixInput = bFix;
  bKanaToZen = bKana;
  bCrLf = bCr;
  bKeepKana = bKeep;
  eShift = ESHIFT_ASCII;
  pcBuff = nullptr;
  pcEnd = nullptr;
  dwBuffSize = 0;
  dwRest = 0;
}

CKanji::CKanji(EMODE eOutput, EMODE eInput, bool bFix, bool bKana, bool bCr, bool bKeep,
               unsigned long dwStep) {
  Initialize(eOutput, eInput, bFix, bKana, bCr, bKeep, dwStep);
}

CKanji::CKanji(const char* pcText, EMODE eOutput, EMODE eInput, bool bFix, bool bKana, bool bCr,
               bool bKeep, unsigned long dwStep) {
  Initialize(eOutput, eInput, bFix, bKana, bCr, bKeep, dwStep);
  // A throwing constructor runs no destructor: release what the assignment grew.
  try {
    operator=(pcText != nullptr ? pcText : "");
  } catch (...) {
    FreeBuffer();
    throw;
  }
}

CKanji::CKanji(const CKanji& cSrc, bool bCopyText)
    : eModeInput(cSrc.eModeInput),
      eModeOutput(cSrc.eModeOutput),
      dwGrowSize(cSrc.dwGrowSize),
      bFixInput(cSrc.bFixInput),
      bKanaToZen(cSrc.bKanaToZen),
      bCrLf(cSrc.bCrLf),
      bKeepKana(cSrc.bKeepKana),
      eShift(ESHIFT_ASCII),
      pcBuff(nullptr),
      pcEnd(nullptr),
      dwBuffSize(0),
      dwRest(0) {
  if (!bCopyText) return;
  try {
    operator<<(cSrc);
  } catch (...) {
    FreeBuffer();
    throw;
  }
}

CKanji::~CKanji() { FreeBuffer(); }

// ---- Buffer and accounting ---------------------------------------------------------------

void CKanji::GrowBuffer() {
  // Only the net increase is tested: the old buffer is released once the new one holds the
  // text. Written without the sum so that a huge step cannot wrap around the limit.
  if (dwMemLimit != 0 && (dwAllSize > dwMemLimit || dwGrowSize > dwMemLimit - dwAllSize)) {
    ThrowAt(Site::kGrowLimit);
  }
  const unsigned long dwNewSize = dwBuffSize + dwGrowSize;
  if (dwNewSize < dwBuffSize) ThrowAt(Site::kGrowAlloc);
  char* pcNew = new (std::nothrow) char[dwNewSize];
  if (pcNew == nullptr) ThrowAt(Site::kGrowAlloc);

  // The text is what stands before the first NUL; an embedded NUL (from operator+=(char)) cuts
  // it here, and the free count follows the bytes actually kept.
  unsigned long dwLength = 0;
  if (pcBuff != nullptr) {
    dwLength = static_cast<unsigned long>(std::strlen(pcBuff));
    std::memcpy(pcNew, pcBuff, dwLength);
    FreeBuffer();
  }
  pcNew[dwLength] = '\0';
  pcBuff = pcNew;
  pcEnd = pcNew + dwLength;
  dwBuffSize = dwNewSize;
  dwRest = dwNewSize - dwLength;
  dwAllSize += dwNewSize;
}

void CKanji::FreeBuffer() {
  if (pcBuff == nullptr) return;
  delete[] pcBuff;
  dwAllSize -= dwBuffSize;
  pcBuff = nullptr;
  pcEnd = nullptr;
  dwBuffSize = 0;
  dwRest = 0;
}

bool CKanji::SetMemLimit(unsigned long dwLimit) {
  dwMemLimit = dwLimit;
  return dwLimit >= dwAllSize;
}

void CKanji::Clear() {
  eShift = ESHIFT_ASCII;
  if (pcBuff == nullptr) return;
  pcEnd = pcBuff;
  *pcEnd = '\0';
  dwRest = dwBuffSize;
}

void CKanji::Free() {
  FreeBuffer();
  eShift = ESHIFT_ASCII;
}

void CKanji::CopyConf(const CKanji& cSrc) {
  Clear();
  eModeInput = cSrc.eModeInput;
  eModeOutput = cSrc.eModeOutput;
  dwGrowSize = cSrc.dwGrowSize;
  bFixInput = cSrc.bFixInput;
  bKanaToZen = cSrc.bKanaToZen;
  bCrLf = cSrc.bCrLf;
  bKeepKana = cSrc.bKeepKana;
  eShift = cSrc.eShift;
}

// ---- Raw bytes ---------------------------------------------------------------------------

void CKanji::Set(const char* pcData, unsigned long dwSize) {
  Clear();
  Add(pcData, dwSize);
}

void CKanji::Add(const char* pcData, unsigned long dwSize) {
  if (pcData == nullptr) dwSize = 0;
  // One byte more than the count, for the NUL; a count at the top of the range cannot have it.
  if (dwSize + 1 == 0) ThrowAt(Site::kAddAlloc);
  std::unique_ptr<char[]> pcCopy(new (std::nothrow) char[dwSize + 1]);
  if (!pcCopy) ThrowAt(Site::kAddAlloc);
  // A NUL among the bytes ends the text; memchr reads no further than it.
  const void* pNul = dwSize != 0 ? std::memchr(pcData, '\0', dwSize) : nullptr;
  const unsigned long dwLength =
      pNul != nullptr ? static_cast<unsigned long>(static_cast<const char*>(pNul) - pcData)
                      : dwSize;
  if (dwLength != 0) std::memcpy(pcCopy.get(), pcData, dwLength);
  pcCopy[dwLength] = '\0';
  operator+=(static_cast<const char*>(pcCopy.get()));
}

// ---- Accessors ---------------------------------------------------------------------------

const char* CKanji::GetBuff() const {
  return pcBuff != nullptr ? pcBuff : mojiwa::detail::kEmptyText;
}

CKanji::operator const char*() const { return GetBuff(); }

unsigned long CKanji::GetSize() const { return pcBuff != nullptr ? dwBuffSize - dwRest : 0; }

CKanji::EMODE CKanji::GetModeInput() const { return eModeInput; }

CKanji::EMODE CKanji::GetModeOutput() const { return eModeOutput; }

CKanji::EMODE CKanji::SetInputMode(EMODE eMode) {
  const EMODE eOld = eModeInput;
  eModeInput = eMode;
  return eOld;
}
