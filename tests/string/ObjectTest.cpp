// The string object's construction, growth, accounting, Set/Add, copies and every throw site.
#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using ObjectTest = AccountingTest;

// Runs `f`, which must throw the record of one site: message (Shift_JIS), function and line.
void ExpectSite(const std::function<void()>& f, const char* utf8, const char* function, int line) {
  try {
    f();
    ADD_FAILURE() << "no throw from " << function;
  } catch (const CThrowErr& err) {
    EXPECT_EQ(std::make_tuple(Iconv(err.pcMessage, "SHIFT_JIS", "UTF-8"),
                              std::string(err.pcFunction), err.nLine, err.dwCode),
              std::make_tuple(std::string(utf8), std::string(function), line, 0UL));
  }
  EXPECT_EQ(std::exchange(fail_nothrow_new, 0), 0) << "the failing new was not reached";
}

TEST_F(ObjectTest, DefaultsTheSmallestStepAndTheAutoOutputCode) {
  const unsigned long before = Probe::AllSize();
  const Probe k;
  EXPECT_EQ(std::make_tuple(std::string(k.GetBuff()), Probe::AllSize(), k.GetModeOutput(),
                            k.GetModeInput(), k.GrowSize()),
            std::make_tuple(std::string(), before, K::EMODE_SJIS, K::EMODE_SJIS, 1024UL));
  EXPECT_TRUE(k.FixInput() && !k.KanaToZen() && !k.CrLf() && !k.KeepKana());
  Probe tiny(K::EMODE_SJIS, K::EMODE_SJIS, true, false, false, false, 0);
  EXPECT_EQ(tiny.GrowSize(), 2UL);  // room for a byte and its NUL
  EXPECT_STREQ(tiny = "hello", "hello");
  ExpectSite([] { K k(K::EMODE_AUTO); }, u8"出力漢字種別自動判別の設定", "CKanji::Initialize", 997);
}

TEST_F(ObjectTest, GrowthByFixedStepsAndItsErrors) {
  const unsigned long before = Probe::AllSize();
  Probe big, empty(K::EMODE_EUC, K::EMODE_EUC, true, false, false, false, 64);
  big += std::string(1500, 'x').c_str();
  empty += "";
  EXPECT_EQ(std::make_tuple(big.BuffSize(), big.GetSize(), big.Rest(), empty.BuffSize()),
            std::make_tuple(2048UL, 1500UL, 548UL, 64UL));
  EXPECT_EQ(Probe::AllSize(), before + 2048 + 64);
  big.SetShift(K::ESHIFT_KANJI);
  big.Free();
  EXPECT_TRUE(!big.HasBuffer() && big.Shift() == K::ESHIFT_ASCII &&
              Probe::AllSize() == before + 64);

  const char* const limit_error = u8"バッファ拡張制限";
  Probe k(K::EMODE_SJIS, K::EMODE_SJIS, true, false, false, false, 16);
  k = "0123456789";
  const unsigned long held = Probe::AllSize();
  EXPECT_FALSE(CKanji::SetMemLimit(held - 1));
  EXPECT_TRUE(CKanji::SetMemLimit(held));
  ExpectSite([&] { k += "abcdefghij"; }, limit_error, "CKanji::GrowBuffer", 1092);
  EXPECT_EQ(std::make_pair(std::string(k.GetBuff()), k.BuffSize()),
            std::make_pair(std::string("0123456789abcde"), 16UL));
  CKanji::SetMemLimit(1UL << 20);
  Probe wrap(K::EMODE_SJIS, K::EMODE_SJIS, true, false, false, false, ULONG_MAX);
  ExpectSite([&] { wrap += "a"; }, limit_error, "CKanji::GrowBuffer", 1092);
  EXPECT_FALSE(CKanji::SetMemLimit(0));  // no limit, but bytes are held
  Probe huge(K::EMODE_SJIS, K::EMODE_SJIS, true, false, false, false, 1UL << 60);
  ExpectSite([&] { huge += "a"; }, u8"バッファ拡張失敗(new演算子で戻り値がNULL)",
             "CKanji::GrowBuffer", 1107);
  EXPECT_FALSE(wrap.HasBuffer() || huge.HasBuffer());  // a failed first growth leaves none
}

