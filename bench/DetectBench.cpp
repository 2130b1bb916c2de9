// CheckCode over each whole corpus file. A recognised escape sequence decides a text at once, so
// the JIS files stop at their first ESC $ B; the others are read to their end.
#include <mojiwa/Kanji.h>

#include <string>

#include "BenchSupport.h"

namespace mojiwa_bench {
namespace {

const char* CodeName(CKanji::EMODE code) {
  switch (code) {
    case CKanji::EMODE_EUC: return "EUC-JP";
    case CKanji::EMODE_SJIS: return "Shift_JIS";
    case CKanji::EMODE_JIS: return "JIS";
    default: return "undecided";
  }
}

void BM_CheckCode(benchmark::State& state, const char* file) {
  const std::string& text = Shared(file);
  CKanji::EMODE code = CKanji::EMODE_AUTO;
  for (auto _ : state) {
    code = CKanji::CheckCode(text.c_str());
    benchmark::DoNotOptimize(code);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  state.SetLabel(CodeName(code));
}

const bool kRegistered = [] {
  for (const char* file :
       {"corpus/ja-sjis.txt", "corpus/ja-euc.txt", "corpus/ja-jis.txt", "corpus/ja-utf8.txt",
        "corpus/hw-sjis.txt", "corpus/hw-euc.txt", "corpus/hw-jis.txt", "corpus/hw-utf8.txt"}) {
    benchmark::RegisterBenchmark((std::string("CheckCode/") + file).c_str(), BM_CheckCode, file);
  }
  return true;
}();

}  // namespace
}  // namespace mojiwa_bench
