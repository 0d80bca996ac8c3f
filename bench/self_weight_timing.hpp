#pragma once

// What the benchmarks that weigh an option against the plain run share: the
// bundled self-weight example read through the dialog, and the wall and
// processor time of a piece of work.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <vector>

#include "driver/dialog.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d::bench {

inline RunDefinition self_weight_definition() {
  std::ifstream file(SLURRY1D_EXAMPLES "/self_weight.txt");
  testing::DiscardedOutputs sink;
  RunDefinition def;
  run_dialog(file, sink.out, false, def);
  return def;
}

// Wall and processor seconds of a piece of work.
struct Seconds {
  double wall = 0.0;
  double cpu = 0.0;
};

template <typename Work>
Seconds timed(Work work) {
  const auto wall = std::chrono::steady_clock::now();
  const std::clock_t cpu = std::clock();
  work();
  return {std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
          static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC};
}

inline double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

}  // namespace slurry1d::bench