TEST_F(ObjectTest, SetAndAddStopAtAnEmbeddedNulAndTakeNullAsEmpty) {
  Probe k;
  k.Set("a\0b", 3);
  EXPECT_EQ(k.GetSize(), 1UL);
  k.Add("cd", 1);
  k.Add(nullptr, 5);
  EXPECT_STREQ(k.GetBuff(), "ac");
  k.Set(nullptr, 5);
  EXPECT_STREQ(k.GetBuff(), "");
  EXPECT_STREQ(Probe(static_cast<const char*>(nullptr)).GetBuff(), "");
  // A NUL appended as a byte counts until the next growth, which keeps the text before it.
  Probe c(K::EMODE_SJIS, K::EMODE_SJIS, true, false, false, false, 4);
  c += "ab";
  c += '\0';
  EXPECT_EQ(c.GetSize(), 3UL);
  c += "cdefgh";
  EXPECT_EQ(std::make_tuple(std::string(c.GetBuff()), c.GetSize(), c.Rest()),
            std::make_tuple(std::string("abcdefgh"), 8UL, 4UL));
}

// Every byte value and a lead byte last: what walks the characters stops at the NUL, and an
// operation that finds nothing to do gives the bytes back.
TEST_F(ObjectTest, OperationsOnEveryByteValue) {
  std::string bytes;
  for (int b = 1; b < 256; ++b) bytes += static_cast<char>(b);
  bytes += "\x82";
  const std::function<int(K&)> idle[] = {
      [](K& k) { return k.zen2han(false, false, false, false, false) == nullptr; },
      [](K& k) { return k.han2zen(false, false, false, false, false) == nullptr; },
      [](K& k) { return k.ToLower(false, false) == nullptr; },
      [](K& k) { return k.Replace(Sjis(u8"亜").c_str(), "x"); },
      [](K& k) { return k.Clean(K(Sjis(u8"亜").c_str())); },
      [](K& k) { return k.Compare(k.GetBuff()); },
  };
  for (const auto& op : idle) {
    Probe k(bytes.c_str());
    EXPECT_EQ(op(k), 0) << "operation " << &op - idle;
    EXPECT_EQ(Hex(k.GetBuff()), Hex(bytes)) << "operation " << &op - idle;
  }
  for (K::EMODE code : Codes()) {
    Probe k(bytes.c_str(), code, code, true, false, false, false, 2);
    k.zen2han(true, true, true, true, true);
    k.han2zen(true, true, true, true, true);
    k.ToUpper(true, true);
    k.Clean(K(" "));
    EXPECT_TRUE(k.GetSize() == std::strlen(k.GetBuff()) && k.Rest() >= 1) << CodeName(code);
  }
}

TEST_F(ObjectTest, WorkAllocationsThatFailLeaveTheObject) {
  const char* const error = u8"作業用バッファ確保失敗(new演算子の戻り値がNULL)";
  K k("keep"), jis(K::EMODE_JIS);
  ExpectSite([&] { k.Add("x", ULONG_MAX); }, error, "CKanji::Add", 2090);
  ExpectSite([&] { k.Add("x", 1UL << 60); }, error, "CKanji::Add", 2090);
  fail_nothrow_new = 1;  // the replacement's copy into the pattern's code
  ExpectSite([&] { k.Replace(K("e", K::EMODE_EUC, K::EMODE_EUC), K("x")); }, error,
             "CKanji::Replace", 2917);
  fail_nothrow_new = 1;  // the JIS side of a comparison
  ExpectSite([&] { jis.Compare("x"); }, error, "CKanji::MakeCmpThis", 3661);
  EXPECT_EQ(std::make_pair(std::string(k.GetBuff()), k.GetModeInput()),
            std::make_pair(std::string("keep"), K::EMODE_SJIS));
}

TEST_F(ObjectTest, CopiesTakeEverySetting) {
  Probe src(K::EMODE_JIS, K::EMODE_AUTO, false, true, true, true, 77), conf, assigned(K::EMODE_EUC);
  src = "abc";
  src.SetShift(K::ESHIFT_KANA);
  conf.CopyConf(src);
  assigned = "x";
  assigned = static_cast<const K&>(src);
  Probe with(src), without(src, false);
  for (const Probe* copy : {&conf, &assigned, &with, &without}) {
    EXPECT_EQ(std::make_tuple(copy->GetModeOutput(), copy->GetModeInput(), copy->GrowSize()),
              std::make_tuple(K::EMODE_JIS, K::EMODE_AUTO, 77UL));
    EXPECT_TRUE(!copy->FixInput() && copy->KanaToZen() && copy->CrLf() && copy->KeepKana());
  }
  EXPECT_EQ(conf.Shift(), K::ESHIFT_KANA);
  EXPECT_FALSE(conf.HasBuffer() || without.HasBuffer());
  EXPECT_EQ(std::string(assigned.GetBuff()) + with.GetBuff(), "abcabc");
}

}  // namespace
}  // namespace mojiwa_test
