// The string object: appending the 6 MB Shift_JIS corpus into an EUC-JP object with several
// growth steps (x_convert = CopyS2E alone / the append), and the text operations on 1 MB of it
// (x_assign, x_assign_new = the object's own assignment of the same text / the operation).
#include <mojiwa/Kanji.h>

#include <functional>
#include <string>

#include "BenchSupport.h"

namespace mojiwa_bench {
namespace {

const char* const kMainSjis = "corpus/ja-sjis.txt";
const char* const kMainEuc = "corpus/ja-euc.txt";
const char* const kHalfWidthSjis = "corpus/hw-sjis.txt";
constexpr std::size_t kTextOpSize = 1 << 20;

// The converter alone, as the object calls it but into a buffer that already fits the text.
void AddConverterRatio(Ratios& ratios, const std::string& text, OutBuffer& out) {
  ratios.Add("x_convert", [&text, &out] {
    const char* src = text.c_str();
    char* dst = out.data();
    unsigned long room = out.capacity();
    benchmark::DoNotOptimize(CKanji::CopyS2E(src, dst, &room));
  });
}

// Steps that stand for a size relative to the text's.
constexpr unsigned long kStepTextSize = 0, kStepNineEighths = 1;

// A new EUC-JP object per iteration takes the whole Shift_JIS text in one append. With input
// EMODE_AUTO the append detects the code first.
void BM_Append(benchmark::State& state, unsigned long step, CKanji::EMODE input) {
  CKanji::SetMemLimit(0);
  const std::string& text = Shared(kMainSjis);
  const auto size = static_cast<unsigned long>(text.size());
  // A step of the text's size fills the first block but for the NUL, so the text grows twice.
  if (step == kStepTextSize) step = size;
  if (step == kStepNineEighths) step = size + size / 8 + 1;
  {
    CKanji check(CKanji::EMODE_EUC, input, true, false, false, false, step);
    check += text.c_str();
    const std::size_t at = FirstDifference(check.GetBuff(), Shared(kMainEuc));
    if (at != std::string::npos) {
      state.SkipWithError(
          ("text differs from the EUC-JP corpus at byte " + std::to_string(at)).c_str());
      return;
    }
  }
  OutBuffer out(text.size() + 1);
  const CpuStopwatch ours;
  for (auto _ : state) {
    CKanji object(CKanji::EMODE_EUC, input, true, false, false, false, step);
    object += text.c_str();
    benchmark::DoNotOptimize(object.GetBuff());
  }
  Ratios ratios(state, ours);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  AddConverterRatio(ratios, text, out);
}

// One object assigned the text again and again: after the first time its buffer fits, so no
// growth is left and only the conversion remains.
void BM_AssignReused(benchmark::State& state) {
  CKanji::SetMemLimit(0);
  const std::string& text = Shared(kMainSjis);
  CKanji object(CKanji::EMODE_EUC, CKanji::EMODE_SJIS);
  object = text.c_str();
  OutBuffer out(text.size() + 1);
  const CpuStopwatch ours;
  for (auto _ : state) {
    benchmark::DoNotOptimize(object = text.c_str());
  }
  Ratios ratios(state, ours);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  AddConverterRatio(ratios, text, out);
}

// Patterns and lists are made from UTF-8 so that their bytes are not typed by hand.
std::string Sjis(const char* utf8) { return Iconv("UTF-8", "SHIFT_JIS").Convert(utf8); }

// The 1 MB Shift_JIS texts of the text operations.
const std::string& OpText(const char* file) {
  static std::string main_text = WholeLines(Shared(kMainSjis), kTextOpSize);
  static std::string half_width_text = WholeLines(Shared(kHalfWidthSjis), kTextOpSize);
  return file == kMainSjis ? main_text : half_width_text;
}

// The growth step of the objects of a text operation: the default, or (0) one eighth above the
// size of the text, as a caller who knows the size would choose it.
unsigned long OpStep(unsigned long step, const std::string& text) {
  return step != 0 ? step : static_cast<unsigned long>(text.size() + text.size() / 8);
}

CKanji SjisObject(unsigned long step) {
  return CKanji(CKanji::EMODE_SJIS, CKanji::EMODE_SJIS, true, false, false, false, step);
}

// Runs `op` on a Shift_JIS object holding the text. With `restore` the text is assigned again
// before each run, outside the timing, since the operation changes it. Three yardsticks, each an
// assignment of the same text: x_assign, to an object whose buffer already fits it and whose input
// code is given (a plain copy); x_assign_auto, the same with the input code detected, as an object
// reading text of unknown code (input EMODE_AUTO) does; x_assign_new, to a new object with the
// same growth step.
void RunTextOp(benchmark::State& state, const char* file, unsigned long step, bool restore,
               const std::function<void(CKanji&)>& op) {
  CKanji::SetMemLimit(0);
  const std::string& text = OpText(file);
  step = OpStep(step, text);
  CKanji object = SjisObject(step);
  object = text.c_str();
  CKanji assigned = SjisObject(step);
  assigned = text.c_str();
  // bFixInput off: the object keeps detecting on every assignment.
  CKanji detecting(CKanji::EMODE_SJIS, CKanji::EMODE_AUTO, false, false, false, false, step);
  detecting = text.c_str();
  CpuStopwatch ours;
  for (auto _ : state) {
    if (restore) {
      state.PauseTiming();
      ours.Pause();
      object = text.c_str();
      ours.Resume();
      state.ResumeTiming();
    }
    op(object);
  }
  Ratios ratios(state, ours);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  ratios.Add("x_assign", [&assigned, &text] { benchmark::DoNotOptimize(assigned = text.c_str()); });
  ratios.Add("x_assign_auto",
             [&detecting, &text] { benchmark::DoNotOptimize(detecting = text.c_str()); });
  ratios.Add("x_assign_new", [&text, step] {
    CKanji fresh = SjisObject(step);
    benchmark::DoNotOptimize(fresh = text.c_str());
  });
}

void BM_Assign(benchmark::State& state, unsigned long step) {
  RunTextOp(state, kMainSjis, step, false,
            [](CKanji& object) { benchmark::DoNotOptimize(object = OpText(kMainSjis).c_str()); });
}

void BM_Zen2han(benchmark::State& state, unsigned long step) {
  RunTextOp(state, kMainSjis, step, true, [](CKanji& object) {
    benchmark::DoNotOptimize(object.zen2han(true, true, true, true, true));
  });
}

void BM_Han2zen(benchmark::State& state, unsigned long step) {
  RunTextOp(state, kHalfWidthSjis, step, true, [](CKanji& object) {
    benchmark::DoNotOptimize(object.han2zen(true, true, true, true, false));
  });
}

void BM_Replace(benchmark::State& state, unsigned long step) {
  const std::string pattern = Sjis("する");
  const std::string replacement = Sjis("します");
  RunTextOp(state, kMainSjis, step, true, [&pattern, &replacement](CKanji& object) {
    benchmark::DoNotOptimize(object.Replace(pattern.c_str(), replacement.c_str()));
  });
}

void BM_Clean(benchmark::State& state, unsigned long step) {
  const CKanji list(Sjis("、。「」 ").c_str());
  RunTextOp(state, kMainSjis, step, true,
            [&list](CKanji& object) { benchmark::DoNotOptimize(object.Clean(list)); });
}

// The other text differs only in its last byte, so the whole text is walked and the common part
// (all but that byte) is copied out.
void BM_Compare(benchmark::State& state, unsigned long step) {
  CKanji::SetMemLimit(0);
  std::string other_text = OpText(kMainSjis);
  other_text.back() = ' ';
  step = OpStep(step, other_text);
  CKanji other = SjisObject(step);
  other = other_text.c_str();
  CKanji same = SjisObject(step);
  CKanji rest_this = SjisObject(step);
  CKanji rest_other = SjisObject(step);
  RunTextOp(state, kMainSjis, step, false, [&](CKanji& object) {
    benchmark::DoNotOptimize(object.Compare(other, same, rest_this, rest_other));
  });
}

struct TextOp {
  const char* name;
  void (*run)(benchmark::State&, unsigned long step);
};

const TextOp kTextOps[] = {
    {"assign/ja_1MB", BM_Assign},       {"zen2han_all/ja_1MB", BM_Zen2han},
    {"han2zen_all/hw_1MB", BM_Han2zen}, {"Replace/ja_1MB", BM_Replace},
    {"Clean/ja_1MB", BM_Clean},         {"Compare/ja_1MB", BM_Compare},
};

const bool kRegistered = [] {
  for (unsigned long step : {1024ul, 65536ul, 1ul << 20, kStepTextSize, kStepNineEighths}) {
    const std::string name =
        "Append/S2E/step:" + (step == kStepTextSize      ? std::string("text_size")
                              : step == kStepNineEighths ? std::string("9_8_of_size")
                                                         : std::to_string(step));
    auto* bench = benchmark::RegisterBenchmark(name.c_str(), BM_Append, step, CKanji::EMODE_SJIS);
    // Each growth copies the whole text: with the default step one append takes seconds.
    if (step == 1024) bench->Iterations(1);
  }
  benchmark::RegisterBenchmark("Append/auto_S2E/step:text_size", BM_Append, kStepTextSize,
                               CKanji::EMODE_AUTO);
  benchmark::RegisterBenchmark("Assign/S2E/reused_object", BM_AssignReused);
  for (const TextOp& op : kTextOps) {
    for (unsigned long step : {1024ul, 0ul}) {
      const std::string name =
          std::string("TextOp/") + op.name + (step == 0 ? "/step:9_8_of_size" : "/step:1024");
      benchmark::RegisterBenchmark(name.c_str(), op.run, step);
    }
  }
  return true;
}();

}  // namespace
}  // namespace mojiwa_bench
