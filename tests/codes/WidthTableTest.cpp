// Every record of the fourteen width tables against outside answers: the WHATWG half-width
// katakana index, Unicode's kana compositions, and glibc iconv(3) for the bytes of each code.
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "support/WidthSupport.h"

namespace {

using mojiwa_test::FullWidth;
using mojiwa_test::Hex;
using mojiwa_test::IconvName;
using mojiwa_test::Padded;
using mojiwa_test::RecordPair;
using mojiwa_test::TryIconv;
using mojiwa_test::Utf8;

constexpr char32_t kVoiced = 0x3099;
constexpr char32_t kSemiVoiced = 0x309A;

const CKanji::EMODE kCodes[] = {CKanji::EMODE_EUC, CKanji::EMODE_SJIS, CKanji::EMODE_JIS};

// The ASCII symbols and their full-width partners; the digits and letters follow Unicode's
// full-width block (ASCII + 0xFEE0) instead.
struct AsciiMark {
  unsigned char ascii;
  const char* utf8;
};
const AsciiMark kAsciiMarks[] = {
    {0x20, u8"　"}, {0x21, u8"！"}, {0x22, u8"”"},  {0x23, u8"＃"}, {0x24, u8"＄"}, {0x25, u8"％"},
    {0x26, u8"＆"}, {0x27, u8"’"},  {0x28, u8"（"}, {0x29, u8"）"}, {0x2A, u8"＊"}, {0x2B, u8"＋"},
    {0x2C, u8"，"}, {0x2D, u8"−"},  {0x2E, u8"．"}, {0x2F, u8"／"}, {0x3A, u8"："}, {0x3B, u8"；"},
    {0x3C, u8"＜"}, {0x3D, u8"＝"}, {0x3E, u8"＞"}, {0x3F, u8"？"}, {0x40, u8"＠"}, {0x5B, u8"［"},
    {0x5C, u8"￥"}, {0x5D, u8"］"}, {0x5E, u8"＾"}, {0x5F, u8"＿"}, {0x60, u8"｀"}, {0x7B, u8"｛"},
    {0x7C, u8"｜"}, {0x7D, u8"｝"}, {0x7E, u8"￣"},
};

const char* MarkFor(unsigned char ascii) {
  for (const AsciiMark& m : kAsciiMarks) {
    if (m.ascii == ascii) return m.utf8;
  }
  return nullptr;
}

int AsciiFor(const std::string& utf8) {
  for (const AsciiMark& m : kAsciiMarks) {
    if (utf8 == m.utf8) return m.ascii;
  }
  return -1;
}

// Full-width form of the half-width katakana 0xA1 + k, from the WHATWG index.
std::vector<char32_t> KatakanaIndex() {
  std::vector<char32_t> zen(63, 0);
  std::istringstream in(
      mojiwa_test::ReadFile(mojiwa_test::TestDataPath("width/index-iso-2022-jp-katakana.txt")));
  std::string line;
  int count = 0;
  while (std::getline(in, line)) {
    int pointer = 0;
    unsigned cp = 0;
    if (line.empty() || line[0] == '#') continue;
    if (std::sscanf(line.c_str(), "%d 0x%x", &pointer, &cp) == 2 && pointer >= 0 && pointer < 63) {
      zen[pointer] = cp;
      ++count;
    }
  }
  EXPECT_EQ(count, 63);
  return zen;
}

// Canonical compositions: (base, mark) -> composed, and the reverse.
struct Compositions {
  std::map<std::pair<char32_t, char32_t>, char32_t> compose;
  std::map<char32_t, std::pair<char32_t, char32_t>> decompose;
};

const Compositions& KanaCompositions() {
  static const Compositions table = [] {
    Compositions c;
    std::istringstream in(
        mojiwa_test::ReadFile(mojiwa_test::TestDataPath("width/kana-compositions.txt")));
    std::string line;
    while (std::getline(in, line)) {
      unsigned base = 0, mark = 0, composed = 0;
      if (line.empty() || line[0] == '#') continue;
      if (std::sscanf(line.c_str(), "%x %x %x", &base, &mark, &composed) == 3) {
        c.compose[{base, mark}] = composed;
        c.decompose[composed] = {base, mark};
      }
    }
    EXPECT_GT(c.compose.size(), 50U);
    return c;
  }();
  return table;
}

// The full-width form in the code of base + mark composed, if Unicode composes it and the
// composed character exists in the code.
std::optional<std::string> Composed(CKanji::EMODE code, char32_t base, char32_t mark) {
  const auto& compose = KanaCompositions().compose;
  const auto it = compose.find({base, mark});
  if (it == compose.end()) return std::nullopt;
  return FullWidth(code, Utf8(it->second));
}

// The code point of one UTF-8 character of up to three bytes.
char32_t CodePoint(const std::string& utf8) {
  const auto b = [&utf8](size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(utf8[i]));
  };
  if (utf8.size() == 1) return b(0);
  if (utf8.size() == 2) return (b(0) & 0x1F) << 6 | (b(1) & 0x3F);
  return (b(0) & 0x0F) << 12 | (b(1) & 0x3F) << 6 | (b(2) & 0x3F);
}

