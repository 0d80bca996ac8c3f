#include "verify/comparison.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "output/fields.hpp"

namespace slurry1d::verify {
namespace {

// A time or length in a note: six significant digits.
std::string number_text(double value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", value);
  return buf;
}

// How many output times, from the first, a run reached with a finite height.
int usable_output_times(const RunRecord& r) {
  int n = 0;
  while (n < r.output_times_reached() && std::isfinite(r.height[static_cast<std::size_t>(n)])) {
    ++n;
  }
  return n;
}

std::string run_name(RunRole role, const RunControls& c) {
  return "the run " + std::string(role == RunRole::Given ? "" : "with ") +
         std::string(role_name(role)) + " (" + controls_text(c.step_factor, c.node_count()) + ")";
}

// Why a run stopped short of the output time after its last usable one.
std::string short_note(RunRole role, const RunControls& c, const RunRecord& r, int usable,
                       const RunDefinition& def) {
  const std::string next = number_text(def.OPT[usable + 1]);
  if (usable < r.output_times_reached()) {
    return run_name(role, c) + " gave a height that is not a number at t = " + next;
  }
  if (!r.set_up) return run_name(role, c) + " ended before its time loop";
  return run_name(role, c) + " " + std::string(end_words(r.reason)) +
         " at t = " + number_text(r.end_time) + ", before the output time t = " + next;
}

VerifyRow compare_at(int n, const std::array<RunRecord, RUN_COUNT>& runs,
                     const RunControls& given) {
  const auto i = static_cast<std::size_t>(n - 1);
  VerifyRow row;
  row.output_index = n;
  row.time = runs[0].time[i];
  std::array<double, RUN_COUNT> settlement{};
  const double base = runs[0].settlement_base[i];
  for (std::size_t k = 0; k < RUN_COUNT; ++k) {
    row.height[k] = runs[k].height[i];
    settlement[k] = base - row.height[k];
  }
  row.settlement = settlement[0];
  row.in_time = estimate_error({settlement[0], settlement[1], settlement[2]});
  row.in_space = estimate_error({settlement[0], settlement[3], settlement[4]});
  row.total_error = row.in_time.error + row.in_space.error;
  row.total_gci = row.in_time.gci + row.in_space.gci;
  row.verdict = judge(row.in_time, row.in_space, row.settlement, given);
  return row;
}

}  // namespace

std::string_view role_name(RunRole role) {
  switch (role) {
    case RunRole::Given:
      return "as given";
    case RunRole::StepsHalved:
      return "steps / 2";
    case RunRole::StepsQuartered:
      return "steps / 4";
    case RunRole::NodesDoubled:
      return "nodes x 2";
    case RunRole::NodesQuadrupled:
      return "nodes x 4";
  }
  return "";
}

RunControls controls_of(RunRole role, const RunControls& given) {
  RunControls c = given;
  switch (role) {
    case RunRole::Given:
      break;
    case RunRole::StepsHalved:
      c.step_factor = 2.0 * given.step_factor;
      break;
    case RunRole::StepsQuartered:
      c.step_factor = 4.0 * given.step_factor;
      break;
    case RunRole::NodesDoubled:  // 2 (N - 1) + 1 = 10 (2 NNI - 1) - 9 nodes
      c.NNI = 2 * given.NNI - 1;
      break;
    case RunRole::NodesQuadrupled:  // 4 (N - 1) + 1 = 10 (4 NNI - 3) - 9 nodes
      c.NNI = 4 * given.NNI - 3;
      break;
  }
  return c;
}

std::string verify_refusal(const RunControls& given) {
  if (4.0 * given.step_factor > MAX_STEP_FACTOR) {
    return "--verify runs the case with --step-factor 4F, at most " + number_text(MAX_STEP_FACTOR) +
           ": with --verify the step factor is at most " + number_text(MAX_STEP_FACTOR / 4.0);
  }
  const RunControls finest = controls_of(RunRole::NodesQuadrupled, given);
  if (finest.node_count() > MAX_NODE_COUNT) {
    const int most = 10 * (((MAX_NODE_COUNT + 9) / 10 + 3) / 4) - 9;
    return "--verify runs the case with 4 (N - 1) + 1 nodes, at most " +
           std::to_string(MAX_NODE_COUNT) + ": with --verify the column has at most " +
           std::to_string(most) + " nodes";
  }
  return {};
}

std::string controls_text(double step_factor, int nodes) {
  return "--step-factor " + format_free_real(step_factor) + " --nodes " + std::to_string(nodes);
}

std::string_view end_words(EndReason reason) {
  switch (reason) {
    case EndReason::LastOutputTime:
      return "reached its last output time";
    case EndReason::SteadyStateHeight:
      return "reached the steady-state height";
    case EndReason::MinimumVoidRatio:
      return "reached the minimum void ratio";
    case EndReason::QuietSteps:
      return "stopped after four quiet steps";
    case EndReason::Unstable:
      return "stopped unstable";
    case EndReason::BaseInstability:
      return "lost the effective stress at the base";
    case EndReason::TooManyNodes:
      return "needed more nodes than the column holds";
    case EndReason::RefusedRun:
      return "was refused";
    case EndReason::RefusedInput:
      return "was refused its answers";
    case EndReason::Interrupted:
      return "was interrupted";
    case EndReason::NumericalFailure:
      return "failed numerically";
    case EndReason::FileError:
      return "could not write a file";
  }
  return "ended";
}

double VerifyRow::gci_percent() const {
  if (settlement == 0.0) {
    return total_gci == 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return 100.0 * total_gci / std::fabs(settlement);
}

VerifyTable compare_runs(const std::array<RunRecord, RUN_COUNT>& runs, const RunControls& given) {
  VerifyTable t;
  for (std::size_t k = 0; k < RUN_COUNT; ++k) t.controls[k] = controls_of(ALL_ROLES[k], given);
  t.suggested = {given.step_factor, given.node_count()};
  const RunRecord& as_given = runs[0];
  if (!as_given.def) return t;
  const RunDefinition& def = *as_given.def;

  const int given_usable = usable_output_times(as_given);
  if (given_usable < def.NO) {
    t.notes.push_back(short_note(RunRole::Given, given, as_given, given_usable, def) +
                      "; later output times are not compared");
  }
  int shared = given_usable;
  for (std::size_t k = 1; k < RUN_COUNT; ++k) {
    const int usable = usable_output_times(runs[k]);
    if (usable >= given_usable) continue;
    t.notes.push_back(short_note(ALL_ROLES[k], t.controls[k], runs[k], usable, def));
    shared = std::min(shared, usable);
  }
  if (shared < given_usable) {
    t.notes.push_back(
        shared > 0 ? "the runs ended differently: they are compared up to t = " +
                         number_text(def.OPT[shared]) + ", the last output time they all reached"
                   : std::string("the runs ended differently: no output time that they all "
                                 "reached is left to compare"));
  }
  if (shared == 0 && given_usable == 0) {
    t.notes.push_back("the run as given reached no output time: nothing to compare");
  }

  for (int n = 1; n <= shared; ++n) {
    const VerifyRow row = compare_at(n, runs, given);
    t.suggested.step_factor = std::max(t.suggested.step_factor, row.verdict.suggested.step_factor);
    t.suggested.nodes = std::max(t.suggested.nodes, row.verdict.suggested.nodes);
    t.beyond_limits = t.beyond_limits || row.verdict.beyond_limits;
    t.rows.push_back(row);
  }
  t.all_within = !t.rows.empty() && std::all_of(t.rows.begin(), t.rows.end(),
                                                [](const auto& r) { return r.verdict.within; });
  return t;
}

}  // namespace slurry1d::verify
