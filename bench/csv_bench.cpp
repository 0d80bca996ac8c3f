// The cost of --csv on the bundled self-weight example: the run with the
// tables written (history.csv on every step, profiles.csv at every report,
// steady.csv and summary.json) beside the plain run, both in this process
// with their legacy records formatted and dropped, one after the other in
// every iteration, the tables into a fresh directory. The counters: "ratio",
// the median over the iterations of the quotient of their wall times (to be
// under 1.10); "cpu_ratio", the same of the processor time
// they took, which other work on a busy machine disturbs less.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "driver/dialog.hpp"
#include "driver/simulation.hpp"
#include "results/csv_results.hpp"
#include "self_weight_timing.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

using bench::median;
using bench::Seconds;
using bench::self_weight_definition;
using bench::timed;

void BM_CsvSelfWeight(benchmark::State& state) {
  const RunDefinition def = self_weight_definition();
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "slurry1d-csv-bench";
  std::vector<double> wall_ratio, cpu_ratio;
  Seconds plain_total, csv_total;
  for (auto _ : state) {
    testing::DiscardedOutputs sink;
    const Seconds plain =
        timed([&] { run_definition(def, sink.out, RunControls{}, no_observer()); });
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    const Seconds with_csv = timed([&] {
      results::CsvResults csv(dir);
      run_definition(def, sink.out, RunControls{}, csv);
    });
    wall_ratio.push_back(with_csv.wall / plain.wall);
    cpu_ratio.push_back(with_csv.cpu / plain.cpu);
    plain_total.wall += plain.wall;
    csv_total.wall += with_csv.wall;
  }
  std::filesystem::remove_all(dir);
  const auto n = static_cast<double>(state.iterations());
  state.counters["plain_s"] = plain_total.wall / n;
  state.counters["csv_s"] = csv_total.wall / n;
  state.counters["ratio"] = median(wall_ratio);
  state.counters["cpu_ratio"] = median(cpu_ratio);
}
BENCHMARK(BM_CsvSelfWeight)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
}  // namespace slurry1d
