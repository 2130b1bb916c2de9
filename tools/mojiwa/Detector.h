// The library's code detection (CKanji::CheckCode) over a stream that arrives in pieces of any
// size: the same walk with CKanji::CheckArea and the same counts, so that the answer for the
// concatenated pieces equals CheckCode of the whole text, without holding the text.
#ifndef MOJIWA_TOOLS_DETECTOR_H
#define MOJIWA_TOOLS_DETECTOR_H

#include <mojiwa/Kanji.h>

#include <cstddef>

namespace mojiwa {
namespace filter {

class StreamDetector {
 public:
  // Walks the bytes; a NUL among them counts as a byte that is no evidence.
  void Feed(const unsigned char* data, std::size_t size);
  // Walks what is left and answers as CheckCode does: EMODE_JIS once a recognised escape
  // sequence is seen, else the code with more evidence, else EMODE_AUTO. Resets for new text.
  CKanji::EMODE Finish();
  // True once an escape sequence has decided JIS: nothing later can change the answer.
  bool Decided() const { return jis_; }

 private:
  // The walk needs up to four bytes at its position (ESC $ ( D); fewer wait here.
  static constexpr std::size_t kLookAhead = 4;

  std::size_t Walk(const unsigned char* text, std::size_t pos, std::size_t limit);
  void Step(const unsigned char* text, std::size_t* pos);

  unsigned long euc_ = 0;
  unsigned long sjis_ = 0;
  bool jis_ = false;
  unsigned char pending_[2 * kLookAhead + 1] = {};
  std::size_t pending_size_ = 0;
};

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_DETECTOR_H
