#pragma once

// The comparison of a run with its refinements: the given run, its steps
// halved and quartered (--step-factor 2F and 4F) on its own nodes, and its
// node spacing halved and quartered (2 (N - 1) + 1 and 4 (N - 1) + 1 nodes)
// on its own steps. At every output time that all five runs reached, the
// error of the given run's settlement is estimated in time and in space
// (error_estimate.hpp) and judged against 1 % of the settlement.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "model/run_controls.hpp"
#include "verify/error_estimate.hpp"
#include "verify/run_record.hpp"

namespace slurry1d::verify {

// The five runs of a verification, in the order they run.
enum class RunRole { Given, StepsHalved, StepsQuartered, NodesDoubled, NodesQuadrupled };
inline constexpr int RUN_COUNT = 5;
inline constexpr std::array<RunRole, RUN_COUNT> ALL_ROLES = {
    RunRole::Given, RunRole::StepsHalved, RunRole::StepsQuartered, RunRole::NodesDoubled,
    RunRole::NodesQuadrupled};

// "as given", "steps / 2", "steps / 4", "nodes x 2", "nodes x 4".
std::string_view role_name(RunRole role);
// The controls of a run of the verification of a run with `given`.
RunControls controls_of(RunRole role, const RunControls& given);
// The message that refuses to verify a run with `given` (a refinement
// beyond the limits of the controls), or "" when it can be verified.
std::string verify_refusal(const RunControls& given);
// "--step-factor 2 --nodes 1001".
std::string controls_text(double step_factor, int nodes);
// How a run ended, in words: "reached the steady-state height", ...
std::string_view end_words(EndReason reason);

// The verification at one output time.
struct VerifyRow {
  int output_index = 0;                    // n: OPT(n)
  double time = 0.0;                       // OPT(n)
  std::array<double, RUN_COUNT> height{};  // the layer's height in each run, by RunRole
  double settlement = 0.0;                 // the given run's settlement
  ErrorEstimate in_time;                   // of the given run's settlement
  ErrorEstimate in_space;
  double total_error = 0.0;  // in_time.error + in_space.error: the estimated error of the
                             // given run's settlement, in the units of lengths
  double total_gci = 0.0;    // in_time.gci + in_space.gci
  Verdict verdict;

  // The total GCI as a percentage of the settlement (infinite for none).
  double gci_percent() const;
};

struct VerifyTable {
  std::array<RunControls, RUN_COUNT> controls{};  // by RunRole
  std::vector<VerifyRow> rows;                    // every output time all runs reached
  std::vector<std::string> notes;  // output times not reached, runs that ended differently
  bool all_within = false;         // every row is within 1 % (and there is one)
  Refinement suggested;            // the finest controls any row's verdict asks for
  bool beyond_limits = false;      // some row's verdict is beyond the limits
};

// Compares the records of the five runs (by RunRole), the given run's
// controls being `given`. The settlement of every run is measured from the
// given run's base, so that differences of settlement are differences of
// height.
VerifyTable compare_runs(const std::array<RunRecord, RUN_COUNT>& runs, const RunControls& given);

}  // namespace slurry1d::verify
