// The cost of one iteration pass (assembly, boundary rows, solve, take-over,
// geometry) per node of the standard 501-node column, beside the cost of two
// std::pow calls per node, the floor the pass cannot go below; and the wall
// time of the bundled self-weight example.

#include <benchmark/benchmark.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "driver/iteration.hpp"
#include "driver/time_loop.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

void BM_IterationPass(benchmark::State& state) {
  testing::DiscardedOutputs sink;
  auto run = testing::set_up_from_answers(testing::self_weight_answers(), sink.out);
  take_step_snapshot(*run);
  take_restart_snapshot(*run);
  run->p.T += run->p.DT;
  for (auto _ : state) {
    benchmark::DoNotOptimize(iteration_pass(*run));
    run->loop.KIT = 1;
  }
  const int nodes = run->col.NN;
  state.SetItemsProcessed(state.iterations() * nodes);
  state.counters["ns_per_node"] =
      benchmark::Counter(static_cast<double>(state.iterations() * nodes),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_IterationPass);

void BM_TwoPowersPerNode(benchmark::State& state) {
  constexpr int nodes = 501;
  double r[nodes];
  for (int i = 0; i < nodes; ++i) r[i] = 0.5 + 0.5 * i / nodes;
  double sink = 0.0;
  for (auto _ : state) {
    for (int i = 0; i < nodes; ++i) {
      sink += std::pow(r[i], 4.0) + std::pow(r[i] * 11.1 / 7.0, -6.0);
    }
    benchmark::DoNotOptimize(sink);
    r[0] += 1e-12;
  }
  state.SetItemsProcessed(state.iterations() * nodes);
  state.counters["ns_per_node"] =
      benchmark::Counter(static_cast<double>(state.iterations() * nodes),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_TwoPowersPerNode);

void BM_SelfWeightExample(benchmark::State& state) {
  std::ifstream file(SLURRY1D_EXAMPLES "/self_weight.txt");
  std::stringstream answers;
  answers << file.rdbuf();
  for (auto _ : state) {
    testing::DiscardedOutputs sink;
    auto run = testing::set_up_from_answers(answers.str(), sink.out);
    march_in_time(*run, sink.out);
  }
}
BENCHMARK(BM_SelfWeightExample)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace slurry1d

BENCHMARK_MAIN();
