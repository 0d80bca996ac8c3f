#include "driver/loop_records.hpp"

namespace slurry1d {

void write_iteration_line(RecordWriter& console, int ITER, double error_level) {
  Line line;
  line.text(" ITERATION NO.= ").I(3, ITER).text("   ERROR LEVEL = ").G(10, 5, error_level);
  console.write(line);
}

void write_step_line(RecordWriter& console, double time, double DMARCH, int ITER) {
  Line line;
  line.text(" TIME = ").G(11, 5, time).text(" MARCHING DIFFERENCE= ").G(10, 5, DMARCH);
  line.text(" ITERATION NO = ").I(3, ITER);
  console.write(line);
}

void write_crack_tip(RecordWriter& console, const SoilColumn& col) {
  console.free("THE CRACK TIP IS AT NODE ", col.NN1);
  console.free("THE CRACK DEPTH IS ", col.Z[col.NN] - col.Z[col.NN1]);
}

double rate_since_start(const RunScales& scales, const Clock& clock, const LoopState& loop) {
  if (clock.T() == scales.T0N) return 0.0;
  return (scales.H0IN - loop.VSOIL) / (clock.T() - scales.T0N) * scales.K0 / scales.HTOT;
}

double rate_since_cracking(const RunScales& scales, const Clock& clock, const LoopState& loop) {
  if (clock.T() == clock.TMARK()) return 0.0;
  return (loop.HCRK - loop.VSOIL) / (clock.T() - clock.TMARK()) * scales.K0 / scales.HTOT;
}

CrackRecord crack_progress_record(const RunScales& scales, const Clock& clock,
                                  const SoilColumn& col, const LoopState& loop, double rate) {
  CrackRecord r;
  r.time = scales.dimensional_time(clock.T());
  r.depth = col.Z[col.NN] - col.Z[col.NN1];
  r.height = col.Z[col.NN];
  r.VSOIL = loop.VSOIL;
  r.VCRACK = loop.VCRACK;
  r.sixth = scales.H0IN - loop.VSOIL;
  r.seventh = scales.H0IN - loop.VSOIL - loop.VEVAP;
  r.rate = rate;
  return r;
}

// A run that never cracked has no crack depth and no time of cracking: its
// record shows depth 0 and the rate since the start of the run.
CrackRecord final_crack_record(const RunScales& scales, const Clock& clock, const SoilColumn& col,
                               const LoopState& loop) {
  CrackRecord r;
  r.time = scales.dimensional_time(clock.T());
  r.depth = col.NN1 <= col.NN ? col.Z[col.NN] - col.Z[col.NN1] : 0.0;
  r.height = col.Z[col.NN];
  r.VSOIL = loop.VSOIL;
  r.VCRACK = loop.VCRACK;
  r.sixth = loop.VEVAP;
  r.seventh = scales.H0IN - loop.VSOIL - loop.VEVAP;
  r.rate = loop.KF4 == 1 ? rate_since_cracking(scales, clock, loop)
                         : rate_since_start(scales, clock, loop);
  return r;
}

int output_times_reached(const RunDefinition& def, const RunScales& scales, double T) {
  int n = 0;
  while (n < def.NO && scales.OPTN[n + 1] <= T) ++n;
  return n;
}

void write_report(Run& run, Outputs& out, RunObserver& observer, ReportKind kind,
                  int output_index) {
  const LoopState& loop = run.loop;
  const ReportContext ctx{run.clock.T(), loop.added, loop.ISTEADY, loop.QTOP, loop.QBOT};
  write_state_report(run.def, run.soil, run.scales, run.col, ctx, run.report_work, out);
  observer.report_written(ReportWritten{kind, output_index, run.report_work, run.col, run.soil,
                                        run.def, loop.ISTEADY == 1, loop.added});
}

void record_crack(const Run& run, RecordWriter& tc, RunObserver& observer, CrackRecordKind kind,
                  const CrackRecord& record) {
  write_crack_record(tc, record);
  observer.crack_recorded(CrackRecorded{kind, record, crust_thickness(run.soil, run.col)});
}

void write_summary_lines(RecordWriter& ts, const RunScales& scales,
                         const BoundaryState& boundaries) {
  ts.free("THE TOTAL HEIGHT OF SOIL SOLID IS ", scales.HTOT / (scales.E0 + 1.0));
  if (boundaries.TTOPSW != 0.0) {
    ts.free(" THE DESSICATION PROCESS START AT : ", scales.dimensional_time(boundaries.TTOPSW));
  }
  if (boundaries.TBOTSW != 0.0) {
    ts.free(" TIME WHEN THE SELF-WEIGHT CONSOLIDATION ENDS AT",
            " BOTTOM : ", scales.dimensional_time(boundaries.TBOTSW));
  }
}

}  // namespace slurry1d
