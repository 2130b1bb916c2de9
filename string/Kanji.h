// Mojiwa: Japanese text in Shift_JIS, EUC-JP and 7-bit JIS.
//
// CKanji holds one text in a fixed output code, takes text in any of the three codes (or detects
// it), and converts, compares, replaces and cleans it. The recognisers, the converters and the
// width tables are static members, usable on plain NUL-terminated byte strings.
//
// This header is the library's binary interface: the field order, the enum values and the order
// of the virtual functions (their vtable slots) must not change. It compiles as C++11.
#ifndef MOJIWA_KANJI_H
#define MOJIWA_KANJI_H

#include <cstdio>

#if defined(_WIN32)
#if defined(MOJIWA_BUILDING)
#define MOJIWA_API __declspec(dllexport)
#elif defined(MOJIWA_STATIC)
#define MOJIWA_API
#else
#define MOJIWA_API __declspec(dllimport)
#endif
#else
#define MOJIWA_API __attribute__((visibility("default")))
#endif

class CKanjiHash;

// The record thrown by value for every fatal condition of the library.
class MOJIWA_API CThrowErr {
 public:
  // Note the argument order: the numeric code comes last although it is the third field.
  CThrowErr(const char* pcMessage, const char* pcFunction, const char* pcDate, const char* pcTime,
            const char* pcFile, int nLine, unsigned long dwCode);

  const char* pcMessage;   // fixed Japanese message, stored as Shift_JIS bytes
  const char* pcFunction;  // "CKanji::GrowBuffer" and the like; the file's path for ReadConf
  unsigned long dwCode;    // always 0
  const char* pcDate;      // build date of the library
  const char* pcTime;      // build time of the library
  const char* pcFile;      // source file of the class
  int nLine;               // line of the throw site
};

class MOJIWA_API CKanji {
 public:
  // ---- Code model -------------------------------------------------------------------------
  // Every enum is 32 bits wide; the values are part of the interface.

  // The code of a text.
  enum EMODE : int { EMODE_EUC = 0, EMODE_SJIS = 1, EMODE_JIS = 2, EMODE_AUTO = 3 };

  // The class of one character.
  enum ETYPE : int {
    ETYPE_ALPHA = 0,     // Latin letter, either width
    ETYPE_DIGIT = 1,     // digit
    ETYPE_KATAKANA = 2,  // katakana, full width or a half-width katakana byte
    ETYPE_HIRAKANA = 3,  // hiragana
    ETYPE_MARK = 4,      // symbol, punctuation or space
    ETYPE_OTHER = 5      // kanji, control bytes, bytes that are no character
  };

  // The JIS shift state, and the answer of CheckESC. SI (0x0F) enters the kana set and SO (0x0E)
  // leaves it: the opposite of ISO 2022's sense, and exactly what the JIS writer emits.
  enum ESHIFT : int {
    ESHIFT_NONE = 0,    // (answer only) neither an escape sequence nor a shift code
    ESHIFT_KANJI = 1,   // ESC $ @, ESC $ B, ESC & @, ESC $ ( D
    ESHIFT_KANA = 2,    // ESC ( I, SI
    ESHIFT_ASCII = 3,   // ESC ( B, ESC ( J, ESC ( H, SO
    ESHIFT_INVALID = 4  // an escape sequence that is none of the above
  };

  // What CheckArea finds at a position.
  enum EAREA : int {
    EAREA_ESC = 0,           // a recognised escape sequence
    EAREA_EUC = 1,           // a pair valid only in EUC-JP
    EAREA_SJIS = 2,          // a pair valid only in Shift_JIS
    EAREA_EUC_OR_SJIS = 3,   // a pair valid in both
    EAREA_ASCII = 4,         // a printable ASCII byte 0x21..0x7E
    EAREA_EUC_OR_HKANA = 5,  // an EUC pair, or two Shift_JIS half-width katakana
    EAREA_OTHER = 6          // anything else
  };

  // The answer of isEUC, isSJIS and isJIS.
  enum EANS : int { EANS_YES = 0, EANS_MAYBE = 1, EANS_NO = 2 };

  // One full-width-to-half-width result: cFirst 0 means "copy the source character unchanged",
  // cSecond 0 means the result is the single byte cFirst.
  struct SZen2Han {
    char cFirst;
    char cSecond;
  };

