// The cost of --csv on the bundled self-weight example: the run with the
// tables written (history.csv on every step, profiles.csv at every report,
// steady.csv and summary.json) beside the plain run, both in this process
// with their legacy records formatted and dropped. The counter "ratio" is
// the quotient of their wall times (the issue holds it under 1.10),
// "cpu_ratio" that of the processor time they took, which other work on a
// busy machine disturbs less.

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "driver/dialog.hpp"
#include "driver/simulation.hpp"
#include "results/csv_results.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

RunDefinition self_weight_definition() {
  std::ifstream file(SLURRY1D_EXAMPLES "/self_weight.txt");
  testing::DiscardedOutputs sink;
  RunDefinition def;
  run_dialog(file, sink.out, false, def);
  return def;
}

// Wall and processor seconds since a start.
struct Stopwatch {
  std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
  std::clock_t cpu = std::clock();

  void add_to(double& wall_s, double& cpu_s) const {
    wall_s += std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    cpu_s += static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
  }
};

void BM_CsvSelfWeight(benchmark::State& state) {
  const RunDefinition def = self_weight_definition();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "slurry1d-csv-bench";
  std::filesystem::create_directories(dir);
  double plain = 0.0, with_csv = 0.0, plain_cpu = 0.0, csv_cpu = 0.0;
  for (auto _ : state) {
    testing::DiscardedOutputs sink;
    const Stopwatch plain_run;
    run_definition(def, sink.out, RunControls{}, no_observer());
    plain_run.add_to(plain, plain_cpu);

    const Stopwatch csv_run;
    results::CsvResults csv(dir);
    run_definition(def, sink.out, RunControls{}, csv);
    csv_run.add_to(with_csv, csv_cpu);
  }
  std::filesystem::remove_all(dir);
  const auto n = static_cast<double>(state.iterations());
  state.counters["plain_s"] = plain / n;
  state.counters["csv_s"] = with_csv / n;
  state.counters["ratio"] = with_csv / plain;
  state.counters["cpu_ratio"] = csv_cpu / plain_cpu;
}
BENCHMARK(BM_CsvSelfWeight)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace slurry1d
