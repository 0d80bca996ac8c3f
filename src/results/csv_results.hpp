#pragma once

// The results of a run as data (--csv), written beside the legacy files from
// the run's events: history.csv (the start and every accepted step),
// profiles.csv (every node at the start, at every output time and at the
// end), steady.csv (the steady-state profile, when the run has one),
// cracks.csv (the crack records of a desiccation run) and summary.json (the
// answers, the derived constants and how the run ended).
//
//   results::CsvResults csv(output_dir);
//   const int status = run_program(answers, out, controls, output_dir, csv);
//   return csv.final_status(status, out.errors);   // 4 when a file could not be written
//
// The files are allocated their buffers at the set-up; no event of the time
// loop allocates. Every file is flushed at every report, so a run killed
// between reports leaves every completed report on disk. A file that cannot
// be created or written during the run ends it with RunStop
// (StopKind::FileError) naming the file; one that fails at the end turns an
// exit status 0 into 4 (final_status).

#include <chrono>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "events/run_events.hpp"
#include "output/record_writer.hpp"
#include "report/run_facts.hpp"
#include "results/csv_file.hpp"

namespace slurry1d::results {

// The files --csv may write into the output directory.
inline constexpr std::string_view RESULT_FILE_NAMES[] = {
    "history.csv", "profiles.csv", "steady.csv", "cracks.csv", "summary.json"};

inline constexpr std::string_view HISTORY_HEADER =
    "step,time,height,settlement,placed_height,top_outflow,base_outflow,crust_thickness,"
    "crack_depth,nodes,step_length,passes";
inline constexpr std::string_view PROFILES_HEADER =
    "time,event,node,elevation,void_ratio,solid_content,effective_stress,pore_pressure,"
    "excess_pore_pressure,permeability,shrinkage_factor,added_node";
inline constexpr std::string_view STEADY_HEADER =
    "node,elevation,void_ratio,effective_stress,pore_pressure,permeability";
inline constexpr std::string_view CRACKS_HEADER =
    "time,crack_depth,crust_thickness,soil_volume,crack_volume,fluid_volume,soil_height,"
    "side_wall_loss,volume_loss_rate,record";

class CsvResults final : public RunObserver {
 public:
  explicit CsvResults(std::filesystem::path dir);

  void run_set_up(const RunSetUp& e) override;
  void step_accepted(const StepAccepted& e) override;
  void crack_recorded(const CrackRecorded& e) override;
  void report_written(const ReportWritten& e) override;
  void run_ended(const RunEnded& e) override;

  // The answers by name, the derived constants (E0, K0, HTOT, solids_height,
  // starting_height) and, once the run has ended, its end.
  const report::RunFacts& facts() const { return facts_; }
  // The message naming the first file that could not be written; empty
  // when every file was.
  const std::string& failure() const { return failure_; }
  // The program's exit status with the result files counted: a failure
  // not yet reported (at the end of the run) is written to `errors` and turns
  // status 0 into 4.
  int final_status(int status, RecordWriter& errors) const;

 private:
  void open_tables(const RunDefinition& def);
  void open_table(CsvFile& file, const char* name, std::string_view header);
  void write_steady_profile(const RunSetUp& e);
  void write_profile(const ReportWritten& e, std::string_view event);
  void compute_pore_pressures(const ReportWritten& e);
  double placed_height(const SoilColumn& col) const;
  void flush_tables();
  [[noreturn]] void fail(const std::string& message);
  void write_summary(const RunEnded& e);

  std::filesystem::path dir_;
  CsvFile history_, profiles_, cracks_;
  std::vector<double> pressure_;  // pore-water pressure of every node at a report
  report::RunFacts facts_;
  std::string failure_;
  bool failure_reported_ = false;
  bool set_up_ = false;
  bool filling_ = false;
  double HTOT_ = 0.0;
  double start_height_ = 0.0;   // Z(NN) - Z(1) at the start
  double start_nominal_ = 0.0;  // HTOT times the sum of DXI at the start
  int outputs_written_ = 0;     // output times whose profile is in profiles.csv
  std::chrono::steady_clock::time_point started_;
};

}  // namespace slurry1d::results
