// The ordered dictionary: insertion through operator[], walking order, the erase forms, copies,
// the shared own iterator, operand order of the key comparison, and failed allocations.
#include <algorithm>
#include <new>
#include <random>

#include "support/DictionarySupport.h"

namespace {

using mojiwa_test::AccountingTest;
using mojiwa_test::Dump;
using mojiwa_test::Entries;
using mojiwa_test::EntryList;
using mojiwa_test::FailAllocation;
using mojiwa_test::Settings;
using mojiwa_test::Sjis;
using mojiwa_test::SjisKey;

using KanjiHashTest = AccountingTest;

// A key that records the text of the argument of every operator< called on it.
class SpyKey : public CKanji {
 public:
  using CKanji::CKanji;
  using CKanji::operator=;
  bool operator<(const CKanji& other) const override {
    calls.emplace_back(other.GetBuff());
    return CKanji::operator<(other);
  }
  mutable std::vector<std::string> calls;
};

// Each key with the value "v" + key.
void Fill(CKanjiHash& dict, const std::vector<std::string>& keys) {
  for (const std::string& key : keys) dict[SjisKey(key)] = ("v" + key).c_str();
}

EntryList Expected(const std::vector<std::string>& keys) {
  EntryList out;
  for (const std::string& key : keys) out.emplace_back(key, "v" + key);
  return out;
}

TEST_F(KanjiHashTest, BeginEndAndFindShareTheOwnIterator) {
  CKanjiHash dict;
  CKanjiIterator first;
  first = dict.Begin();
  EXPECT_TRUE(dict.Empty());
  EXPECT_TRUE(first == dict.End());
  EXPECT_EQ(dict.Erase(SjisKey("a")), 0UL);
  Fill(dict, {"a", "b"});
  EXPECT_EQ(&dict.Begin(), &dict.End());
  EXPECT_EQ(&dict.Find(SjisKey("a")), &dict.cIterator);
  EXPECT_TRUE(dict.Begin() == dict.End());  // one object on both sides
  first = dict.Begin();
  EXPECT_TRUE(first != dict.End());
  const CKanjiIterator& found = dict.Find(SjisKey("b"));
  dict.Begin();
  EXPECT_STREQ(found.Key().GetBuff(), "a");  // the later call moved it
}

TEST_F(KanjiHashTest, IndexInsertsOnceAndKeepsTheFirstKeyObject) {
  CKanjiHash dict;
  const CKanji key("k", CKanji::EMODE_EUC, CKanji::EMODE_AUTO, false, true, true, true, 77);
  CKanji& value = dict[key];
  EXPECT_STREQ(value.GetBuff(), "");
  EXPECT_EQ(Settings::Of(value),
            (Settings{CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, 1024}));
  value = CKanji("one", CKanji::EMODE_EUC, CKanji::EMODE_EUC);
  // An equal key in another code and with other settings finds the same entry.
  CKanji& again = dict[SjisKey("k")];
  EXPECT_EQ(&again, &value);
  EXPECT_STREQ(again.GetBuff(), "one");
  EXPECT_EQ(again.GetModeOutput(), CKanji::EMODE_EUC);
  CKanjiIterator it;
  it = dict.Begin();
  EXPECT_NE(it.Key().GetBuff(), key.GetBuff());
  EXPECT_EQ(Settings::Of(it.Key()), Settings::Of(key));
  EXPECT_EQ(Entries(dict), (EntryList{{"k", "one"}}));
}

TEST_F(KanjiHashTest, WalkYieldsEveryKeyOnceInByteOrder) {
  const std::vector<std::string> keys = {
      "",          "a",          "ab",         "b",          "B",          "~",  "\xB1",
      "a\xB1",     Sjis(u8"あ"), Sjis(u8"ア"), Sjis(u8"亜"), Sjis(u8"Ａ"), "zz", Sjis(u8"あい"),
      Sjis(u8"漢")};
  // Unsigned byte order, worked out without the library.
  std::vector<std::string> sorted = keys;
  std::sort(sorted.begin(), sorted.end(), [](const std::string& l, const std::string& r) {
    return std::lexicographical_compare(l.begin(), l.end(), r.begin(), r.end(), [](char a, char b) {
      return static_cast<unsigned char>(a) < static_cast<unsigned char>(b);
    });
  });
  std::mt19937 random(20261206);
  for (int round = 0; round < 6; ++round) {
    SCOPED_TRACE(round);
    std::vector<std::string> order = keys;
    std::shuffle(order.begin(), order.end(), random);
    CKanjiHash dict;
    Fill(dict, order);
    Fill(dict, order);  // a second round inserts nothing
    const EntryList got = Entries(dict);
    EXPECT_EQ(got, Expected(sorted)) << Dump(got);
  }
}

TEST_F(KanjiHashTest, FindAndTheThreeEraseForms) {
  const std::vector<std::string> all = {"a", "b", "c", "d", "e"};
  struct Row {
    const char* what;
    void (*run)(CKanjiHash&);
    std::vector<std::string> left;
  };
  const Row rows[] = {
      {"find present and absent never inserts",
       [](CKanjiHash& d) {
         EXPECT_STREQ(d.Find(SjisKey("c")).Value().GetBuff(), "vc");
         for (const char* absent : {"", "cc", "C", "f"}) {
           EXPECT_TRUE(d.Find(SjisKey(absent)) == d.End()) << absent;
         }
       },
       all},
      {"key present, then again",
       [](CKanjiHash& d) {
         EXPECT_EQ(d.Erase(SjisKey("c")), 1UL);
         EXPECT_EQ(d.Erase(SjisKey("c")), 0UL);
       },
       {"a", "b", "d", "e"}},
      {"Find's result passed straight on",
       [](CKanjiHash& d) { d.Erase(d.Find(SjisKey("a"))); },
       {"b", "c", "d", "e"}},
      {"range in the middle",
       [](CKanjiHash& d) {
         CKanjiIterator first;
         first = d.Find(SjisKey("b"));
         d.Erase(first, d.Find(SjisKey("d")));
       },
       {"a", "d", "e"}},
      {"range from Begin to End",
       [](CKanjiHash& d) {
         CKanjiIterator first;
         first = d.Begin();
         d.Erase(first, d.End());
       },
       {}},
      {"equal ends",
       [](CKanjiHash& d) {
         CKanjiIterator first;
         first = d.Find(SjisKey("c"));
         d.Erase(first, first);
       },
       all},
      // Begin and End are one object, so this range is empty.
      {"Begin and End results directly", [](CKanjiHash& d) { d.Erase(d.Begin(), d.End()); }, all},
      {"end, unassigned and foreign positions",
       [](CKanjiHash& d) {
         CKanjiHash other(d);
         CKanjiIterator foreign, unassigned;
         foreign = other.Find(SjisKey("a"));
         d.Erase(d.End());
         d.Erase(unassigned);
         d.Erase(foreign);
         d.Erase(foreign, other.End());
         EXPECT_EQ(Entries(other), Entries(d));
       },
       all},
      {"clear", [](CKanjiHash& d) { d.Clear(); }, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CKanjiHash dict;
    Fill(dict, all);
    row.run(dict);
    EXPECT_EQ(Entries(dict), Expected(row.left));
    EXPECT_EQ(dict.Empty(), row.left.empty());
  }
}

TEST_F(KanjiHashTest, IteratorsOwnTheirCellsAndCompareByDictionary) {
  CKanjiHash dict, other;
  Fill(dict, {"a", "b"});
  Fill(other, {"a", "b"});
  CKanjiIterator it, in_other, unassigned, unassigned2;
  it = dict.Begin();
  in_other = other.Begin();
  EXPECT_TRUE(it != in_other);  // equal keys of two dictionaries are two positions
  EXPECT_TRUE(unassigned == unassigned2);
  EXPECT_TRUE(unassigned != dict.End());
  CKanjiPosition* const cell = it.pPos;
  {
    CKanjiIterator copy(it);
    EXPECT_NE(copy.pPos, it.pPos);
    EXPECT_TRUE(copy == it);
    EXPECT_STREQ((++copy).Key().GetBuff(), "b");
    EXPECT_STREQ(it.Key().GetBuff(), "a");
    it = copy;
    EXPECT_EQ(it.pPos, cell);  // assignment copies the position, not the cell
  }
  EXPECT_STREQ(it.Value().GetBuff(), "vb");  // the copy freed its own cell only
  ++it;
  EXPECT_TRUE(it == dict.End());
  ++it;  // the end stays the end, and reads as an empty entry
  EXPECT_TRUE(it == dict.End());
  EXPECT_STREQ(it.Key().GetBuff(), "");
  EXPECT_STREQ(unassigned.Value().GetBuff(), "");
}

TEST_F(KanjiHashTest, EndPositionOutlivesEraseAssignmentAndClear) {
  CKanjiHash dict, source;
  Fill(dict, {"a", "b"});
  Fill(source, {"c"});
  CKanjiIterator end;
  end = dict.End();
  dict.Erase(SjisKey("a"));
  EXPECT_TRUE(end == dict.End());
  dict = source;
  CKanjiIterator it;
  it = dict.Begin();
  EXPECT_TRUE(++it == end);
  dict.Clear();
  it = dict.Begin();
  EXPECT_TRUE(it == end);
}

TEST_F(KanjiHashTest, CopiesAreIndependentInTextsAndSettings) {
  const CKanji key("k", CKanji::EMODE_EUC, CKanji::EMODE_AUTO, false, true, true, false, 32);
  const CKanji value(Sjis(u8"値").c_str(), CKanji::EMODE_JIS, CKanji::EMODE_SJIS, true, false,
                     false, true, 48);
  for (bool construct : {true, false}) {
    SCOPED_TRACE(construct ? "copy constructor" : "assignment");
    CKanjiHash source;
    Fill(source, {"a", "b"});
    source[key] = value;
    const EntryList before = Entries(source);
    CKanjiHash assigned;
    Fill(assigned, {"old"});
    assigned = source;
    CKanjiHash constructed(source);
    CKanjiHash& copy = construct ? constructed : assigned;
    EXPECT_EQ(Entries(copy), before);
    CKanjiIterator it;
    it = copy.Find(SjisKey("k"));
    EXPECT_EQ(Settings::Of(it.Key()), Settings::Of(key));
    EXPECT_EQ(Settings::Of(it.Value()), Settings::Of(value));
    EXPECT_NE(it.Value().GetBuff(), source[key].GetBuff());

    copy[SjisKey("a")] = "changed";
    copy.Erase(SjisKey("b"));
    EXPECT_EQ(Entries(source), before);
    const EntryList copied = Entries(copy);
    source.Clear();
    EXPECT_EQ(Entries(copy), copied);
    const CKanjiHash& same = copy;
    copy = same;
    EXPECT_EQ(Entries(copy), copied);
  }
}

// The probe's operator< runs only where the map asks "probe < stored". Over the tree d(b, f):
// find descends with "stored < probe" and makes one equality test "probe < stored"; erase by key
// asks "probe < stored" on the way down and for the first greater key. operator[] looks up with
// a plain copy of the key, so the probe is never asked.
TEST_F(KanjiHashTest, ProbeIsTheLeftOperandOnlyWhereTheLookupDefinesIt) {
  struct Row {
    const char* what;
    const char* probe;
    void (*run)(CKanjiHash&, const SpyKey&);
    std::vector<std::string> calls;
  };
  auto find = [](CKanjiHash& d, const SpyKey& k) { d.Find(k); };
  auto erase = [](CKanjiHash& d, const SpyKey& k) { d.Erase(k); };
  const Row rows[] = {
      {"find present at the root", "d", find, {"d"}},
      {"find absent between", "e", find, {"f"}},
      {"find absent below all", "a", find, {"b"}},
      {"find absent above all: no candidate to test", "z", find, {}},
      {"erase present", "d", erase, {"d", "f"}},
      {"erase absent", "c", erase, {"d"}},
      {"index", "e", [](CKanjiHash& d, const SpyKey& k) { d[k]; }, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CKanjiHash dict;
    Fill(dict, {"b", "d", "f"});
    const SpyKey probe(row.probe);
    row.run(dict, probe);
    EXPECT_EQ(probe.calls, row.calls);
  }
}

// Each allocation of each operation fails in turn (a null operator new inside a growth comes as
// CThrowErr, elsewhere as std::bad_alloc): the operation throws, nothing leaks, and the
// dictionaries keep what they held.
TEST_F(KanjiHashTest, FailedAllocationLeavesEveryDictionaryWhole) {
  struct Row {
    const char* what;
    void (*run)(CKanjiHash& dict, const CKanjiHash& source);
    EntryList done;  // the dictionary after a run that succeeds
  };
  const Row rows[] = {
      {"index of an absent key", [](CKanjiHash& d, const CKanjiHash&) { d[SjisKey("n")]; },
       EntryList{{"a", "va"}, {"b", "vb"}, {"n", ""}}},
      {"index of a present key", [](CKanjiHash& d, const CKanjiHash&) { d[SjisKey("a")] = "x"; },
       EntryList{{"a", "x"}, {"b", "vb"}}},
      {"assignment", [](CKanjiHash& d, const CKanjiHash& s) { d = s; }, Expected({"s", "t", "u"})},
      {"copy construction",
       [](CKanjiHash& d, const CKanjiHash&) {
         CKanjiHash copy(d);
         copy.Erase(SjisKey("a"));
         d = copy;
       },
       Expected({"b"})},
      {"iterator copy",
       [](CKanjiHash& d, const CKanjiHash&) {
         CKanjiIterator copy(d.Begin());
         d.Erase(copy);
       },
       Expected({"b"})},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    bool completed = false;
    for (long nth = 1; !completed && nth < 200; ++nth) {
      SCOPED_TRACE(nth);
      CKanjiHash dict, source;
      Fill(dict, {"a", "b"});
      Fill(source, {"s", "t", "u"});
      bool threw = false;
      {
        FailAllocation fail(nth);
        try {
          row.run(dict, source);
        } catch (const std::bad_alloc&) {
          threw = true;
        } catch (const CThrowErr&) {
          threw = true;
        }
        completed = !fail.Fired();
      }
      EXPECT_NE(threw, completed);
      EXPECT_EQ(Entries(dict), completed ? row.done : Expected({"a", "b"}));
      EXPECT_EQ(Entries(source), Expected({"s", "t", "u"}));
    }
    EXPECT_TRUE(completed);
  }
}

}  // namespace
