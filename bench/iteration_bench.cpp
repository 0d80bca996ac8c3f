// The cost of one iteration pass (assembly, boundary rows, solve, take-over,
// geometry) per node of the standard 501-node column, beside the cost of two
// std::pow calls per node, the floor the pass cannot go below; and the wall
// time of the bundled self-weight example.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "driver/iteration.hpp"
#include "driver/time_loop.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

// A column in the middle of its consolidation: the self-weight example marched
// to 1000 days, where the void ratios range from the base's to E0's, so that
// the powers see the inputs of a real run.
std::unique_ptr<Run> consolidating_column(testing::DiscardedOutputs& sink) {
  auto run = testing::set_up_from_answers(testing::self_weight_answers(1000.0), sink.out);
  march_in_time(*run, sink.out);
  run->solver.begin_step(run->col, false);
  run->solver.take_restart_snapshot(run->col);
  run->clock.advance();
  return run;
}

void report_per_node(benchmark::State& state, int nodes) {
  state.SetItemsProcessed(state.iterations() * nodes);
  state.counters["ns_per_node"] =
      benchmark::Counter(static_cast<double>(state.iterations() * nodes),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_IterationPass(benchmark::State& state) {
  testing::DiscardedOutputs sink;
  auto run = consolidating_column(sink);
  for (auto _ : state) {
    benchmark::DoNotOptimize(iteration_pass(*run));
    run->loop.KIT = 1;
  }
  report_per_node(state, run->col.NN);
}
BENCHMARK(BM_IterationPass);

// The floor: the two powers every node needs, the permeability ratio r^D and
// the slope of the compression curve, on the same column's mid-element void
// ratios.
void BM_TwoPowersPerNode(benchmark::State& state) {
  testing::DiscardedOutputs sink;
  auto run = consolidating_column(sink);
  const Soil& p = run->soil;
  const SoilColumn& col = run->col;
  const int nodes = col.NN;
  NodalArray r{};
  for (int i = 1; i < nodes; ++i) r[i] = (col.EN[i] + col.EN[i + 1]) / 2.0;
  r[nodes] = col.EN[nodes];
  const double exponent = 1.0 / p.B1 - 1.0;
  for (auto _ : state) {
    double sum = 0.0;
    for (int i = 1; i <= nodes; ++i) {
      sum += std::pow(r[i], p.D) + std::pow((r[i] * p.E0) / p.A1, exponent);
    }
    benchmark::DoNotOptimize(sum);
    benchmark::ClobberMemory();
  }
  report_per_node(state, nodes);
}
BENCHMARK(BM_TwoPowersPerNode);

// The two costs side by side, taken in alternation so that both see the same
// state of a shared machine; the counter "ratio" is the pass over the floor.
double two_powers(const NodalArray& r, int nodes, double D, double base_scale, double exponent) {
  double sum = 0.0;
  for (int i = 1; i <= nodes; ++i) sum += std::pow(r[i], D) + std::pow(r[i] * base_scale, exponent);
  return sum;
}

void BM_PassOverTwoPowers(benchmark::State& state) {
  testing::DiscardedOutputs sink;
  auto run = consolidating_column(sink);
  const Soil& p = run->soil;
  const int nodes = run->col.NN;
  NodalArray r{};
  for (int i = 1; i < nodes; ++i) r[i] = (run->col.EN[i] + run->col.EN[i + 1]) / 2.0;
  r[nodes] = run->col.EN[nodes];
  using WallClock = std::chrono::steady_clock;
  double pass_ns = 0.0;
  double floor_ns = 0.0;
  for (auto _ : state) {
    const auto a = WallClock::now();
    benchmark::DoNotOptimize(iteration_pass(*run));
    run->loop.KIT = 1;
    const auto b = WallClock::now();
    benchmark::DoNotOptimize(two_powers(r, nodes, p.D, p.E0 / p.A1, 1.0 / p.B1 - 1.0));
    const auto c = WallClock::now();
    pass_ns += std::chrono::duration<double, std::nano>(b - a).count();
    floor_ns += std::chrono::duration<double, std::nano>(c - b).count();
  }
  const double per_node = static_cast<double>(state.iterations()) * nodes;
  state.counters["pass_ns_per_node"] = pass_ns / per_node;
  state.counters["two_pow_ns_per_node"] = floor_ns / per_node;
  state.counters["ratio"] = pass_ns / floor_ns;
}
BENCHMARK(BM_PassOverTwoPowers);

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
