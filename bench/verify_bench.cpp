// The cost of --verify on the bundled self-weight example against the plain
// run: the given run and its four refinements (steps / 2 and / 4, nodes x 2
// and x 4, up to the given run's last output time), in this process and
// without files, beside the plain run made the same way. The counter "ratio"
// is their quotient (to stay under 15).

#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "driver/dialog.hpp"
#include "driver/simulation.hpp"
#include "self_weight_timing.hpp"
#include "support/run_fixture.hpp"
#include "verify/comparison.hpp"
#include "verify/run_record.hpp"
#include "verify/verify_run.hpp"

namespace slurry1d {
namespace {

using bench::self_weight_definition;

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_VerifySelfWeight(benchmark::State& state) {
  const RunDefinition def = self_weight_definition();
  double plain = 0.0, verified = 0.0;
  for (auto _ : state) {
    testing::DiscardedOutputs sink;
    auto start = std::chrono::steady_clock::now();
    run_definition(def, sink.out, RunControls{}, no_observer());
    plain += seconds_since(start);

    start = std::chrono::steady_clock::now();
    verify::RunRecorder given;
    run_definition(def, sink.out, RunControls{}, given);
    const auto refinements =
        verify::run_refinements(given.record(), RunControls{}, sink.out.console);
    benchmark::DoNotOptimize(verify::compare_runs(refinements.runs, RunControls{}));
    verified += seconds_since(start);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["plain_s"] = plain / n;
  state.counters["verify_s"] = verified / n;
  state.counters["ratio"] = verified / plain;
}
BENCHMARK(BM_VerifySelfWeight)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace slurry1d
