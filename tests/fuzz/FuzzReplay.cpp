// main() of a fuzz target built without libFuzzer, for the test build: runs
// the target's LLVMFuzzerTestOneInput once over each file given, or over each
// file of each folder given (names starting with "." left out), in name
// order. The sanitizers stop the program at the first fault as they do under
// libFuzzer; an input that takes longer than --seconds-per-input fails as a
// hang would.
//
//   fuzz_xxx_replay [--seconds-per-input N] FILE-OR-FOLDER...
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Defined by the targets that set something up once.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  double limit = 0;  // seconds; 0: none
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--seconds-per-input" && i + 1 < argc) {
      limit = std::atof(argv[++i]);
    } else if (fs::is_directory(argument)) {
      std::vector<fs::path> files;
      for (const fs::directory_entry& entry : fs::directory_iterator(argument))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.')
          files.push_back(entry.path());
      std::sort(files.begin(), files.end());
      inputs.insert(inputs.end(), files.begin(), files.end());
    } else if (fs::is_regular_file(argument)) {
      inputs.push_back(argument);
    } else {
      std::fprintf(stderr, "no such file or folder: %s\n", argument.c_str());
      return 2;
    }
  }
  if (LLVMFuzzerInitialize != nullptr) LLVMFuzzerInitialize(&argc, &argv);

  for (const fs::path& input : inputs) {
    std::ifstream file(input, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)),
                            std::istreambuf_iterator<char>());
    if (!file.eof() && file.fail()) {
      std::fprintf(stderr, "cannot read %s\n", input.c_str());
      return 2;
    }
    std::fprintf(stderr, "%s (%zu bytes)\n", input.c_str(), bytes.size());
    const auto start = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    if (limit > 0 && took.count() > limit) {
      std::fprintf(stderr, "%s took %.1f s, more than %.1f s\n", input.c_str(), took.count(),
                   limit);
      return 1;
    }
  }
  std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
  return 0;
}
