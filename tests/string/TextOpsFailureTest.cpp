// Growth errors inside the width, case, replace and clean operations: under every memory limit
// from nothing up to enough, a failure before the final assignment leaves the object as it was,
// every temporary gives its bytes back, and the input code is the caller's on every exit.
#include <functional>
#include <string>

#include "support/TextOpsSupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::CodeName;
using mojiwa_test::CodesOf;
using mojiwa_test::InCode;
using mojiwa_test::kAllCodes;
using mojiwa_test::Load;
using mojiwa_test::MemLimitScope;
using mojiwa_test::Probe;
using TextOpsFailureTest = AccountingTest;

struct Operation {
  const char* what;
  std::function<void(Probe&)> run;
  bool jis_only = false;  // does nothing to other objects
};

const Operation kOperations[] = {
    // Digits alone: in JIS, "漢１字２" grows by the escapes around "1" and "2".
    {"zen2han", [](Probe& k) { k.zen2han(true, false, false, false, false); }},
    {"han2zen", [](Probe& k) { k.han2zen(true, true, true, true, false); }},
    {"ToUpper", [](Probe& k) { k.ToUpper(true, true); }},
    {"ToLower", [](Probe& k) { k.ToLower(true, true); }},
    {"Replace text", [](Probe& k) { k.Replace("a", "xyz"); }},
    {"Replace objects",
     [](Probe& k) {
       k.Replace(CKanji("a", CKanji::EMODE_EUC, CKanji::EMODE_EUC),
                 CKanji("xyz", CKanji::EMODE_SJIS, CKanji::EMODE_SJIS));
     }},
    {"Clean", [](Probe& k) { k.Clean(CKanji(" a", CKanji::EMODE_JIS, CKanji::EMODE_JIS)); }},
    {"CleanJIS", [](Probe& k) { k.CleanJIS(); }, true},
    {"operator int", [](Probe& k) { static_cast<void>(static_cast<int>(k)); }},
};

constexpr const char* kText = "ａｂ abc 漢１字２ アイ";

// The object's step is 256 and every temporary grows by 1024 or by the object's capacity, so
// raising the limit by 256 at a time reaches every growth of every object.
constexpr unsigned long kLimitStep = 256;

using Check = std::function<void(const Probe&, const std::string& text, unsigned long buffer)>;

// Runs the operation on an object holding the text, with a buffer of at least `capacity` bytes
// (`full`: padded with x so that not one more byte fits), under rising limits until it succeeds;
// `check` sees the object after each failure.
void Sweep(const Operation& op, CKanji::EMODE code, unsigned long capacity, bool full,
           const Check& check) {
  if (op.jis_only && code != CKanji::EMODE_JIS) return;
  int failures = 0;
  for (unsigned long extra = 0; extra <= 64 * kLimitStep; extra += kLimitStep) {
    Probe k(code, code, true, false, false, false, kLimitStep);
    Load(k, std::string(capacity - 1, 'x'));
    std::string bytes = InCode(code, kText);
    if (full) bytes.append((kLimitStep - (bytes.size() + 1) % kLimitStep) % kLimitStep, 'x');
    Load(k, bytes);
    k.SetInputMode(CKanji::EMODE_AUTO);
    const std::string text = k.GetBuff();
    const unsigned long buffer = k.BuffSize();
    const unsigned long before = Probe::AllSize();
    try {
      MemLimitScope limit(before + extra);
      op.run(k);
      EXPECT_GT(failures, 0) << "no temporary was limited";
      return;
    } catch (const CThrowErr& err) {
      SCOPED_TRACE(extra);
      ++failures;
      EXPECT_STREQ(err.pcFunction, "CKanji::GrowBuffer");
      EXPECT_EQ(k.GetModeInput(), CKanji::EMODE_AUTO);
      EXPECT_EQ(k.GetModeOutput(), code);
      EXPECT_EQ(k.GrowSize(), kLimitStep);
      EXPECT_TRUE(k.FixInput() && !k.KanaToZen() && !k.CrLf() && !k.KeepKana());
      // Only the object's own buffer may have grown.
      EXPECT_EQ(Probe::AllSize(), before - buffer + k.BuffSize());
      check(k, text, buffer);
    }
  }
  ADD_FAILURE() << "still failing at the largest limit";
}

TEST_F(TextOpsFailureTest, FailureBeforeTheFinalAssignmentChangesNothing) {
  // A buffer far larger than any result: the final assignment never grows, so every failure
  // comes from a temporary.
  for (const Operation& op : kOperations) {
    for (CKanji::EMODE code : CodesOf(kAllCodes)) {
      SCOPED_TRACE(std::string(op.what) + " / " + CodeName(code));
      Sweep(op, code, 8 * kLimitStep, false,
            [](const Probe& k, const std::string& text, unsigned long buffer) {
              EXPECT_TRUE(k.GetBuff() == text);
              EXPECT_EQ(k.BuffSize(), buffer);
            });
    }
  }
}

TEST_F(TextOpsFailureTest, FailureInTheFinalAssignmentStillRestoresTheInputCode) {
  // A full buffer: a longer result makes the final assignment grow, and some limits stop it
  // there.
  for (const Operation& op : kOperations) {
    for (CKanji::EMODE code : CodesOf(kAllCodes)) {
      SCOPED_TRACE(std::string(op.what) + " / " + CodeName(code));
      Sweep(op, code, 1, true, [](const Probe&, const std::string&, unsigned long) {});
    }
  }
}

}  // namespace
