#pragma once

#include "driver/run_state.hpp"
#include "events/run_events.hpp"
#include "output/crack_record.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// Console progress of the iteration: " ITERATION NO.= " I3 "   ERROR LEVEL = " G10.5.
void write_iteration_line(RecordWriter& console, int ITER, double error_level);
// The line of every accepted step: time, marching difference, iteration count.
void write_step_line(RecordWriter& console, double time, double DMARCH, int ITER);
// The crack tip node and depth of a desiccation run with a crack.
void write_crack_tip(RecordWriter& console, const SoilColumn& col);

// Average rates of volume loss: since the start of the run (r0) and since the
// start of cracking (r1); 0 when no time has passed.
double rate_since_start(const RunScales& scales, const Clock& clock, const LoopState& loop);
double rate_since_cracking(const RunScales& scales, const Clock& clock, const LoopState& loop);

// The record of a step in which an existing crack deepened, and of an output
// time with a crack.
CrackRecord crack_progress_record(const RunScales& scales, const Clock& clock,
                                  const SoilColumn& col, const LoopState& loop, double rate);
// The record at the end of the run, with or without a crack.
CrackRecord final_crack_record(const RunScales& scales, const Clock& clock, const SoilColumn& col,
                               const LoopState& loop);

// How many output times the time T has reached (OPT(1..n) lie at or before T).
int output_times_reached(const RunDefinition& def, const RunScales& scales, double T);

// The report of the state of the run (write_state_report) and its event.
// output_index: see ReportWritten.
void write_report(Run& run, Outputs& out, RunObserver& observer, ReportKind kind, int output_index);
// A "tc.out" record and its event, which carries the crust of the run's column.
void record_crack(const Run& run, RecordWriter& tc, RunObserver& observer, CrackRecordKind kind,
                  const CrackRecord& record);

// The summary lines of "ts.out" at the end of the run.
void write_summary_lines(RecordWriter& ts, const RunScales& scales,
                         const BoundaryState& boundaries);

}  // namespace slurry1d