  // The full-width forms of one half-width katakana byte, alone and with a following voiced (0xDE)
  // or semi-voiced (0xDF) sound mark; each string is two bytes and a NUL, pcDaku and pcHandaku
  // may be null.
  struct SHan2Zen {
    const char* pcZen;
    const char* pcDaku;
    const char* pcHandaku;
  };

  static const char* const pcKnjiIn;   // ESC $ B, written to enter the kanji set
  static const char* const pcAsciiIn;  // ESC ( B, written to return to the Roman set
  static const ETYPE peAsciiType[96];  // class of each byte 0x20..0x7F, index byte - 0x20

  // Width tables. H2Z*: half-width katakana byte (index (byte & 0x7F) - 0x21) to full width, in
  // EUC-JP (E), Shift_JIS (S) or JIS (J) bytes; H2ZH*: the same to hiragana. ZK2H / ZH2H: JIS
  // cell - 0x21 of rows 0x25 / 0x24 to half-width katakana. A2Z*: ASCII byte - 0x20 to full
  // width. M2H*: full-width symbols of row 0x21 to ASCII, or to themselves.
  static const SHan2Zen stTableH2ZE[63];
  static const SHan2Zen stTableH2ZS[63];
  static const SHan2Zen stTableH2ZJ[63];
  static const SHan2Zen stTableH2ZHE[63];
  static const SHan2Zen stTableH2ZHS[63];
  static const SHan2Zen stTableH2ZHJ[63];
  static const SZen2Han stTableZK2H[86];
  static const SZen2Han stTableZH2H[84];
  static const SZen2Han stTableA2ZJ[96];
  static const SZen2Han stTableA2ZS[96];
  static const SZen2Han stTableA2ZE[96];
  static const SZen2Han stTableM2HJ[94];
  static const SZen2Han stTableM2HS[96];
  static const SZen2Han stTableM2HE[94];

  // ---- Construction ----------------------------------------------------------------------
  // Output code first, input code second. Throws CThrowErr when the output code is EMODE_AUTO.
  // A growth step below 2 is raised to 2: a smaller one could never make room.
  CKanji(EMODE eModeOutput = EMODE_SJIS, EMODE eModeInput = EMODE_SJIS, bool bFixInput = true,
         bool bKanaToZen = false, bool bCrLf = false, bool bKeepKana = false,
         unsigned long dwGrowSize = 1024);
  // As above, then assigns the text (a null pointer is the empty text).
  CKanji(const char* pcText, EMODE eModeOutput = EMODE_SJIS, EMODE eModeInput = EMODE_SJIS,
         bool bFixInput = true, bool bKanaToZen = false, bool bCrLf = false, bool bKeepKana = false,
         unsigned long dwGrowSize = 1024);
  // Takes the source's codes, switches and step; copies its text when bCopyText is true.
  CKanji(const CKanji& cSrc, bool bCopyText = true);

  // ---- Virtual operations, in slot order ---------------------------------------------------
  virtual ~CKanji();

  // Whole-text width and case conversion, by class; each returns the new text.
  virtual const char* zen2han(bool bDigit, bool bAlpha, bool bKata, bool bMark, bool bHira);
  virtual const char* han2zen(bool bDigit, bool bAlpha, bool bKata, bool bMark, bool bHira);
  virtual const char* ToUpper(bool bZen, bool bHan);
  virtual const char* ToLower(bool bZen, bool bHan);

  // Replaces the text with the rest of the stream, read line by line; the stream stays open.
  virtual CKanji& operator=(FILE* pFile);
  // Replaces the text with the decimal form of the number; returns the number.
  virtual int operator=(int nValue);
  // Replaces the text with the given text, converted from the input code (or the detected one).
  virtual const char* operator=(const char* pcText);
  // Makes this object a copy of the other in every setting and in the text.
  virtual CKanji& operator=(const CKanji& cSrc);
  // Replaces the text with the other object's, converted from its output code.
  virtual const char* operator<<(const CKanji& cSrc);
  // Writes the text to the stream unconverted (despite its shape, this writes).
  virtual const char* operator>>(FILE* pFile);
  // Appends one byte unconverted.
  virtual const char* operator+=(char cChar);
  // Appends the other object's text, converted from its output code.
  virtual const char* operator+=(const CKanji& cSrc);
  // Appends a text: detects its code when the input code is EMODE_AUTO, converts it into the
  // output code, grows the buffer as needed. Every other way in leads here.
  virtual const char* operator+=(const char* pcText);

