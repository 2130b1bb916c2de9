// Mojiwa: the ordered CKanji-to-CKanji dictionary and its iterator.
//
// In spite of its name CKanjiHash is an ordered map: walking it yields the keys in ascending
// order of CKanji::operator<. Begin, End and Find write the dictionary's own iterator and return
// a reference to it; copy it into an iterator of your own to keep a position:
//
//   CKanjiIterator it;
//   for (it = dict.Begin(); it != dict.End(); ++it) use(it.Key(), it.Value());
//
// This header is part of the library's binary interface and compiles as C++11.
#ifndef MOJIWA_KANJIHASH_H
#define MOJIWA_KANJIHASH_H

#include "Kanji.h"

struct CKanjiMap;       // the entries; defined inside the library only
struct CKanjiPosition;  // one position in a CKanjiMap; defined inside the library only

// A position in a dictionary: an entry or the dictionary's end.
class MOJIWA_API CKanjiIterator {
 public:
  CKanjiIterator();
  // A new iterator at the same position, with a cell of its own.
  CKanjiIterator(const CKanjiIterator& cOther);
  ~CKanjiIterator();

  // The key and value of the entry at the position.
  const CKanji& Key() const;
  const CKanji& Value() const;
  // Whether both hold the same position of the same dictionary.
  bool operator==(const CKanjiIterator& cOther) const;
  bool operator!=(const CKanjiIterator& cOther) const;
  // Copies the other iterator's position into this iterator's own cell.
  CKanjiIterator& operator=(const CKanjiIterator& cOther);
  // Moves to the entry with the next greater key, or to the end after the greatest.
  CKanjiIterator& operator++();

  CKanjiPosition* pPos;  // owned cell holding the position
};

// The dictionary: each key at most once, in ascending key order.
class MOJIWA_API CKanjiHash {
 public:
  CKanjiHash();
  // Copies every key and value with its text and settings.
  CKanjiHash(const CKanjiHash& cOther);
  ~CKanjiHash();

  // Sets the dictionary's own iterator to the smallest key, the end, or the key given (the end
  // when absent), and returns it. Each call overwrites what the previous one returned.
  const CKanjiIterator& Begin() const;
  const CKanjiIterator& End() const;
  const CKanjiIterator& Find(const CKanji& cKey) const;
  // Removes the entry at the position; the range [first, last); the key (returns 0 or 1).
  void Erase(const CKanjiIterator& cPos);
  void Erase(const CKanjiIterator& cFirst, const CKanjiIterator& cLast);
  unsigned long Erase(const CKanji& cKey);
  // The value stored for the key; inserts a copy of the key with an empty default value first
  // when the key is absent.
  CKanji& operator[](const CKanji& cKey);
  void Clear();
  bool Empty() const;
  // Replaces all entries by copies of the other's.
  CKanjiHash& operator=(const CKanjiHash& cOther);

  mutable CKanjiIterator cIterator;  // written by Begin, End and Find
  CKanjiMap* pMap;                   // owned entries
};

#endif  // MOJIWA_KANJIHASH_H
