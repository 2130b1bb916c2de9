// zen2han, han2zen, ToUpper and ToLower on objects of each output code, and the round trip of
// printable ASCII through full width.
#include "support/TextOpsSupport.h"

namespace mojiwa_test {
namespace {

using WidthCaseTest = AccountingTest;

// Classes as letters: d digits, a letters, k katakana, m symbols, h hiragana; for the case
// operations z full-width and h ASCII letters.
using Operation = const char* (*)(K&, const std::string& classes);
bool On(const std::string& classes, char c) { return classes.find(c) != std::string::npos; }
const char* Zen2han(K& k, const std::string& c) {
  return k.zen2han(On(c, 'd'), On(c, 'a'), On(c, 'k'), On(c, 'm'), On(c, 'h'));
}
const char* Han2zen(K& k, const std::string& c) {
  return k.han2zen(On(c, 'd'), On(c, 'a'), On(c, 'k'), On(c, 'm'), On(c, 'h'));
}
const char* Upper(K& k, const std::string& c) { return k.ToUpper(On(c, 'z'), On(c, 'h')); }
const char* Lower(K& k, const std::string& c) { return k.ToLower(On(c, 'z'), On(c, 'h')); }

// Half-width katakana stay so only in Shift_JIS; EUC-JP drops CR on the way back (the four
// operations share that last step).
TEST_F(WidthCaseTest, WorkedExamplesInEachCode) {
  // Codes, operation, classes, text and result in UTF-8 (held in the object's code).
  const std::tuple<const char*, Operation, const char*, const char*, const char*> rows[] = {
      {"esj", Zen2han, "dakmh", u8"ＡＢＣ　１２３", "ABC 123"},
      {"esj", Zen2han, "a", u8"ａｚＡＺ", "azAZ"},
      {"s", Zen2han, "km", u8"コーヒー", u8"ｺーﾋー"},
      {"s", Zen2han, "k", u8"ガヴヵヶ", u8"ｶﾞｳﾞヵヶ"},
      {"s", Zen2han, "h", u8"ひらがな", u8"ﾋﾗｶﾞﾅ"},
      {"ej", Zen2han, "h", u8"ひらがな", u8"ヒラガナ"},
      {"esj", Zen2han, "d", u8"１ａア２", u8"1ａア2"},
      {"esj", Zen2han, "m", u8"！、＃。￥”’「", u8"!、#。\\\"'「"},
      {"sj", Zen2han, "dakmh", u8"漢字ΩЖ\tａ\r\n", u8"漢字ΩЖ\ta\r\n"},
      {"e", Zen2han, "dakmh", u8"漢字ΩЖ\tａ\r\n", u8"漢字ΩЖ\ta\n"},
      {"s", Han2zen, "k", u8"ｶﾞｷﾞｳﾞﾊﾟ", u8"ガギヴパ"},
      {"s", Han2zen, "kh", u8"ｶﾞｷﾞｳﾞ", u8"がぎう゛"},
      {"s", Han2zen, "k", u8"｡｢｣､･ｰｦﾞ", u8"。「」、・ーヲ゛"},
      {"esj", Han2zen, "am", "a b", u8"ａ　ｂ"},
      {"esj", Han2zen, "a", "a b1", u8"ａ ｂ1"},
      {"esj", Han2zen, "d", "a1", u8"a１"},
      {"esj", Han2zen, "m", "\\~\"'`", u8"￥￣”’｀"},
      {"esj", Han2zen, "dakmh", u8"漢ア\t\n\x7f", u8"漢ア\t\n\x7f"},
      {"esj", Upper, "z", u8"aａ", u8"aＡ"},
      {"sj", Upper, "h", u8"aａ\r", u8"Aａ\r"},
      {"e", Upper, "h", u8"aａ\r", u8"Aａ"},
      {"esj", Upper, "zh", u8"αz@[`{＠［｀｛ッa", u8"αZ@[`{＠［｀｛ッA"},
      {"esj", Lower, "zh", u8"ＡAΑZ＠Ｚ［アA", u8"ａaΑz＠ｚ［アa"},
  };
  for (const auto& [codes, op, classes, text, want] : rows) {
    for (K::EMODE code : Codes(codes)) {
      K k(InCode(code, text).c_str(), code, code);
      EXPECT_EQ(Hex(op(k, classes)), Hex(InCode(code, want)))
          << text << " / " << classes << " / " << CodeName(code);
      EXPECT_EQ(k.GetModeInput(), code);
    }
  }
}

TEST_F(WidthCaseTest, ObjectWithoutBufferGetsAnEmptyOne) {
  for (Operation op : {Zen2han, Han2zen, Upper, Lower}) {
    K k(K::EMODE_JIS);
    EXPECT_STREQ(op(k, "dakmhz"), "");
  }
}

// Lines of 1 to 95 bytes, every printable ASCII byte in each of the longer ones.
TEST_F(WidthCaseTest, PrintableAsciiSurvivesFullWidthAndBack) {
  std::string ascii;
  for (unsigned long line = 1; line <= 95; ++line) {
    for (unsigned long i = 0; i < line; ++i)
      ascii += static_cast<char>(0x20 + (line * 17 + i) % 95);
    ascii += '\n';
  }
  for (K::EMODE code : Codes()) {
    K k(ascii.c_str(), code, code);
    k.han2zen(true, true, true, true, true);
    if (code != K::EMODE_JIS) {
      EXPECT_EQ(k.GetSize(), 2 * ascii.size() - 95);  // two bytes for each but the 95 LF
    }
    k.zen2han(true, true, true, true, true);
    EXPECT_TRUE(k.GetBuff() == ascii) << CodeName(code);
  }
}

}  // namespace
}  // namespace mojiwa_test
