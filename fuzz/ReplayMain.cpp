// A main for builds without libFuzzer: runs the target once on every file named on the command
// line and on every file of a named folder, in name order, so that the seed corpus and the crash
// reproducers run as ordinary tests. A broken rule aborts.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> files;
  for (int i = 1; i < argc; ++i) {
    const auto first = files.size();
    if (!fs::is_directory(argv[i])) files.emplace_back(argv[i]);
    if (fs::is_directory(argv[i])) files.insert(files.end(), fs::directory_iterator(argv[i]), {});
    std::sort(files.begin() + static_cast<long>(first), files.end());
  }
  for (const fs::path& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::fprintf(stderr, "%s\n", file.c_str());
    if (!in) return 2;
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return files.empty() ? 2 : 0;
}
