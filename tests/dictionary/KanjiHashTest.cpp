// The ordered dictionary: walking order, the erase forms, iterator cells, copies, and the operand
// order in which lookups ask the key's operator<.
#include <string>
#include <vector>

#include "support/DictionarySupport.h"

namespace {

using mojiwa_test::Flat;
using mojiwa_test::Settings;
using mojiwa_test::Sjis;
using KanjiHashTest = mojiwa_test::AccountingTest;

void Fill(CKanjiHash& dict, const std::vector<std::string>& keys) {
  for (const std::string& key : keys) dict[CKanji(key.c_str())] = ("v" + key).c_str();
}

// A copy of the position with a cell of its own: Find and End return the one shared iterator.
CKanjiIterator At(const CKanjiHash& dict, const char* key) {
  return key != nullptr ? dict.Find(CKanji(key)) : dict.End();
}

// Unsigned byte order: a prefix first, lead bytes 0x82 and 0x83 after ASCII, 0xB1 after them. An
// equal key in another code finds the entry, whose first key object stays.
TEST_F(KanjiHashTest, WalkYieldsEachKeyOnceInOrder) {
  const std::vector<std::string> scrambled = {Sjis(u8"ア"), "b", "\xB1", "",   Sjis(u8"あい"),
                                              "~",          "B", "a",    "ab", Sjis(u8"あ")};
  CKanjiHash dict;
  Fill(dict, scrambled);
  Fill(dict, scrambled);
  dict[CKanji(mojiwa_test::Euc(u8"あ").c_str(), CKanji::EMODE_EUC, CKanji::EMODE_EUC)] = "x";
  EXPECT_EQ(Flat(dict),
            "=v B=vB a=va ab=vab b=vb ~=v~ " + Sjis(u8"あ=x あい=vあい ア=vア") + " \xB1=v\xB1");
}

TEST_F(KanjiHashTest, FindAndErase) {
  CKanjiHash dict, other;
  Fill(dict, {"a", "b", "c", "d", "e", "f"});
  other = dict;
  EXPECT_TRUE(dict.Find(CKanji("C")) == dict.End());
  EXPECT_EQ(dict.Erase(CKanji("C")), 0UL);
  dict.Erase(dict.Begin(), dict.End());  // Begin and End return one object: an empty range
  dict.Erase(dict.End());
  dict.Erase(CKanjiIterator());
  dict.Erase(At(other, "a"));
  dict.Erase(At(other, "a"), At(other, nullptr));
  EXPECT_EQ(Flat(dict), Flat(other));
  EXPECT_EQ(dict.Erase(CKanji("c")), 1UL);
  dict.Erase(dict.Find(CKanji("a")));
  dict.Erase(At(dict, "d"), At(dict, "e"));
  EXPECT_EQ(Flat(dict), "b=vb e=ve f=vf");
  dict.Erase(At(dict, "e"), At(dict, nullptr));
  EXPECT_EQ(Flat(dict), "b=vb");
  dict.Clear();
  EXPECT_TRUE(dict.Empty());
}

TEST_F(KanjiHashTest, IteratorCopyOwnsItsCell) {
  CKanjiHash dict;
  Fill(dict, {"a", "b"});
  CKanjiIterator it = At(dict, "a");
  EXPECT_TRUE(it != CKanjiHash(dict).Begin());  // equal keys of two dictionaries: two positions
  CKanjiPosition* const cell = it.pPos;
  {
    CKanjiIterator copy(it);
    EXPECT_TRUE(copy == it && copy.pPos != cell);
    EXPECT_STREQ((++copy).Key().GetBuff(), "b");
    EXPECT_STREQ(it.Key().GetBuff(), "a");
    it = copy;
  }
  EXPECT_TRUE(it.pPos == cell && std::string(it.Value().GetBuff()) == "vb");
  EXPECT_TRUE(++it == dict.End());
  EXPECT_TRUE(++it == dict.End());  // the end stays the end and reads as an empty entry
  EXPECT_STREQ(it.Key().GetBuff(), "");
}

TEST_F(KanjiHashTest, CopiesAreIndependentInTextsAndSettings) {
  const CKanji value("v", CKanji::EMODE_JIS, CKanji::EMODE_EUC, false, true, true, true, 48);
  CKanjiHash source, assigned;
  Fill(source, {"a", "b"});
  source[CKanji("k")] = value;
  Fill(assigned, {"old"});
  assigned = source;
  CKanjiHash constructed(source);
  constructed[CKanji("a")] = "changed";
  assigned.Erase(CKanji("b"));
  const CKanjiHash& same = assigned;
  assigned = same;
  EXPECT_EQ(Flat(source), "a=va b=vb k=v");
  source.Clear();
  EXPECT_EQ(Flat(constructed) + " | " + Flat(assigned), "a=changed b=vb k=v | a=va k=v");
  EXPECT_EQ(Settings(At(constructed, "k").Value()), Settings(value));
  EXPECT_EQ(Settings(At(assigned, "k").Value()), Settings(value));
}

// A key that records the argument of every operator< called on it.
class SpyKey : public CKanji {
 public:
  using CKanji::CKanji;
  bool operator<(const CKanji& other) const override {
    calls += other.GetBuff();
    return CKanji::operator<(other);
  }
  mutable std::string calls;
};

// Over the tree c(b, d): find descends with "stored < probe" and tests equality with
// "probe < stored", erase also asks for the next greater key, operator[] asks its own copy.
TEST_F(KanjiHashTest, ProbeIsTheLeftOperandOnlyWhereTheLookupMakesIt) {
  CKanjiHash dict;
  Fill(dict, {"b", "c", "d"});
  const SpyKey find("c"), erase("c"), index("bb");
  dict.Find(find);
  dict.Erase(erase);
  dict[index];
  EXPECT_EQ(find.calls + " | " + erase.calls + " | " + index.calls, "c | cd | ");
}

}  // namespace
