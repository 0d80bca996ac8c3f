#pragma once

// What a verification keeps of one run: the run definition its dialog gave,
// the height of the layer at every output time it reached, what its
// settlement is measured from, and how it ended. Filled by RunRecorder from
// the run's events.

#include <memory>
#include <vector>

#include "events/run_events.hpp"
#include "model/run_definition.hpp"
#include "model/run_stop.hpp"

namespace slurry1d::verify {

struct RunRecord {
  bool set_up = false;                       // the set-up built the column
  std::shared_ptr<const RunDefinition> def;  // the answers, once set up
  std::vector<double> time;                  // OPT(1), OPT(2), ... as reached
  std::vector<double> height;                // the layer's height Z(NN) - Z(1) there
  std::vector<double> settlement_base;       // what the settlement is measured from there
  EndReason reason = EndReason::LastOutputTime;
  int exit_status = 0;
  double end_time = 0.0;

  int output_times_reached() const { return static_cast<int>(height.size()); }
  // The settlement at the n-th output time (from 1): the base less the height.
  double settlement(int n) const { return settlement_base[n - 1] - height[n - 1]; }
};

// The nominal height that staged filling has placed by the time t, with the
// initial height H0: every gradual stage at its rate over the part of it
// before t, every instantaneous stage at or before t whole. Nominal heights
// are those of the fresh material at E0, so that the layer's height falls
// short of this by its settlement.
double placed_height(const RunDefinition& def, double t);

// Records a run for verification. The settlement is measured from the
// starting height of the layer, and in staged filling from the nominal
// height placed by the output time (placed_height).
// Everything is allocated at the set-up: the time loop's events only write.
class RunRecorder final : public RunObserver {
 public:
  void run_set_up(const RunSetUp& e) override;
  void report_written(const ReportWritten& e) override;
  void run_ended(const RunEnded& e) override;

  const RunRecord& record() const { return record_; }

 private:
  void record_output_time(const ReportWritten& e);

  RunRecord record_;
  double start_height_ = 0.0;
};

}  // namespace slurry1d::verify
