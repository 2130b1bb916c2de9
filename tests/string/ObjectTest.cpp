// The string object's construction, growth, accounting, Set/Add and the error record.
#include <climits>
#include <cstring>

#include "support/TestSupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::Iconv;
using mojiwa_test::MemLimitScope;
using mojiwa_test::Probe;

using ObjectTest = AccountingTest;

// The message bytes, the function and the line of a thrown record.
void ExpectThrowAt(const CThrowErr& err, const char* utf8_message, const char* function, int line) {
  EXPECT_EQ(Iconv(err.pcMessage, "SHIFT_JIS", "UTF-8"), utf8_message);
  EXPECT_STREQ(err.pcFunction, function);
  EXPECT_EQ(err.nLine, line);
  EXPECT_EQ(err.dwCode, 0UL);
  EXPECT_NE(std::strstr(err.pcFile, "Kanji"), nullptr);
  EXPECT_EQ(std::strlen(err.pcDate), 11U);  // "Mmm dd yyyy"
  EXPECT_EQ(std::strlen(err.pcTime), 8U);   // "hh:mm:ss"
}

TEST_F(ObjectTest, DefaultObjectHasNoBufferAndTheDefaultSettings) {
  const unsigned long before = Probe::AllSize();
  Probe k;
  EXPECT_STREQ(k.GetBuff(), "");
  EXPECT_STREQ(static_cast<const char*>(k), "");
  EXPECT_EQ(k.GetSize(), 0UL);
  EXPECT_FALSE(k.HasBuffer());
  EXPECT_EQ(Probe::AllSize(), before);
  EXPECT_EQ(k.GetModeOutput(), CKanji::EMODE_SJIS);
  EXPECT_EQ(k.GetModeInput(), CKanji::EMODE_SJIS);
  EXPECT_TRUE(k.FixInput());
  EXPECT_FALSE(k.KanaToZen());
  EXPECT_FALSE(k.CrLf());
  EXPECT_FALSE(k.KeepKana());
  EXPECT_EQ(k.GrowSize(), 1024UL);
  EXPECT_EQ(k.Shift(), CKanji::ESHIFT_ASCII);
}

TEST_F(ObjectTest, AutoOutputCodeIsRefusedByEveryConstructor) {
  const unsigned long before = Probe::AllSize();
  try {
    CKanji k(CKanji::EMODE_AUTO);
    FAIL() << "no throw";
  } catch (const CThrowErr& err) {
    ExpectThrowAt(err, "出力漢字種別自動判別の設定", "CKanji::Initialize", 997);
  }
  EXPECT_THROW(CKanji("text", CKanji::EMODE_AUTO), CThrowErr);
  EXPECT_EQ(Probe::AllSize(), before);
}

TEST_F(ObjectTest, GrowthAddsOneStepAtATimeAndIsCounted) {
  const unsigned long before = Probe::AllSize();
  {
    Probe k;
    const std::string text(1500, 'x');
    k += text.c_str();
    EXPECT_EQ(k.BuffSize(), 2048UL);
    EXPECT_EQ(k.GetSize(), 1500UL);
    EXPECT_EQ(k.Rest(), 548UL);
    EXPECT_EQ(Probe::AllSize(), before + 2048);
    EXPECT_EQ(k.GetBuff(), text);
  }
  EXPECT_EQ(Probe::AllSize(), before);
}

TEST_F(ObjectTest, EmptyAppendStillAllocatesOneStep) {
  Probe k(CKanji::EMODE_EUC, CKanji::EMODE_EUC, true, false, false, false, 64);
  k += "";
  EXPECT_TRUE(k.HasBuffer());
  EXPECT_EQ(k.BuffSize(), 64UL);
  EXPECT_EQ(k.GetSize(), 0UL);
}

TEST_F(ObjectTest, GrowthStepBelowTwoIsRaisedSoTextStillFits) {
  for (unsigned long step : {0UL, 1UL, 2UL}) {
    SCOPED_TRACE(step);
    Probe k(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, step);
    EXPECT_EQ(k.GrowSize(), 2UL);
    k = "hello";
    EXPECT_STREQ(k.GetBuff(), "hello");
  }
}

