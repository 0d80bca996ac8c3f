#pragma once

#include "driver/run_state.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// Console progress of the iteration: " ITERATION NO.= " I3 "   ERROR LEVEL = " G10.5.
void write_iteration_line(RecordWriter& console, int ITER, double error_level);
// The line of every accepted step: time, marching difference, iteration count.
void write_step_line(RecordWriter& console, double time, double DMARCH, int ITER);
// The crack tip node and depth of a desiccation run with a crack.
void write_crack_tip(RecordWriter& console, const SoilColumn& col);

// One "tc.out" record: time, crack depth, soil height, soil volume, crack
// volume, the sixth and seventh values and the rate.
struct CrackRecord {
  double time = 0.0;
  double depth = 0.0;
  double height = 0.0;
  double VSOIL = 0.0;
  double VCRACK = 0.0;
  double sixth = 0.0;
  double seventh = 0.0;
  double rate = 0.0;
};
void write_crack_record(RecordWriter& tc, const CrackRecord& r);

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

// The summary lines of "ts.out" at the end of the run.
void write_summary_lines(RecordWriter& ts, const RunScales& scales,
                         const BoundaryState& boundaries);

}  // namespace slurry1d