  // Equality and order of the texts in the comparison code (Shift_JIS for a JIS object).
  virtual bool operator==(const CKanji& cOther) const;
  // Byte equality with a text in the output code, unconverted.
  virtual bool operator==(const char* pcText) const;
  virtual bool operator<(const CKanji& cOther) const;
  virtual bool operator>(const CKanji& cOther) const;

  // Whether a two-byte character starts at the position, in this object's output code. For a JIS
  // object it steps over an escape sequence or shift code and tracks *peShift (null: a local
  // state starting in ESHIFT_ASCII); for the others the position never moves and *peType gets the
  // class of the character.
  virtual bool isKanji(const char*& pcSrc, ETYPE* peType = 0, ESHIFT* peShift = 0) const;

  // Full comparison: the common leading part goes to cSame, the two differing remainders to
  // cThis and cOther. Returns the signed byte difference (negative: this text sorts first).
  virtual int Compare(const CKanji& cText, CKanji& cSame, CKanji& cThis, CKanji& cOther) const;
  virtual int Compare(const char* pcText, CKanji& cSame, CKanji& cThis, CKanji& cOther) const;

  // Replaces every occurrence of the pattern, character-aware and without overlap; returns the
  // count. The text forms are in the input code.
  virtual int Replace(const CKanji& cPattern, const CKanji& cReplace);
  virtual int Replace(const char* pcPattern, const char* pcReplace);

  // Empties the text, then appends dwSize bytes (a NUL among them ends the text).
  virtual void Set(const char* pcData, unsigned long dwSize);
  // Appends dwSize bytes through operator+=(const char*).
  virtual void Add(const char* pcData, unsigned long dwSize);

  // ---- Non-virtual operations -------------------------------------------------------------
  bool operator!=(const CKanji& cOther) const;
  bool operator!=(const char* pcText) const;
  bool operator<=(const CKanji& cOther) const;
  bool operator>=(const CKanji& cOther) const;
  // Comparison only; with bPrefix a text that is the start of the other compares 0.
  int Compare(const char* pcText, bool bPrefix = false) const;
  int Compare(const CKanji& cText, bool bPrefix = false) const;
  // Unsigned byte comparison of two texts: the difference of the first differing bytes.
  static int strcmp(const char* pcLeft, const char* pcRight);

  // The text (never null) and its length in bytes.
  const char* GetBuff() const;
  operator const char*() const;
  unsigned long GetSize() const;
  EMODE GetModeInput() const;
  EMODE GetModeOutput() const;
  // Sets the input code; returns the previous one. The text held is not touched.
  EMODE SetInputMode(EMODE eMode);
  // Sets the process-wide limit on buffer bytes (0: none); false when the bytes held exceed it.
  static bool SetMemLimit(unsigned long dwLimit);
  // Empties the text, keeping the buffer.
  void Clear();
  // Releases the buffer.
  void Free();
  // Empties the text and takes the other object's codes, switches, step and shift state.
  void CopyConf(const CKanji& cSrc);

  // One character in the object's output code, by the static converter of that code.
  void Digit2han(const char*& pcSrc, char*& pcDst);
  void Alpha2han(const char*& pcSrc, char*& pcDst);
  void Kata2han(const char*& pcSrc, char*& pcDst);
  void Hira2han(const char*& pcSrc, char*& pcDst);
  void Mark2han(const char*& pcSrc, char*& pcDst);
  void Ascii2zen(const char*& pcSrc, char*& pcDst);
  void Kana2zen(const char*& pcSrc, char*& pcDst, bool bHira);

  // Removes every character listed in cList; returns how many were removed.
  int Clean(const CKanji& cList);
  // Rewrites a JIS text so that only the escape sequences that are needed remain.
  void CleanJIS();
  // The byte at the index of the stored text; 0 outside it.
  char operator[](int nIndex) const;
  // The decimal number at the start of the text, full-width digits included.
  operator int() const;