// Unicode puts each hiragana 0x60 below the katakana of the same sound.
bool IsKatakanaLetter(char32_t cp) { return cp >= 0x30A1 && cp <= 0x30F6; }
char32_t HiraganaOf(char32_t cp) { return IsKatakanaLetter(cp) ? cp - 0x60 : cp; }

// The string of a SHan2Zen field: two bytes closed by a NUL.
std::optional<std::string> ZenField(const char* field) {
  if (field == nullptr) return std::nullopt;
  EXPECT_EQ(std::strlen(field), 2U) << Hex(field);
  return std::string(field, 2);
}

const CKanji::SHan2Zen* KanaTable(CKanji::EMODE code, bool hiragana) {
  switch (code) {
    case CKanji::EMODE_EUC: return hiragana ? CKanji::stTableH2ZHE : CKanji::stTableH2ZE;
    case CKanji::EMODE_SJIS: return hiragana ? CKanji::stTableH2ZHS : CKanji::stTableH2ZS;
    default: return hiragana ? CKanji::stTableH2ZHJ : CKanji::stTableH2ZJ;
  }
}

std::string ShowOptional(const std::optional<std::string>& bytes) {
  return bytes ? Hex(*bytes) : "null";
}

TEST(WidthTables, HalfWidthKanaGiveTheFullWidthFormsOfIconv) {
  const std::vector<char32_t> index = KatakanaIndex();
  for (const bool hiragana : {false, true}) {
    for (const CKanji::EMODE code : kCodes) {
      const CKanji::SHan2Zen* table = KanaTable(code, hiragana);
      for (int k = 0; k < 63; ++k) {
        const char32_t zen = hiragana ? HiraganaOf(index[k]) : index[k];
        SCOPED_TRACE(testing::Message()
                     << (hiragana ? "hiragana " : "katakana ") << mojiwa_test::CodeName(code)
                     << " byte 0x" << std::hex << 0xA1 + k << " " << Utf8(zen));
        const std::optional<std::string> expected = FullWidth(code, Utf8(zen));
        ASSERT_TRUE(expected.has_value());
        EXPECT_EQ(ShowOptional(ZenField(table[k].pcZen)), Hex(*expected));
        EXPECT_EQ(ShowOptional(ZenField(table[k].pcDaku)),
                  ShowOptional(Composed(code, zen, kVoiced)));
        EXPECT_EQ(ShowOptional(ZenField(table[k].pcHandaku)),
                  ShowOptional(Composed(code, zen, kSemiVoiced)));
      }
    }
  }
}

// Half-width bytes of a katakana: the byte itself, or its base byte and a sound mark byte.
std::string HalfWidthOf(char32_t katakana, const std::vector<char32_t>& index) {
  for (int k = 0; k < 63; ++k) {
    if (index[k] == katakana) return std::string(1, static_cast<char>(0xA1 + k));
  }
  const auto& decompose = KanaCompositions().decompose;
  const auto it = decompose.find(katakana);
  if (it == decompose.end()) return std::string();
  const std::string base = HalfWidthOf(it->second.first, index);
  if (base.empty()) return std::string();
  return base + (it->second.second == kVoiced ? "\xDE" : "\xDF");
}

TEST(WidthTables, KanaRowsGiveTheHalfWidthBytesOfTheSameSound) {
  const std::vector<char32_t> index = KatakanaIndex();
  struct Row {
    const char* name;
    const CKanji::SZen2Han* table;
    int records;
    unsigned char euc_row;
  };
  const Row rows[] = {{"stTableZK2H", CKanji::stTableZK2H, 86, 0xA5},
                      {"stTableZH2H", CKanji::stTableZH2H, 84, 0xA4}};
  for (const Row& row : rows) {
    int half_width = 0;
    for (int k = 0; k < row.records; ++k) {
      const std::string euc{static_cast<char>(row.euc_row), static_cast<char>(0xA1 + k)};
      const std::optional<std::string> utf8 = TryIconv(euc, "EUC-JP", "UTF-8");
      SCOPED_TRACE(testing::Message() << row.name << " record " << k << " " << Hex(euc) << " "
                                      << utf8.value_or("(no character)"));
      std::string expected;
      if (utf8) {
        char32_t cp = CodePoint(*utf8);
        if (row.euc_row == 0xA4) cp += 0x60;
        expected = HalfWidthOf(cp, index);
      }
      if (!expected.empty()) ++half_width;
      EXPECT_EQ(Hex(RecordPair(row.table[k].cFirst, row.table[k].cSecond)), Hex(Padded(expected)));
    }
    EXPECT_EQ(half_width, row.euc_row == 0xA5 ? 81 : 80) << row.name;
  }
}

