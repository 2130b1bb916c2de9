// The six block converters on the main corpus, with unlimited room and with room counted as the
// object counts it, beside glibc iconv(3) on the same conversion, memcpy of the same bytes, and
// (for the Shift_JIS / EUC-JP pair) the straightforward byte loop that a converter must beat; and
// on the corpus eight times over, beside memcpy of that text, which no longer fits the cache.
// Counters: x_iconv, x_memcpy, x_loop = the yardstick's time / the converter's time.
#include <mojiwa/Kanji.h>

#include <cstring>
#include <map>
#include <string>

#include "BenchSupport.h"

namespace mojiwa_bench {
namespace {

using Converter = bool (*)(const char*& src, char*& dst, unsigned long* room);
using PlainLoop = std::size_t (*)(const char* src, char* dst);

// The straightforward Shift_JIS to EUC-JP loop: one branch per byte class, the pair arithmetic
// written out, no room checks. CR is dropped and half-width katakana become full width, as the
// converter does (the main corpus has none, so their lookup costs nothing here).
std::size_t PlainSjisToEuc(const char* text, char* out) {
  auto src = reinterpret_cast<const unsigned char*>(text);
  auto dst = reinterpret_cast<unsigned char*>(out);
  const auto start = dst;
  while (*src != 0) {
    const unsigned lead = src[0];
    const unsigned trail = src[1];
    if (((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEF)) && trail >= 0x40 &&
        trail <= 0xFC && trail != 0x7F) {
      // Each lead byte holds two JIS rows: trail 0x40..0x9E (less 0x7F) the odd one, from 0x9F
      // the even one.
      unsigned row = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 0x21;
      unsigned cell;
      if (trail >= 0x9F) {
        ++row;
        cell = trail - 0x9F + 0x21;
      } else {
        cell = trail - 0x40 + 0x21 - (trail > 0x7F ? 1 : 0);
      }
      *dst++ = static_cast<unsigned char>(row | 0x80);
      *dst++ = static_cast<unsigned char>(cell | 0x80);
      src += 2;
    } else if (lead == '\r') {
      ++src;
    } else if (lead >= 0xA1 && lead <= 0xDF) {
      const char* zen = CKanji::stTableH2ZE[(lead & 0x7F) - 0x21].pcZen;
      *dst++ = static_cast<unsigned char>(zen[0]);
      *dst++ = static_cast<unsigned char>(zen[1]);
      ++src;
    } else {
      *dst++ = *src++;
    }
  }
  *dst = 0;
  return static_cast<std::size_t>(dst - start);
}

// The straightforward EUC-JP to Shift_JIS loop, the inverse of the one above.
std::size_t PlainEucToSjis(const char* text, char* out) {
  auto src = reinterpret_cast<const unsigned char*>(text);
  auto dst = reinterpret_cast<unsigned char*>(out);
  const auto start = dst;
  while (*src != 0) {
    const unsigned first = src[0];
    const unsigned second = src[1];
    if (first >= 0xA1 && first <= 0xFE && second >= 0xA1 && second <= 0xFE) {
      const unsigned row = first - 0x80;
      const unsigned cell = second - 0x80;
      const unsigned lead = ((row - 0x21) >> 1) + (row <= 0x5E ? 0x81 : 0xC1);
      unsigned trail;
      if ((row & 1) != 0) {
        trail = cell + (cell <= 0x5F ? 0x1F : 0x20);  // skip 0x7F
      } else {
        trail = cell + 0x7E;
      }
      *dst++ = static_cast<unsigned char>(lead);
      *dst++ = static_cast<unsigned char>(trail);
      src += 2;
    } else {
      *dst++ = *src++;
    }
  }
  *dst = 0;
  return static_cast<std::size_t>(dst - start);
}

// The JIS writers end their text in the Roman set, as the object does after every append.
bool RunS2E(const char*& src, char*& dst, unsigned long* room) {
  return CKanji::CopyS2E(src, dst, room);
}
bool RunE2S(const char*& src, char*& dst, unsigned long* room) {
  return CKanji::CopyE2S(src, dst, false, room);
}
bool RunS2J(const char*& src, char*& dst, unsigned long* room) {
  CKanji::ESHIFT shift = CKanji::ESHIFT_ASCII;
  const bool done = CKanji::CopyS2J(src, dst, false, false, room, &shift);
  return CKanji::FlushXXX2jis(shift, dst, room) && done;
}
bool RunE2J(const char*& src, char*& dst, unsigned long* room) {
  CKanji::ESHIFT shift = CKanji::ESHIFT_ASCII;
  const bool done = CKanji::CopyE2J(src, dst, false, room, &shift);
  return CKanji::FlushXXX2jis(shift, dst, room) && done;
}
bool RunJ2E(const char*& src, char*& dst, unsigned long* room) {
  CKanji::ESHIFT shift = CKanji::ESHIFT_ASCII;
  return CKanji::CopyJ2E(src, dst, room, &shift);
}
bool RunJ2S(const char*& src, char*& dst, unsigned long* room) {
  CKanji::ESHIFT shift = CKanji::ESHIFT_ASCII;
  return CKanji::CopyJ2S(src, dst, false, room, &shift);
}

struct Conversion {
  const char* name;
  const char* source;  // corpus file
  const char* target;  // the same text in the target code: the expected output
  const char* iconv_from;
  const char* iconv_to;
  Converter convert;
  PlainLoop loop;  // null where no plain loop is written
};

const Conversion kConversions[] = {
    {"S2E", "corpus/ja-sjis.txt", "corpus/ja-euc.txt", "SHIFT_JIS", "EUC-JP", RunS2E,
     PlainSjisToEuc},
    {"E2S", "corpus/ja-euc.txt", "corpus/ja-sjis.txt", "EUC-JP", "SHIFT_JIS", RunE2S,
     PlainEucToSjis},
    {"S2J", "corpus/ja-sjis.txt", "corpus/ja-jis.txt", "SHIFT_JIS", "ISO-2022-JP", RunS2J, nullptr},
    {"E2J", "corpus/ja-euc.txt", "corpus/ja-jis.txt", "EUC-JP", "ISO-2022-JP", RunE2J, nullptr},
    {"J2E", "corpus/ja-jis.txt", "corpus/ja-euc.txt", "ISO-2022-JP", "EUC-JP", RunJ2E, nullptr},
    {"J2S", "corpus/ja-jis.txt", "corpus/ja-sjis.txt", "ISO-2022-JP", "SHIFT_JIS", RunJ2S, nullptr},
};

// A corpus file eight times over (50 MB, as bench/compare.sh feeds the filter): a text that no
// longer fits the cache, so that memcpy runs at the memory's speed. Made once per file.
const std::string& Scaled(const char* file) {
  static std::map<std::string, std::string> texts;
  std::string& text = texts[file];
  if (text.empty()) {
    for (int copy = 0; copy < 8; ++copy) text += Shared(file);
  }
  return text;
}

// Output room for any conversion of the corpus files, with much to spare: the longest output,
// JIS from Shift_JIS, is 13 % longer than its input.
std::size_t Capacity(const std::string& source) { return source.size() * 4 + 64; }

// Runs the converter once over the whole source; returns the output length.
std::size_t ConvertAll(const Conversion& c, const std::string& source, char* out,
                       unsigned long* room) {
  const char* src = source.c_str();
  char* dst = out;
  c.convert(src, dst, room);
  return static_cast<std::size_t>(dst - out);
}

// A converter whose output differs from the corpus file of the target code has no speed worth
// reporting; say where it differs instead.
bool CheckOutput(benchmark::State& state, const std::string& got, const std::string& want,
                 const char* target) {
  const std::size_t at = FirstDifference(got, want);
  if (at == std::string::npos) return true;
  state.SkipWithError(
      ("output differs from " + std::string(target) + " at byte " + std::to_string(at)).c_str());
  return false;
}

// Our converter. With `counted` the room is a count of free bytes, as the object passes it
// (large enough for the whole text, so the loop runs once); otherwise it is null (no limit).
// The yardsticks write into the same buffer. With `scaled` the text is the 50 MB one, and only
// memcpy is measured beside it.
void BM_Convert(benchmark::State& state, const Conversion& c, bool counted, bool scaled) {
  const std::string& source = scaled ? Scaled(c.source) : Shared(c.source);
  OutBuffer out(Capacity(source));
  std::string once(out.data(), ConvertAll(c, source, out.data(), nullptr));
  if (!CheckOutput(state, once, scaled ? Scaled(c.target) : Shared(c.target), c.target)) return;
  Iconv cd(c.iconv_from, c.iconv_to);

  const auto convert = [&] {
    unsigned long room = out.capacity();
    benchmark::DoNotOptimize(ConvertAll(c, source, out.data(), counted ? &room : nullptr));
    benchmark::ClobberMemory();
  };
  const CpuStopwatch ours;
  for (auto _ : state) convert();
  // The yardsticks take turns with the converter, so that both meet the same load.
  Ratios ratios(state, ours, convert);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
  ratios.Add("x_memcpy", [&] {
    std::memcpy(out.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  });
  if (scaled) return;
  ratios.Add("x_iconv",
             [&] { benchmark::DoNotOptimize(cd.Convert(source, out.data(), out.capacity())); });
  if (c.loop != nullptr) {
    ratios.Add("x_loop", [&] { benchmark::DoNotOptimize(c.loop(source.c_str(), out.data())); });
  }
}

// The yardsticks as lines of their own, so that their throughput is on the record too.
void BM_Iconv(benchmark::State& state, const Conversion& c) {
  const std::string& source = Shared(c.source);
  OutBuffer out(Capacity(source));
  Iconv cd(c.iconv_from, c.iconv_to);
  for (auto _ : state) {
    benchmark::DoNotOptimize(cd.Convert(source, out.data(), out.capacity()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

void BM_PlainLoop(benchmark::State& state, const Conversion& c) {
  const std::string& source = Shared(c.source);
  OutBuffer out(Capacity(source));
  const std::string once(out.data(), c.loop(source.c_str(), out.data()));
  if (!CheckOutput(state, once, Shared(c.target), c.target)) return;
  for (auto _ : state) {
    benchmark::DoNotOptimize(c.loop(source.c_str(), out.data()));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

void BM_Memcpy(benchmark::State& state, const char* file) {
  const std::string& source = Shared(file);
  OutBuffer out(source.size() + 1);
  for (auto _ : state) {
    std::memcpy(out.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * source.size()));
}

const bool kRegistered = [] {
  for (const Conversion& c : kConversions) {
    const std::string name = c.name;
    benchmark::RegisterBenchmark(("Convert/" + name + "/null_room").c_str(), BM_Convert, c, false,
                                 false);
    benchmark::RegisterBenchmark(("Convert/" + name + "/counted_room").c_str(), BM_Convert, c, true,
                                 false);
    benchmark::RegisterBenchmark(("Convert/" + name + "/null_room/50MB").c_str(), BM_Convert, c,
                                 false, true);
    benchmark::RegisterBenchmark(("Iconv/" + name).c_str(), BM_Iconv, c);
    if (c.loop != nullptr) {
      benchmark::RegisterBenchmark(("PlainLoop/" + name).c_str(), BM_PlainLoop, c);
    }
  }
  for (const char* file : {"corpus/ja-sjis.txt", "corpus/ja-jis.txt"}) {
    benchmark::RegisterBenchmark((std::string("Memcpy/") + file).c_str(), BM_Memcpy, file);
  }
  return true;
}();

}  // namespace
}  // namespace mojiwa_bench
