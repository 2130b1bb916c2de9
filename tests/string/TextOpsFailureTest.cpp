// Growth errors inside the width, case, replace and clean operations, under every memory limit
// from nothing up to enough: a failure before the final assignment leaves the object as it was,
// and the input code and settings are the caller's on every exit.
#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using TextOpsFailureTest = AccountingTest;

const std::pair<const char*, std::function<void(K&)>> kOperations[] = {
    // Digits alone: in JIS, "漢１字２" grows by the escapes around "1" and "2".
    {"zen2han", [](K& k) { k.zen2han(true, false, false, false, false); }},
    {"han2zen", [](K& k) { k.han2zen(true, true, true, true, false); }},
    {"ToUpper", [](K& k) { k.ToUpper(true, true); }},
    {"ToLower", [](K& k) { k.ToLower(true, true); }},
    {"Replace text", [](K& k) { k.Replace("a", "xyz"); }},
    {"Replace objects", [](K& k) { k.Replace(K("a", K::EMODE_EUC, K::EMODE_EUC), K("xyz")); }},
    {"Clean", [](K& k) { k.Clean(K(" a", K::EMODE_JIS, K::EMODE_JIS)); }},
    {"CleanJIS", [](K& k) { k.CleanJIS(); }},
    {"operator int", [](K& k) { static_cast<void>(static_cast<int>(k)); }},
};

// The object grows by 256 and every temporary by 1024 or by the object's capacity, so raising the
// limit by 256 at a time reaches every growth of every object. A roomy buffer makes every failure
// come from a temporary; a full one (padded with x) lets the final assignment fail too.
TEST_F(TextOpsFailureTest, EveryLimitLeavesTheTextOrAtLeastTheSettings) {
  constexpr unsigned long kStep = 256;
  for (const auto& op : kOperations) {
    for (K::EMODE code : Codes(op.first == std::string("CleanJIS") ? "j" : "esj")) {
      for (bool full : {false, true}) {
        SCOPED_TRACE(std::string(op.first) + " / " + CodeName(code) + (full ? " full" : " roomy"));
        for (unsigned long extra = 0, failures = 0;; extra += kStep) {
          ASSERT_LE(extra, 64 * kStep) << "still failing at the largest limit";
          Probe k(code, code, true, false, false, false, kStep);
          k = std::string(full ? 0 : 8 * kStep, 'x').c_str();
          std::string bytes = InCode(code, u8"ａｂ abc 漢１字２ アイ");
          if (full) bytes.append((kStep - (bytes.size() + 1) % kStep) % kStep, 'x');
          k = bytes.c_str();
          k.SetInputMode(K::EMODE_AUTO);
          const unsigned long buffer = k.BuffSize(), before = Probe::AllSize();
          try {
            MemLimitScope limit(before + extra);
            op.second(k);
            EXPECT_GT(failures, 0UL) << "no temporary was limited";
            break;
          } catch (const CThrowErr& err) {
            ++failures;
            EXPECT_STREQ(err.pcFunction, "CKanji::GrowBuffer") << extra;
            EXPECT_EQ(std::make_tuple(k.GetModeInput(), k.GetModeOutput(), k.GrowSize()),
                      std::make_tuple(K::EMODE_AUTO, code, kStep));
            EXPECT_EQ(Probe::AllSize(), before - buffer + k.BuffSize());  // only its own buffer
            if (!full) {
              EXPECT_TRUE(k.GetBuff() == bytes && k.BuffSize() == buffer) << extra;
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace mojiwa_test
