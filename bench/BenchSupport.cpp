// Corpus access, iconv(3), the CPU stopwatch and the yardstick ratios.
#include "BenchSupport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace mojiwa_bench {
namespace {

[[noreturn]] void Die(const std::string& message) {
  std::fprintf(stderr, "mojiwa_bench: %s\n", message.c_str());
  std::exit(1);
}

std::string SharedDir() {
  const char* dir = std::getenv("MOJIWA_SHARED_DIR");
  return dir != nullptr && *dir != '\0' ? dir : MOJIWA_SHARED_DIR;
}

}  // namespace

const std::string& Shared(const std::string& relative) {
  static std::map<std::string, std::string> cache;
  auto it = cache.find(relative);
  if (it != cache.end()) return it->second;
  const std::string path = SharedDir() + "/" + relative;
  std::ifstream in(path, std::ios::binary);
  if (!in) Die("cannot read " + path + " (set MOJIWA_SHARED_DIR)");
  std::ostringstream text;
  text << in.rdbuf();
  return cache.emplace(relative, text.str()).first->second;
}

std::string WholeLines(const std::string& text, std::size_t limit) {
  if (text.size() <= limit) return text;
  const std::size_t last_lf = text.rfind('\n', limit - 1);
  return text.substr(0, last_lf == std::string::npos ? limit : last_lf + 1);
}

std::size_t FirstDifference(const std::string& got, const std::string& want) {
  const auto end = got.size() < want.size() ? got.size() : want.size();
  for (std::size_t i = 0; i < end; ++i) {
    if (got[i] != want[i]) return i;
  }
  return got.size() == want.size() ? std::string::npos : end;
}

Iconv::Iconv(const char* from, const char* to) : cd_(iconv_open(to, from)), from_(from), to_(to) {
  if (cd_ == reinterpret_cast<iconv_t>(-1)) {
    Die(std::string("iconv_open ") + from + " -> " + to + ": " + std::strerror(errno));
  }
}

Iconv::~Iconv() { iconv_close(cd_); }

std::size_t Iconv::Convert(const std::string& in, char* out, std::size_t capacity) {
  iconv(cd_, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char* dst = out;
  std::size_t dst_left = capacity;
  if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1) ||
      iconv(cd_, nullptr, nullptr, &dst, &dst_left) == static_cast<std::size_t>(-1)) {
    Die(std::string("iconv ") + from_ + " -> " + to_ + " at byte " +
        std::to_string(in.size() - src_left) + ": " + std::strerror(errno));
  }
  return capacity - dst_left;
}

std::string Iconv::Convert(const std::string& in) {
  std::vector<char> out(in.size() * 4 + 16);
  return std::string(out.data(), Convert(in, out.data(), out.size()));
}

double CpuStopwatch::Now() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

Ratios::Ratios(benchmark::State& state, const CpuStopwatch& ours, std::function<void()> once)
    : state_(state),
      loop_seconds_(ours.Seconds()),
      per_iteration_(
          state.iterations() == 0 ? 0 : loop_seconds_ / static_cast<double>(state.iterations())),
      once_(std::move(once)) {}

namespace {

// Calls `f` `times` times; returns the CPU time taken.
double Timed(const std::function<void()>& f, long times) {
  const double start = CpuStopwatch::Now();
  for (long i = 0; i < times; ++i) f();
  return CpuStopwatch::Now() - start;
}

// How many calls of a function that took `seconds` fill a turn of `turn` seconds (at least one).
// Reading the CPU clock is a system call, too slow to make per call of a function that takes
// microseconds.
long CallsPer(double turn, double seconds) {
  return seconds >= turn ? 1 : static_cast<long>(turn / (seconds > 1e-7 ? seconds : 1e-7));
}

}  // namespace

// The first call of each side warms the caches and sizes the turns: a millisecond, or one call
// of the slower side, so that both sides get about the same time.
double Ratios::InTurns(const std::function<void()>& yardstick) const {
  const double ours_first = Timed(once_, 1), yardstick_first = Timed(yardstick, 1);
  const double turn = std::max({1e-3, ours_first, yardstick_first});
  const long ours_calls = CallsPer(turn, ours_first);
  const long yardstick_calls = CallsPer(turn, yardstick_first);
  double ours = 0, theirs = 0;
  long turns = 0;
  while (turns < 3 || ours + theirs < 2 * Budget()) {
    ours += Timed(once_, ours_calls);
    theirs += Timed(yardstick, yardstick_calls);
    ++turns;
  }
  const double total_turns = static_cast<double>(turns);
  return theirs / (total_turns * static_cast<double>(yardstick_calls)) /
         (ours / (total_turns * static_cast<double>(ours_calls)));
}

void Ratios::Add(const char* name, const std::function<void()>& yardstick) {
  if (per_iteration_ <= 0) return;
  if (once_) {
    state_.counters[name] = benchmark::Counter(InTurns(yardstick));
    return;
  }
  // The first call warms the caches, which our loop has just filled with its own data, and
  // sizes the batches.
  const long batch = CallsPer(1e-3, Timed(yardstick, 1));
  double elapsed = 0;
  long calls = 0;
  while (calls < 3 || elapsed < Budget()) {
    elapsed += Timed(yardstick, batch);
    calls += batch;
  }
  state_.counters[name] = benchmark::Counter(elapsed / static_cast<double>(calls) / per_iteration_);
}

OutBuffer::OutBuffer(std::size_t capacity) : data_(new char[capacity]), capacity_(capacity) {
  std::memset(data_.get(), 0, capacity_);
}

}  // namespace mojiwa_bench