TEST_F(ObjectTest, LimitErrorLeavesTheObjectWithoutBuffer) {
  MemLimitScope limit(Probe::AllSize() + 1000);
  Probe k;
  try {
    k += "a";
    FAIL() << "no throw";
  } catch (const CThrowErr& err) {
    ExpectThrowAt(err, "バッファ拡張制限", "CKanji::GrowBuffer", 1092);
  }
  EXPECT_FALSE(k.HasBuffer());
  EXPECT_STREQ(k.GetBuff(), "");
}

TEST_F(ObjectTest, LimitErrorKeepsTheTextGrownSoFar) {
  Probe k(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, 16);
  k = "0123456789";
  MemLimitScope limit(Probe::AllSize());
  EXPECT_THROW(k += "abcdefghij", CThrowErr);
  EXPECT_EQ(k.BuffSize(), 16UL);
  EXPECT_EQ(std::string(k.GetBuff()), "0123456789abcde");
  EXPECT_EQ(k.GetSize(), 15UL);
}

TEST_F(ObjectTest, HugeStepWithoutLimitGivesTheAllocationError) {
  MemLimitScope limit(0);
  Probe k(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, 1UL << 60);
  try {
    k += "a";
    FAIL() << "no throw";
  } catch (const CThrowErr& err) {
    ExpectThrowAt(err, "バッファ拡張失敗(new演算子で戻り値がNULL)", "CKanji::GrowBuffer", 1107);
  }
  EXPECT_FALSE(k.HasBuffer());
}

TEST_F(ObjectTest, HugeStepCannotWrapAroundTheLimit) {
  MemLimitScope limit(1UL << 20);
  Probe k(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, ULONG_MAX);
  try {
    k += "a";
    FAIL() << "no throw";
  } catch (const CThrowErr& err) {
    EXPECT_EQ(err.nLine, 1092);
  }
}

TEST_F(ObjectTest, SetMemLimitAnswersWhetherTheHeldBytesFit) {
  Probe k;
  k = "x";
  const unsigned long held = Probe::AllSize();
  EXPECT_FALSE(CKanji::SetMemLimit(held - 1));
  EXPECT_EQ(Probe::MemLimit(), held - 1);  // stored even when false
  EXPECT_THROW(k += std::string(2000, 'y').c_str(), CThrowErr);
  EXPECT_TRUE(CKanji::SetMemLimit(held));
  EXPECT_FALSE(CKanji::SetMemLimit(0));  // no limit, but bytes are held
}

TEST_F(ObjectTest, SetAndAddStopAtAnEmbeddedNulAndTakeNullAsEmpty) {
  Probe k;
  k.Set("a\0b", 3);
  EXPECT_EQ(k.GetSize(), 1UL);
  EXPECT_STREQ(k.GetBuff(), "a");
  k.Add("cd", 1);
  EXPECT_STREQ(k.GetBuff(), "ac");
  k.Add(nullptr, 5);
  EXPECT_STREQ(k.GetBuff(), "ac");
  k.Set(nullptr, 5);
  EXPECT_STREQ(k.GetBuff(), "");
  Probe n(static_cast<const char*>(nullptr));
  EXPECT_STREQ(n.GetBuff(), "");
}

TEST_F(ObjectTest, AddWithACountThatCannotHaveItsNulThrows) {
  Probe k;
  k = "keep";
  try {
    k.Add("x", ULONG_MAX);
    FAIL() << "no throw";
  } catch (const CThrowErr& err) {
    ExpectThrowAt(err, "作業用バッファ確保失敗(new演算子の戻り値がNULL)", "CKanji::Add", 2090);
  }
  EXPECT_STREQ(k.GetBuff(), "keep");
}

TEST_F(ObjectTest, SetInputModeReturnsThePreviousCode) {
  CKanji k;
  EXPECT_EQ(k.SetInputMode(CKanji::EMODE_EUC), CKanji::EMODE_SJIS);
  EXPECT_EQ(k.SetInputMode(CKanji::EMODE_AUTO), CKanji::EMODE_EUC);
  EXPECT_EQ(k.GetModeInput(), CKanji::EMODE_AUTO);
}

