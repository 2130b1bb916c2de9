// Width and case conversion of the converted text, with the library's CKanji::zen2han, han2zen,
// ToUpper and ToLower. The text is gathered into whole lines (the operations never act across a
// line end) and handed to a CKanji of the output code in blocks; a line longer than the buffer is
// cut at a character boundary.
#ifndef MOJIWA_TOOLS_WIDTHSTAGE_H
#define MOJIWA_TOOLS_WIDTHSTAGE_H

#include <mojiwa/Kanji.h>

#include <cstddef>
#include <memory>

#include "Options.h"
#include "Output.h"

namespace mojiwa {
namespace filter {

class WidthStage : public Target {
 public:
  // The longest piece handed to the library at once; its work objects hold a few copies.
  static constexpr std::size_t kPieceSize = std::size_t{32} * 1024;

  WidthStage(const Options& options, CKanji::EMODE code, Target& next,
             std::size_t piece_size = kPieceSize);
  // The output code, once known; text taken before must read the same in every code.
  void SetCode(CKanji::EMODE code);
  void Overflow() override;
  void EndOfInput() override;

 private:
  void Process(char* text, std::size_t size);
  void ProcessPart(char* text, std::size_t size);
  // Hands on the first `size` bytes of the buffer and keeps the rest.
  void Consume(std::size_t size);

  const Options& options_;
  Target& next_;
  std::size_t piece_size_;
  std::unique_ptr<CKanji> line_;
};

}  // namespace filter
}  // namespace mojiwa

#endif  // MOJIWA_TOOLS_WIDTHSTAGE_H
