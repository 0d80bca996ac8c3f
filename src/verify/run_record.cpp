#include "verify/run_record.hpp"

#include <algorithm>

namespace slurry1d::verify {
namespace {

double column_height(const SoilColumn& col) {
  return col.NN >= 1 ? col.Z[col.NN] - col.Z[1] : 0.0;
}

}  // namespace

double placed_height(const RunDefinition& def, double t) {
  double placed = def.H0;
  for (int i = 1; i <= def.NS; ++i) {
    const FillingStage& s = def.stage[i];
    if (s.TEF > s.TBF) {
      placed += s.FRH * (std::clamp(t, s.TBF, s.TEF) - s.TBF);
    } else if (t >= s.TBF) {
      placed += s.FRH;
    }
  }
  return placed;
}

namespace {}  // namespace

void RunRecorder::run_set_up(const RunSetUp& e) {
  record_.set_up = true;
  record_.def = std::make_shared<const RunDefinition>(e.def);
  const auto capacity = static_cast<std::size_t>(e.def.NO > 0 ? e.def.NO : 0);
  record_.time.reserve(capacity);
  record_.height.reserve(capacity);
  record_.settlement_base.reserve(capacity);
  start_height_ = column_height(e.column);
}

// The report of an output time before the last, and the end's report where
// the run ended on an output time it had not reported (the last, or one on
// which the top reached its steady height).
void RunRecorder::report_written(const ReportWritten& e) {
  const int next = record_.output_times_reached() + 1;
  const bool output_time =
      e.kind == ReportKind::OutputTime || (e.kind == ReportKind::End && e.output_index == next);
  if (output_time && e.output_index == next && next <= e.def.NO) record_output_time(e);
}

void RunRecorder::record_output_time(const ReportWritten& e) {
  record_.time.push_back(e.def.OPT[e.output_index]);
  record_.height.push_back(column_height(e.column));
  const double t = e.def.OPT[e.output_index];
  record_.settlement_base.push_back(e.def.IFIL == 1 ? placed_height(e.def, t) : start_height_);
}

void RunRecorder::run_ended(const RunEnded& e) {
  record_.reason = e.reason;
  record_.exit_status = e.exit_status;
  record_.end_time = e.time;
}

}  // namespace slurry1d::verify
