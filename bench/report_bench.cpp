// The cost of --report on the bundled self-weight example: the run with what
// --report adds (the tables of --csv written on every step and report, then
// report.html and the charts drawn from them) beside the plain run, both in
// this process with their legacy records formatted and dropped, one after the
// other in every iteration, into a fresh directory. The counters: "ratio",
// the median over the iterations of the quotient of their wall times (the cost
// of --report is to stay under 10 %: a ratio under 1.10);
// "cpu_ratio", the same of the processor time; "report_s", the page and its
// charts alone.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <vector>

#include "driver/dialog.hpp"
#include "driver/simulation.hpp"
#include "report/report.hpp"
#include "results/csv_results.hpp"
#include "self_weight_timing.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

using bench::median;
using bench::Seconds;
using bench::self_weight_definition;
using bench::timed;

void BM_ReportSelfWeight(benchmark::State& state) {
  const RunDefinition def = self_weight_definition();
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "slurry1d-report-bench";
  std::vector<double> wall_ratio, cpu_ratio;
  double plain_total = 0.0, reported_total = 0.0, page_total = 0.0;
  for (auto _ : state) {
    testing::DiscardedOutputs sink;
    const Seconds plain =
        timed([&] { run_definition(def, sink.out, RunControls{}, no_observer()); });
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    Seconds page;
    const Seconds reported = timed([&] {
      results::CsvResults csv(dir);
      run_definition(def, sink.out, RunControls{}, csv);
      page = timed([&] {
        if (!report::write_report(dir, csv.facts()).ok()) state.SkipWithError("no report");
      });
    });
    wall_ratio.push_back(reported.wall / plain.wall);
    cpu_ratio.push_back(reported.cpu / plain.cpu);
    plain_total += plain.wall;
    reported_total += reported.wall;
    page_total += page.wall;
  }
  std::filesystem::remove_all(dir);
  const auto n = static_cast<double>(state.iterations());
  state.counters["plain_s"] = plain_total / n;
  state.counters["with_report_s"] = reported_total / n;
  state.counters["report_s"] = page_total / n;
  state.counters["ratio"] = median(wall_ratio);
  state.counters["cpu_ratio"] = median(cpu_ratio);
}
BENCHMARK(BM_ReportSelfWeight)->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace
}  // namespace slurry1d
