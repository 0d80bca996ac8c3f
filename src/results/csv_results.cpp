#include "results/csv_results.hpp"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <span>
#include <utility>

#include "model/run_stop.hpp"
#include "output/state_report.hpp"
#include "results/run_facts_of.hpp"
#include "results/summary_json.hpp"

namespace slurry1d::results {
namespace {

// Effective stress of the compression curve e = A1 (s' + Z1)^B1 at the void
// ratio e.
double effective_stress(const Soil& soil, double e) {
  return std::pow(e / soil.A1, 1.0 / soil.B1) - soil.Z1;
}

// Saturated weight of an element of span dz at the void ratio e.
double saturated_weight(const Soil& soil, double dz, double e) {
  return dz * (e + soil.GS) * soil.GW / (e + 1.0);
}

// Sum of the nominal element lengths DXI of the column (scaled by HTOT).
double nominal_sum(const SoilColumn& col) {
  double sum = 0.0;
  for (int k = 1; k <= col.NN - 1; ++k) sum += col.DXI[k];
  return sum;
}

double column_height(const SoilColumn& col) {
  return col.NN >= 1 ? col.Z[col.NN] - col.Z[1] : 0.0;
}

// Whether node i is one the last refinement of the ends added (the report
// leaves these out of its table).
bool is_added_node(const NodeAddition& added, int NN, int i) {
  if (added.KBOTADD == 1 && i >= 2 && i <= added.NBOTADD + 1) return true;
  return added.KTOPADD == 1 && i >= NN - added.NTOPADD && i <= NN - 1;
}

int nodes_before_refinement(const NodeAddition& added, int NN) {
  int M = NN;
  if (added.KBOTADD == 1) M -= added.NBOTADD;
  if (added.KTOPADD == 1) M -= added.NTOPADD;
  return M;
}

// The 3-D shrinkage factor of node i as the report gives it: 1 below the
// crack tip of the last step and in runs without desiccation.
double shrinkage_factor(const ReportWritten& e, int i) {
  const SoilColumn& col = e.column;
  if (e.def.IDES == 2 || i < col.NN2) return 1.0;
  return std::min(1.0, e.soil.shrinkage_ratio(col.EN[i], col.ECR[i]));
}

const char* crack_record_name(CrackRecordKind kind) {
  switch (kind) {
    case CrackRecordKind::Deepened:
      return "deepened";
    case CrackRecordKind::OutputTime:
      return "output";
    case CrackRecordKind::End:
      return "end";
  }
  return "";
}

}  // namespace

CsvResults::CsvResults(std::filesystem::path dir) : dir_(std::move(dir)) {}

// ---------------------------------------------------------------------------
// Set-up

void CsvResults::run_set_up(const RunSetUp& e) {
  set_up_ = true;
  started_ = std::chrono::steady_clock::now();
  facts_ = run_facts_of(e.def, e.scales);
  facts_.derived.push_back({"starting_height", {column_height(e.column)}, false});
  filling_ = e.def.IFIL == 1;
  HTOT_ = e.scales.HTOT;
  start_height_ = column_height(e.column);
  start_nominal_ = HTOT_ * nominal_sum(e.column);
  pressure_.assign(MAXNODE + 1, 0.0);
  open_tables(e.def);
  if (e.steady_state_known) write_steady_profile(e);
}

void CsvResults::open_tables(const RunDefinition& def) {
  open_table(history_, "history.csv", HISTORY_HEADER);
  open_table(profiles_, "profiles.csv", PROFILES_HEADER);
  if (def.IDES == 1) open_table(cracks_, "cracks.csv", CRACKS_HEADER);
}

// A table that cannot be created ends the run; the stop carries the message.
void CsvResults::open_table(CsvFile& file, const char* name, std::string_view header) {
  try {
    file.open(dir_ / name, header);
  } catch (const RunStop& stop) {
    failure_ = stop.what();
    failure_reported_ = true;
    throw;
  }
}

// The steady state over the nodes of the column it was solved on, before the
// ends were refined. The pore pressure is the total stress (the surcharge,
// the water above the top and the saturated weight of the soil above) less
// the effective stress of the compression curve.
void CsvResults::write_steady_profile(const RunSetUp& e) {
  const SoilColumn& col = e.column;
  const Soil& soil = e.soil;
  const int M = nodes_before_refinement(e.added, col.NN);
  const double WT = std::max(col.ZSS[M], e.scales.HT);
  double total = e.def.bc.LT + (WT - col.ZSS[M]) * soil.GW;
  for (int i = M; i >= 1; --i) {
    if (i < M) {
      total +=
          saturated_weight(soil, col.ZSS[i + 1] - col.ZSS[i], (col.ESS[i] + col.ESS[i + 1]) / 2.0);
    }
    pressure_[static_cast<std::size_t>(i)] = total - effective_stress(soil, col.ESS[i]);
  }
  CsvFile steady;
  open_table(steady, "steady.csv", STEADY_HEADER);
  for (int i = 1; i <= M; ++i) {
    const double es = col.ESS[i];
    steady.integer(i).real(col.ZSS[i]).real(es).real(effective_stress(soil, es));
    steady.real(pressure_[static_cast<std::size_t>(i)]).real(soil.permeability(es)).end_row();
  }
  if (!steady.close()) fail(cannot_write(steady.path()));
}

// ---------------------------------------------------------------------------
// The run

// With staged filling the placed height grows by the nominal height the fill
// adds (the nominal lengths of the column's elements); otherwise it is the
// starting height. The settlement is the placed height less the height.
double CsvResults::placed_height(const SoilColumn& col) const {
  if (!filling_) return start_height_;
  return start_height_ + (HTOT_ * nominal_sum(col) - start_nominal_);
}

void CsvResults::step_accepted(const StepAccepted& e) {
  if (!history_.is_open()) return;
  const double placed = placed_height(e.column);
  history_.integer(e.step).real(e.time).real(e.height).real(placed - e.height).real(placed);
  history_.real(e.QTOP).real(e.QBOT).real(e.crust).real(e.crack_depth);
  history_.integer(e.column.NN).real(e.step_length).integer(e.passes).end_row();
}

void CsvResults::crack_recorded(const CrackRecorded& e) {
  if (!cracks_.is_open()) return;
  const CrackRecord& r = e.record;
  cracks_.real(r.time).real(r.depth).real(e.crust).real(r.VSOIL).real(r.VCRACK).real(r.sixth);
  cracks_.real(r.height).real(r.seventh).real(r.rate).word(crack_record_name(e.kind)).end_row();
}

void CsvResults::report_written(const ReportWritten& e) {
  if (!profiles_.is_open()) return;
  compute_pore_pressures(e);
  switch (e.kind) {
    case ReportKind::Start: {
      const double height = column_height(e.column);
      history_.integer(0).real(e.report.figures.time).real(height);
      history_.real(placed_height(e.column) - height).real(placed_height(e.column));
      history_.real(e.report.figures.QTOP).real(e.report.figures.QBOT);
      history_.real(e.report.figures.CRUST).real(0.0).integer(e.column.NN).real(0.0).integer(0);
      history_.end_row();
      write_profile(e, "start");
      break;
    }
    case ReportKind::OutputTime:
      write_profile(e, "output");
      outputs_written_ = e.output_index;
      break;
    case ReportKind::End:
      // An end on an output time not yet reported shows that output time too.
      if (e.output_index > outputs_written_) {
        write_profile(e, "output");
        outputs_written_ = e.output_index;
      }
      write_profile(e, "end");
      break;
  }
  flush_tables();
}

// The report's pressures in runs without desiccation (the flow law of the
// uncracked soil integrated from the top). A desiccating column has no flow
// law through its cracks: its pore pressure is the total stress less the
// effective stress of the compression curve, negative (a suction) where the
// soil has dried.
void CsvResults::compute_pore_pressures(const ReportWritten& e) {
  const SoilColumn& col = e.column;
  const Soil& soil = e.soil;
  const int NN = col.NN;
  if (NN < 1) return;
  const double WT = e.report.figures.WT;
  if (e.def.IDES == 2) {
    compute_water_pressures(soil, col, WT,
                            std::span<double>(pressure_).subspan(1, static_cast<std::size_t>(NN)));
    return;
  }
  double total = e.def.bc.LT + (WT - col.Z[NN]) * soil.GW;
  for (int i = NN; i >= 1; --i) {
    if (i < NN) {
      const double ebar = (soil.E0 * col.EN[i] + soil.E0 * col.EN[i + 1]) / 2.0;
      total += saturated_weight(soil, col.Z[i + 1] - col.Z[i], ebar);
    }
    pressure_[static_cast<std::size_t>(i)] = total - effective_stress(soil, col.EN[i] * soil.E0);
  }
}

void CsvResults::write_profile(const ReportWritten& e, std::string_view event) {
  const SoilColumn& col = e.column;
  const Soil& soil = e.soil;
  const double time = e.report.figures.time;
  const double WT = e.report.figures.WT;
  for (int i = 1; i <= col.NN; ++i) {
    const double er = col.EN[i] * soil.E0;
    const double u = pressure_[static_cast<std::size_t>(i)];
    profiles_.real(time).word(event).integer(i).real(col.Z[i]).real(er);
    profiles_.real(soil.GS / (er + soil.GS)).real(effective_stress(soil, er));
    profiles_.real(u).real(u - (WT - col.Z[i]) * soil.GW).real(soil.permeability(er));
    profiles_.real(shrinkage_factor(e, i)).integer(is_added_node(e.added, col.NN, i) ? 1 : 0);
    profiles_.end_row();
  }
}

void CsvResults::flush_tables() {
  for (CsvFile* f : {&history_, &profiles_, &cracks_}) {
    if (f->is_open() && !f->flush()) fail(cannot_write(f->path()));
  }
}

void CsvResults::fail(const std::string& message) {
  failure_ = message;
  failure_reported_ = true;
  throw RunStop(StopKind::FileError, {message});
}

// ---------------------------------------------------------------------------
// The end

void CsvResults::run_ended(const RunEnded& e) {
  if (!set_up_) {
    // Stopped before the set-up was done: the tables hold their headers only.
    facts_ = run_facts_of(e.def, e.scales);
    try {
      open_tables(e.def);
    } catch (const RunStop&) {
      failure_reported_ = false;
    }
  }
  for (CsvFile* f : {&history_, &profiles_, &cracks_}) {
    if (!f->close() && failure_.empty()) failure_ = cannot_write(f->path());
  }
  facts_.end = run_end_of(e);
  if (!failure_.empty() && !failure_reported_) {
    facts_.end.reason = std::string(end_reason_name(EndReason::FileError));
    facts_.end.message = failure_;
    if (facts_.end.exit_status == 0) facts_.end.exit_status = 4;
  }
  write_summary(e);
}

void CsvResults::write_summary(const RunEnded& e) {
  SummaryFigures figures;
  if (e.column.NN >= 1) figures.final_height = e.height;
  if (set_up_) {
    figures.settlement = placed_height(e.column) - e.height;
    figures.run_time_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  }
  const std::filesystem::path path = dir_ / "summary.json";
  std::ofstream out(path, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!out) {
    if (failure_.empty()) failure_ = cannot_create(path);
    return;
  }
  out << summary_json(facts_, figures);
  out.close();
  if (out.fail() && failure_.empty()) failure_ = cannot_write(path);
}

int CsvResults::final_status(int status, RecordWriter& errors) const {
  if (failure_.empty() || failure_reported_) return status;
  errors.write_text("slurry1d: " + failure_);
  return status == 0 ? 4 : status;
}

}  // namespace slurry1d::results