  // Reads a key = value file into the dictionary, with this object's codes and switches as the
  // template for the keys and values. Throws CThrowErr (path in pcFunction) on an unreadable or
  // malformed file; entries stored before the faulty place stay.
  void ReadConf(const char* pcPath, CKanjiHash& cHash) const;

  // ---- Detection and classes (static, reentrant) ------------------------------------------
  static EMODE CheckCode(const char* pcText);
  static ESHIFT CheckESC(const char*& pcSrc);
  static EAREA CheckArea(const char* pcSrc);
  static EANS isEUC(const char* pcSrc);
  static EANS isSJIS(const char* pcSrc);
  static EANS isJIS(const char* pcSrc);
  static bool isHKana(unsigned char cByte);
  static bool isAlphaJIS(const char* pcSrc);
  static bool isAlphaSJIS(const char* pcSrc);
  static bool isAlphaEUC(const char* pcSrc);
  static bool isDigitJIS(const char* pcSrc);
  static bool isDigitSJIS(const char* pcSrc);
  static bool isDigitEUC(const char* pcSrc);
  static bool isKatakanaJIS(const char* pcSrc);
  static bool isKatakanaSJIS(const char* pcSrc);
  static bool isKatakanaEUC(const char* pcSrc);
  static bool isHirakanaJIS(const char* pcSrc);
  static bool isHirakanaSJIS(const char* pcSrc);
  static bool isHirakanaEUC(const char* pcSrc);
  static bool isMarkJIS(const char* pcSrc);
  static bool isMarkSJIS(const char* pcSrc);
  static bool isMarkEUC(const char* pcSrc);

  // ---- Code conversion (static, reentrant) ------------------------------------------------
  // One two-byte character by arithmetic: reads 2 bytes, writes 2, checks nothing.
  static void jis2euc(const char*& pcSrc, char*& pcDst);
  static void jis2sjis(const char*& pcSrc, char*& pcDst);
  static void euc2jis(const char*& pcSrc, char*& pcDst);
  static void euc2sjis(const char*& pcSrc, char*& pcDst);
  static void sjis2euc(const char*& pcSrc, char*& pcDst);
  static void sjis2jis(const char*& pcSrc, char*& pcDst);

  // The room contract of the copy routines and block converters: *pdwRoom counts the free bytes
  // at pcDst including the one the final NUL takes, and is lowered by the bytes written; a null
  // room means no limit. The destination is always left NUL-terminated (pcDst on the NUL), and a
  // converter never splits a character or escape sequence, so one that returns false has
  // converted a clean prefix: grow the destination and call again with the same pcSrc and shift
  // state to continue exactly where it stopped. For example:
  //
  //   const char* src = text; char* dst = buf; unsigned long room = sizeof buf;
  //   CKanji::ESHIFT shift = CKanji::ESHIFT_ASCII;
  //   while (!CKanji::CopyS2J(src, dst, false, false, &room, &shift)) { /* flush, reset */ }
  //   CKanji::FlushXXX2jis(shift, dst, &room);   // end the JIS text in the Roman set

  // Bounded copy; returns the source position after the last byte copied.
  static const char* StrcpyUpdate(char*& pcDst, const char* pcSrc, unsigned long* pdwRoom);
  // Returns a JIS text to the Roman set with ESC ( B unless it is there; never half-writes it.
  static bool FlushXXX2jis(ESHIFT& eShift, char*& pcDst, unsigned long* pdwRoom);
  // Block converters: true when the whole source was consumed.
  static bool CopyJ2E(const char*& pcSrc, char*& pcDst, unsigned long* pdwRoom = 0,
                      ESHIFT* peShift = 0);
  static bool CopyJ2S(const char*& pcSrc, char*& pcDst, bool bKanaToZen, unsigned long* pdwRoom = 0,
                      ESHIFT* peShift = 0);
  static bool CopyE2J(const char*& pcSrc, char*& pcDst, bool bCrLf, unsigned long* pdwRoom = 0,
                      ESHIFT* peShift = 0);
  static bool CopyE2S(const char*& pcSrc, char*& pcDst, bool bCrLf, unsigned long* pdwRoom = 0);
  static bool CopyS2E(const char*& pcSrc, char*& pcDst, unsigned long* pdwRoom = 0);
  static bool CopyS2J(const char*& pcSrc, char*& pcDst, bool bKanaToZen, bool bKeepKana,
                      unsigned long* pdwRoom = 0, ESHIFT* peShift = 0);