TEST_F(ObjectTest, ClearKeepsTheBufferFreeReleasesIt) {
  const unsigned long before = Probe::AllSize();
  Probe k;
  k = "abc";
  k.SetShift(CKanji::ESHIFT_KANJI);
  k.Clear();
  EXPECT_STREQ(k.GetBuff(), "");
  EXPECT_EQ(k.GetSize(), 0UL);
  EXPECT_EQ(k.Shift(), CKanji::ESHIFT_ASCII);
  EXPECT_EQ(Probe::AllSize(), before + 1024);
  k.SetShift(CKanji::ESHIFT_KANA);
  k.Free();
  EXPECT_FALSE(k.HasBuffer());
  EXPECT_EQ(k.Shift(), CKanji::ESHIFT_ASCII);
  EXPECT_EQ(Probe::AllSize(), before);
}

TEST_F(ObjectTest, CopyConfTakesSettingsAndEmptiesWithoutAllocating) {
  const unsigned long before = Probe::AllSize();
  Probe src(CKanji::EMODE_JIS, CKanji::EMODE_AUTO, false, true, true, true, 77);
  src.SetShift(CKanji::ESHIFT_KANA);
  Probe dst;
  dst.CopyConf(src);
  EXPECT_FALSE(dst.HasBuffer());
  EXPECT_EQ(Probe::AllSize(), before);
  EXPECT_EQ(dst.GetModeOutput(), CKanji::EMODE_JIS);
  EXPECT_EQ(dst.GetModeInput(), CKanji::EMODE_AUTO);
  EXPECT_FALSE(dst.FixInput());
  EXPECT_TRUE(dst.KanaToZen());
  EXPECT_TRUE(dst.CrLf());
  EXPECT_TRUE(dst.KeepKana());
  EXPECT_EQ(dst.GrowSize(), 77UL);
  EXPECT_EQ(dst.Shift(), CKanji::ESHIFT_KANA);

  Probe text;
  text = "abc";
  text.CopyConf(text);
  EXPECT_STREQ(text.GetBuff(), "");
  EXPECT_TRUE(text.HasBuffer());
}

TEST_F(ObjectTest, CopyConstructorCopiesSettingsAndOptionallyText) {
  Probe src(CKanji::EMODE_EUC, CKanji::EMODE_AUTO, false, true, true, true, 100);
  src = "abc";
  Probe with(src);
  Probe without(src, false);
  EXPECT_STREQ(with.GetBuff(), "abc");
  EXPECT_NE(with.GetBuff(), src.GetBuff());
  EXPECT_FALSE(without.HasBuffer());
  for (const Probe* copy : {&with, &without}) {
    EXPECT_EQ(copy->GetModeOutput(), CKanji::EMODE_EUC);
    EXPECT_EQ(copy->GetModeInput(), CKanji::EMODE_AUTO);
    EXPECT_FALSE(copy->FixInput());
    EXPECT_TRUE(copy->KanaToZen() && copy->CrLf() && copy->KeepKana());
    EXPECT_EQ(copy->GrowSize(), 100UL);
  }
}

TEST_F(ObjectTest, ThrowingTextConstructorLeaksNothing) {
  const unsigned long before = Probe::AllSize();
  MemLimitScope limit(before + 100);
  EXPECT_THROW(Probe k(std::string(500, 'z').c_str(), CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true,
                       false, false, false, 64),
               CThrowErr);
  EXPECT_EQ(Probe::AllSize(), before);
}

TEST_F(ObjectTest, ArrayDeleteReleasesEveryBuffer) {
  const unsigned long before = Probe::AllSize();
  CKanji* many = new CKanji[3];
  for (int i = 0; i < 3; ++i) many[i] = "text";
  EXPECT_EQ(Probe::AllSize(), before + 3 * 1024);
  delete[] many;
  EXPECT_EQ(Probe::AllSize(), before);
}

}  // namespace
