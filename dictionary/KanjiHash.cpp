// The ordered dictionary and its iterator: CKanjiMap wraps std::map<CKanji, CKanji> and
// CKanjiPosition one iterator of it. Lookups go through the standard map's own algorithms, so the
// key's virtual operator< is asked in the map's fixed operand order (see KeyLess).
#include "dictionary/KanjiHash.h"

#include <iterator>
#include <map>
#include <utility>

namespace {

// The map's ordering. std::map calls it as "stored < probe" while descending in find, erase by
// key and the first half of equal_range, and as "probe < stored" for their equality test; insert
// descends with "probe < stored" and tests equality with "stored < probe". The left operand's
// virtual operator< decides, so a derived key class sees exactly those calls.
struct KeyLess {
  bool operator()(const CKanji& left, const CKanji& right) const { return left < right; }
};

using Entries = std::map<CKanji, CKanji, KeyLess>;

// Read for Key and Value of a position that holds no entry (the end, or never assigned): an
// empty object without a buffer, so such a read neither crashes nor allocates.
const CKanji& NoEntry() {
  static const CKanji empty;
  return empty;
}

}  // namespace

struct CKanjiMap {
  Entries entries;
};

// A position: an entry of one map, that map's end, or nothing yet (owner null). The end is kept
// as a mark rather than as the map's end iterator, which a swap of maps may move to the other
// map; so the end of a dictionary stays the same position through assignment. The owner also
// tells positions of two dictionaries apart without comparing iterators of two containers.
struct CKanjiPosition {
  CKanjiMap* owner = nullptr;
  bool at_end = false;
  Entries::iterator it{};  // value-initialised unless the position is an entry

  void Set(CKanjiMap* map, Entries::iterator pos) {
    owner = map;
    at_end = pos == map->entries.end();
    it = at_end ? Entries::iterator{} : pos;
  }
  bool HoldsEntry() const { return owner != nullptr && !at_end; }
};

// ---- CKanjiIterator -----------------------------------------------------------------------

CKanjiIterator::CKanjiIterator() : pPos(new CKanjiPosition) {}

CKanjiIterator::CKanjiIterator(const CKanjiIterator& cOther)
    : pPos(new CKanjiPosition(*cOther.pPos)) {}

CKanjiIterator::~CKanjiIterator() { delete pPos; }

const CKanji& CKanjiIterator::Key() const {
  return pPos->HoldsEntry() ? pPos->it->first : NoEntry();
}

const CKanji& CKanjiIterator::Value() const {
  return pPos->HoldsEntry() ? pPos->it->second : NoEntry();
}

bool CKanjiIterator::operator==(const CKanjiIterator& cOther) const {
  const CKanjiPosition& a = *pPos;
  const CKanjiPosition& b = *cOther.pPos;
  if (a.owner != b.owner || a.at_end != b.at_end) return false;
  return !a.HoldsEntry() || a.it == b.it;
}

bool CKanjiIterator::operator!=(const CKanjiIterator& cOther) const { return !(*this == cOther); }

CKanjiIterator& CKanjiIterator::operator=(const CKanjiIterator& cOther) {
  if (this != &cOther) *pPos = *cOther.pPos;
  return *this;
}

CKanjiIterator& CKanjiIterator::operator++() {
  // The end stays the end: stepping past it would walk off the tree.
  if (pPos->HoldsEntry()) pPos->Set(pPos->owner, std::next(pPos->it));
  return *this;
}

// ---- CKanjiHash ---------------------------------------------------------------------------

CKanjiHash::CKanjiHash() : pMap(new CKanjiMap) {}

// Copies the tree with its shape; each key and value through CKanji's text-copying constructor.
CKanjiHash::CKanjiHash(const CKanjiHash& cOther) : pMap(new CKanjiMap(*cOther.pMap)) {}

CKanjiHash::~CKanjiHash() { delete pMap; }

const CKanjiIterator& CKanjiHash::Begin() const {
  cIterator.pPos->Set(pMap, pMap->entries.begin());
  return cIterator;
}

const CKanjiIterator& CKanjiHash::End() const {
  cIterator.pPos->Set(pMap, pMap->entries.end());
  return cIterator;
}

const CKanjiIterator& CKanjiHash::Find(const CKanji& cKey) const {
  // Looked up before cIterator is touched, so a comparison that throws leaves it as it was.
  const Entries::iterator found = pMap->entries.find(cKey);
  cIterator.pPos->Set(pMap, found);
  return cIterator;
}

// A position of another dictionary, the end, or one never assigned removes nothing.
void CKanjiHash::Erase(const CKanjiIterator& cPos) {
  const CKanjiPosition& pos = *cPos.pPos;
  if (pos.owner != pMap || !pos.HoldsEntry()) return;
  pMap->entries.erase(pos.it);
}

void CKanjiHash::Erase(const CKanjiIterator& cFirst, const CKanjiIterator& cLast) {
  const CKanjiPosition& first = *cFirst.pPos;
  const CKanjiPosition& last = *cLast.pPos;
  // From the end nothing follows; a range of another dictionary is not ours to touch.
  if (first.owner != pMap || last.owner != pMap || !first.HoldsEntry()) return;
  // The whole range goes at once (std::map clears instead of rebalancing per entry).
  pMap->entries.erase(first.it, last.at_end ? pMap->entries.end() : last.it);
}

unsigned long CKanjiHash::Erase(const CKanji& cKey) {
  return static_cast<unsigned long>(pMap->entries.erase(cKey));
}

CKanji& CKanjiHash::operator[](const CKanji& cKey) {
  const CKanji cDefault;
  // The candidate is built on every call; insert descends with its key and allocates a node only
  // when the key is absent, so a present entry keeps its key object and its value.
  const Entries::value_type candidate(cKey, cDefault);
  return pMap->entries.insert(candidate).first->second;
}

void CKanjiHash::Clear() { pMap->entries.clear(); }

bool CKanjiHash::Empty() const { return pMap->entries.empty(); }

CKanjiHash& CKanjiHash::operator=(const CKanjiHash& cOther) {
  if (this == &cOther) return *this;
  // Copy first, then swap: a copy that fails leaves this dictionary whole.
  Entries copy(cOther.pMap->entries);
  pMap->entries.swap(copy);
  return *this;
}