TEST(WidthTables, AsciiGivesItsFullWidthPartnerInEachCode) {
  const struct {
    CKanji::EMODE code;
    const CKanji::SZen2Han* table;
  } tables[] = {{CKanji::EMODE_EUC, CKanji::stTableA2ZE},
                {CKanji::EMODE_SJIS, CKanji::stTableA2ZS},
                {CKanji::EMODE_JIS, CKanji::stTableA2ZJ}};
  for (const auto& t : tables) {
    for (int c = 0x20; c <= 0x7F; ++c) {
      const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      const char* mark = MarkFor(static_cast<unsigned char>(c));
      SCOPED_TRACE(testing::Message()
                   << mojiwa_test::CodeName(t.code) << " ASCII 0x" << std::hex << c);
      std::string expected;
      if (alnum) {
        EXPECT_EQ(mark, nullptr);
        expected = mojiwa_test::Bare(t.code, Utf8(static_cast<char32_t>(c + 0xFEE0)));
      } else if (c != 0x7F) {
        ASSERT_NE(mark, nullptr) << "every printable ASCII byte has a full-width partner";
        expected = mojiwa_test::Bare(t.code, mark);
      }
      EXPECT_EQ(Hex(RecordPair(t.table[c - 0x20].cFirst, t.table[c - 0x20].cSecond)),
                Hex(Padded(expected)));
    }
  }
}

// The row-1 symbol at a record, as UTF-8 by iconv from the code's own bytes.
struct MarkRecord {
  std::string bytes;
  std::optional<std::string> utf8;
};

std::vector<MarkRecord> MarkRecords(CKanji::EMODE code) {
  std::vector<MarkRecord> out;
  if (code == CKanji::EMODE_SJIS) {
    for (int t = 0x40; t <= 0x9F; ++t) {
      const std::string bytes{'\x81', static_cast<char>(t)};
      out.push_back({bytes, TryIconv(bytes, "SHIFT_JIS", "UTF-8")});
    }
  } else {
    for (int cell = 0x21; cell <= 0x7E; ++cell) {
      const std::string bytes = code == CKanji::EMODE_EUC
                                    ? std::string{'\xA1', static_cast<char>(cell | 0x80)}
                                    : std::string{'\x21', static_cast<char>(cell)};
      const std::string text = code == CKanji::EMODE_EUC ? bytes : "\x1B$B" + bytes + "\x1B(B";
      out.push_back({bytes, TryIconv(text, IconvName(code), "UTF-8")});
    }
  }
  return out;
}

TEST(WidthTables, SymbolsGiveTheirAsciiPartnerOrStayAsTheyAre) {
  const struct {
    CKanji::EMODE code;
    const CKanji::SZen2Han* table;
    size_t records;
  } tables[] = {{CKanji::EMODE_EUC, CKanji::stTableM2HE, 94},
                {CKanji::EMODE_SJIS, CKanji::stTableM2HS, 96},
                {CKanji::EMODE_JIS, CKanji::stTableM2HJ, 94}};
  for (const auto& t : tables) {
    const std::vector<MarkRecord> records = MarkRecords(t.code);
    ASSERT_EQ(records.size(), t.records);
    int to_ascii = 0;
    for (size_t k = 0; k < records.size(); ++k) {
      const MarkRecord& r = records[k];
      SCOPED_TRACE(testing::Message() << mojiwa_test::CodeName(t.code) << " " << Hex(r.bytes) << " "
                                      << r.utf8.value_or("(no character)"));
      std::string expected = r.bytes;
      if (r.bytes == "\x81\x9F") {
        expected.clear();  // the first symbol of row 2, which no caller passes
      } else if (r.utf8 && AsciiFor(*r.utf8) >= 0) {
        expected = std::string(1, static_cast<char>(AsciiFor(*r.utf8)));
        ++to_ascii;
      }
      EXPECT_EQ(Hex(RecordPair(t.table[k].cFirst, t.table[k].cSecond)), Hex(Padded(expected)));
    }
    EXPECT_EQ(to_ascii, 33);
  }
}

}  // namespace
