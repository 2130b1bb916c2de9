// Corpus access, iconv(3), the CPU stopwatch and the yardstick ratios.
#include "BenchSupport.h"

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

Ratios::Ratios(benchmark::State& state, const CpuStopwatch& ours)
    : state_(state),
      loop_seconds_(ours.Seconds()),
      per_iteration_(
          state.iterations() == 0 ? 0 : loop_seconds_ / static_cast<double>(state.iterations())) {}

void Ratios::Add(const char* name, const std::function<void()>& yardstick) {
  if (per_iteration_ <= 0) return;
  // The first call warms the caches, which our loop has just filled with its own data, and
  // sizes the batches: reading the CPU clock is a system call, too slow to make per call of a
  // yardstick that takes microseconds.
  const double first_start = CpuStopwatch::Now();
  yardstick();
  const double first = CpuStopwatch::Now() - first_start;
  const long batch = first >= 1e-3 ? 1 : static_cast<long>(1e-3 / (first > 1e-7 ? first : 1e-7));
  const double budget = loop_seconds_ < 0.3 ? loop_seconds_ : 0.3;
  const double start = CpuStopwatch::Now();
  double elapsed = 0;
  long calls = 0;
  while (calls < 3 || elapsed < budget) {
    for (long i = 0; i < batch; ++i) yardstick();
    calls += batch;
    elapsed = CpuStopwatch::Now() - start;
  }
  state_.counters[name] = benchmark::Counter(elapsed / static_cast<double>(calls) / per_iteration_);
}

OutBuffer::OutBuffer(std::size_t capacity) : data_(new char[capacity]), capacity_(capacity) {
  std::memset(data_.get(), 0, capacity_);
}

}  // namespace mojiwa_bench
