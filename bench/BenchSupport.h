// What the benchmarks share: the corpus texts, glibc iconv(3) as a rival, a CPU stopwatch, and
// the yardstick counters that put a rival's time beside our own as a ratio of two measurements
// taken back to back on one (shared, noisy) machine.
#ifndef MOJIWA_BENCH_SUPPORT_H
#define MOJIWA_BENCH_SUPPORT_H

#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace mojiwa_bench {

// The content of a file of the shared folder, e.g. Shared("corpus/ja-sjis.txt"), read once and
// kept. The folder is MOJIWA_SHARED_DIR from the environment, else the one configured at build
// time. A missing file ends the program: every number would be meaningless without it.
const std::string& Shared(const std::string& relative);

// The text up to and including the last LF within its first `limit` bytes.
std::string WholeLines(const std::string& text, std::size_t limit);

// Offset of the first byte where the two differ, or npos when they are equal.
std::size_t FirstDifference(const std::string& got, const std::string& want);

// One iconv(3) descriptor. Convert() resets the shift state, converts the whole text into out
// (which must be large enough) and returns the bytes written; an error ends the program.
class Iconv {
 public:
  Iconv(const char* from, const char* to);
  ~Iconv();
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  std::size_t Convert(const std::string& in, char* out, std::size_t capacity);
  // The whole conversion as a string, for building patterns.
  std::string Convert(const std::string& in);

 private:
  iconv_t cd_;
  const char* from_;
  const char* to_;
};

// CPU time of the calling thread, which is also what Google Benchmark reports by default.
class CpuStopwatch {
 public:
  CpuStopwatch() : start_(Now()) {}
  void Pause() { paused_at_ = Now(); }
  void Resume() { start_ += Now() - paused_at_; }
  double Seconds() const { return Now() - start_; }
  static double Now();

 private:
  double start_;
  double paused_at_ = 0;
};

// The yardstick counters of one benchmark line. Made right after the benchmark loop, it keeps
// our CPU time per iteration; Add() then runs a yardstick for as long as the loop ran (capped at
// 0.3 s, and at least three calls after one warm-up call) and sets the counter `name` to the
// yardstick's time per call divided by ours: 8 reads "eight times as fast as the yardstick".
// Measuring both sides back to back keeps the ratio steady on a shared machine whose speed
// drifts during a run.
//
// Given `once`, one run of what the loop timed, Add() instead times `once` and the yardstick in
// turns, a millisecond or so each, for the same while: a burst of load from elsewhere on the
// machine, which can halve a side's speed for a second, then weighs on both sides alike.
class Ratios {
 public:
  Ratios(benchmark::State& state, const CpuStopwatch& ours, std::function<void()> once = nullptr);
  void Add(const char* name, const std::function<void()>& yardstick);

 private:
  double Budget() const { return loop_seconds_ < 0.3 ? loop_seconds_ : 0.3; }
  double InTurns(const std::function<void()>& yardstick) const;

  benchmark::State& state_;
  double loop_seconds_;
  double per_iteration_;
  std::function<void()> once_;
};

// A NUL-terminated output buffer that is touched once, so that page faults stay out of the loop.
class OutBuffer {
 public:
  explicit OutBuffer(std::size_t capacity);
  char* data() { return data_.get(); }
  std::size_t capacity() const { return capacity_; }

 private:
  std::unique_ptr<char[]> data_;
  std::size_t capacity_;
};

}  // namespace mojiwa_bench

#endif  // MOJIWA_BENCH_SUPPORT_H
