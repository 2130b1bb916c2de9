// The exported constant data of the code model: the two escape sequences the JIS writer emits
// and the class of each byte 0x20..0x7F.
#include "string/Kanji.h"

const char* const CKanji::pcKnjiIn = "\x1B$B";
const char* const CKanji::pcAsciiIn = "\x1B(B";

namespace {

constexpr CKanji::ETYPE kA = CKanji::ETYPE_ALPHA;
constexpr CKanji::ETYPE kD = CKanji::ETYPE_DIGIT;
constexpr CKanji::ETYPE kM = CKanji::ETYPE_MARK;
constexpr CKanji::ETYPE kO = CKanji::ETYPE_OTHER;

}  // namespace

const CKanji::ETYPE CKanji::peAsciiType[96] = {
    kM, kM, kM, kM, kM, kM, kM, kM, kM, kM, kM, kM, kM, kM, kM, kM,  // 0x20 space ! " # ... /
    kD, kD, kD, kD, kD, kD, kD, kD, kD, kD, kM, kM, kM, kM, kM, kM,  // 0x30 0 .. 9 : ; < = > ?
    kM, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA,  // 0x40 @ A .. O
    kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kM, kM, kM, kM, kM,  // 0x50 P .. Z [ \ ] ^ _
    kM, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA,  // 0x60 ` a .. o
    kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kA, kM, kM, kM, kM, kO,  // 0x70 p .. z { | } ~ DEL
};