  // ---- Width conversion of one character (static) -----------------------------------------
  // Full width to half width: pcSrc advances by 2, pcDst by 1 or 2; a character without a
  // half-width form is copied unchanged. No NUL is written and no room is checked.
  static void Digit2hanJIS(const char*& pcSrc, char*& pcDst);
  static void Digit2hanSJIS(const char*& pcSrc, char*& pcDst);
  static void Digit2hanEUC(const char*& pcSrc, char*& pcDst);
  static void Alpha2hanJIS(const char*& pcSrc, char*& pcDst);
  static void Alpha2hanSJIS(const char*& pcSrc, char*& pcDst);
  static void Alpha2hanEUC(const char*& pcSrc, char*& pcDst);
  static void Kata2hanJIS(const char*& pcSrc, char*& pcDst);
  static void Kata2hanSJIS(const char*& pcSrc, char*& pcDst);
  static void Kata2hanEUC(const char*& pcSrc, char*& pcDst);
  static void Hira2hanJIS(const char*& pcSrc, char*& pcDst);
  static void Hira2hanSJIS(const char*& pcSrc, char*& pcDst);
  static void Hira2hanEUC(const char*& pcSrc, char*& pcDst);
  static void Mark2hanJIS(const char*& pcSrc, char*& pcDst);
  static void Mark2hanSJIS(const char*& pcSrc, char*& pcDst);
  static void Mark2hanEUC(const char*& pcSrc, char*& pcDst);
  static void Kana2han(const SZen2Han* pstRecord, const char*& pcSrc, char*& pcDst);
  // Half width to full width: pcDst advances by 2; pcSrc by 1, or 2 when a sound mark merged.
  static void Kana2zen(const SHan2Zen* pstTable, const char*& pcSrc, char*& pcDst);
  static void Kana2zenEUC(const char*& pcSrc, char*& pcDst, bool bHira);
  static void Kana2zenJIS(const char*& pcSrc, char*& pcDst, bool bHira);
  static void Kana2zenSJIS(const char*& pcSrc, char*& pcDst, bool bHira);
  static void Ascii2zenEUC(const char*& pcSrc, char*& pcDst);
  static void Ascii2zenJIS(const char*& pcSrc, char*& pcDst);
  static void Ascii2zenSJIS(const char*& pcSrc, char*& pcDst);

 protected:
  // Enlarges the buffer by dwGrowSize bytes under the process-wide limit.
  void GrowBuffer();
  // Releases the buffer and takes its bytes off dwAllSize.
  void FreeBuffer();
  // A JIS object's text in Shift_JIS, for comparison; null for any other object.
  CKanji* MakeCmpThis() const;
  // Brings a text, or another object's text, into this object's comparison code.
  char* MakeCmpObj(CKanji& cWork, const char* pcText) const;
  const char* MakeCmpObj(CKanji& cWork, const CKanji& cText) const;

  EMODE eModeInput;          // code of incoming text; EMODE_AUTO detects
  EMODE eModeOutput;         // code of the held text; never EMODE_AUTO
  unsigned long dwGrowSize;  // bytes added by each growth
  bool bFixInput;            // store the first detected input code
  bool bKanaToZen;           // JIS kana set to full width in Shift_JIS
  bool bCrLf;                // EUC-JP LF written as CR LF
  bool bKeepKana;            // half-width katakana kept in JIS output
  ESHIFT eShift;             // JIS shift state at the end of the text
  char* pcBuff;              // the buffer, owned; null until the first growth
  char* pcEnd;               // the text's terminating NUL
  unsigned long dwBuffSize;  // bytes allocated
  unsigned long dwRest;      // bytes not taken by text (the NUL's byte included)

  static unsigned long dwAllSize;   // bytes held by every buffer in the process
  static unsigned long dwMemLimit;  // limit on dwAllSize; 0 means none

 private:
  void Initialize(EMODE eModeOutput, EMODE eModeInput, bool bFixInput, bool bKanaToZen, bool bCrLf,
                  bool bKeepKana, unsigned long dwGrowSize);
};

#endif  // MOJIWA_KANJI_H
