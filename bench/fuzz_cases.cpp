// Writes answer files for comparing two builds of the program: the mutated
// cases of the randomized answer test (tests/support/answer_fuzz.hpp), seeds
// FIRST..FIRST+COUNT-1, one file per case named after its seed.
// Usage: fuzz_cases DIR COUNT [FIRST]

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "support/answer_fuzz.hpp"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: fuzz_cases DIR COUNT [FIRST]\n";
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  const long count = std::strtol(argv[2], nullptr, 10);
  const long first = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 1;
  std::filesystem::create_directories(dir);
  for (long seed = first; seed < first + count; ++seed) {
    const auto c = slurry1d::testing::mutated_case(static_cast<std::uint64_t>(seed));
    std::ofstream(dir / ("fuzz-" + std::to_string(seed) + ".txt"), std::ios::binary) << c.text;
  }
  return 0;
}
