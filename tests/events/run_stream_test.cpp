// The events of whole runs, as an observer sees them: every example and every
// golden case is run through the program's own entry (run_program) in a
// scratch directory, and its stream of events is held against what the run
// wrote: one step event per step line of the console (and one for a step that
// ends the run before its line), one report event per "TIME =" block of
// "vd.out", one crack event per "tc.out" record, and exactly one end with the
// reason, status and time the files show.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "driver/simulation.hpp"
#include "events/run_events.hpp"
#include "output/fields.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d::testing {
namespace {

namespace fs = std::filesystem;

// What an observer saw, in order: one letter per event (S set-up, a accepted
// step, c crack record, R report, E end) and the events' values.
struct Recorder : RunObserver {
  std::string order;
  std::vector<double> step_times;
  std::vector<double> report_times;
  std::vector<ReportKind> report_kinds;
  std::vector<long> step_numbers;
  std::vector<double> heights;
  double last_QTOP = 0.0, last_QBOT = 0.0, last_crust = 0.0;
  double deepest_crack = 0.0;
  double end_report_QTOP = 0.0, end_report_QBOT = 0.0, end_report_crust = 0.0;
  bool height_is_top_over_base = true;
  bool crack_fields_agree = true;
  int crack_records = 0;
  EndReason reason = EndReason::LastOutputTime;
  int status = -1;
  double end_time = 0.0;
  int end_node = 0;
  int reached = -1;
  std::vector<std::string> message;
  double final_height = 0.0;

  void run_set_up(const RunSetUp& e) override {
    order += 'S';
    EXPECT_EQ(e.def.NO >= 1 ? e.def.OPT[e.def.NO] : e.def.TS, e.last_output_time);
  }
  void step_accepted(const StepAccepted& e) override {
    order += 'a';
    step_times.push_back(e.time);
    step_numbers.push_back(e.step);
    heights.push_back(e.height);
    const SoilColumn& col = e.column;
    height_is_top_over_base = height_is_top_over_base && e.height == col.Z[col.NN] - col.Z[1];
    const bool cracked = e.crack_tip <= col.NN;
    crack_fields_agree = crack_fields_agree && e.crack_tip == col.NN1 &&
                         e.crack_depth == (cracked ? col.Z[col.NN] - col.Z[col.NN1] : 0.0);
    deepest_crack = std::max(deepest_crack, e.crack_depth);
    last_QTOP = e.QTOP;
    last_QBOT = e.QBOT;
    last_crust = e.crust;
  }
  void crack_recorded(const CrackRecorded&) override {
    order += 'c';
    ++crack_records;
  }
  void report_written(const ReportWritten& e) override {
    order += 'R';
    report_times.push_back(e.report.figures.time);
    report_kinds.push_back(e.kind);
    if (e.kind == ReportKind::End) {
      end_report_QTOP = e.report.figures.QTOP;
      end_report_QBOT = e.report.figures.QBOT;
      end_report_crust = e.report.figures.CRUST;
    }
  }
  void run_ended(const RunEnded& e) override {
    order += 'E';
    reason = e.reason;
    status = e.exit_status;
    end_time = e.time;
    end_node = e.node;
    reached = e.output_times_reached;
    message.assign(e.message.begin(), e.message.end());
    final_height = e.height;
    if (e.column.NN >= 1) {
      EXPECT_EQ(e.height, e.column.Z[e.column.NN] - e.column.Z[1]);
    }
  }
};

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A run of the program on an answer file in a scratch directory of its own.
struct ObservedRun {
  Recorder events;
  int status = -1;
  std::string console, vd, tc;

  // `blocked`: a name in the scratch directory taken by a directory, so that
  // the file of that name cannot be created.
  explicit ObservedRun(const fs::path& answers, const std::string& blocked = "") {
    const fs::path scratch =
        fs::temp_directory_path() / ("slurry1d_events_" + answers.stem().string());
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    if (!blocked.empty()) fs::create_directories(scratch / blocked);
    const fs::path back = fs::current_path();
    fs::current_path(scratch);
    {
      std::istringstream in(read_file(answers));
      std::ostringstream console_text, errors_text;
      Outputs out;
      out.console.attach(console_text);
      out.errors.attach(errors_text);
      RunObservers observers;
      observers.add(events);
      status = run_program(in, false, out, {}, std::nullopt, observers);
      console = console_text.str();
    }
    if (blocked != "vd.out") vd = read_file(scratch / "vd.out");
    tc = read_file(scratch / "tc.out");
    fs::current_path(back);
    fs::remove_all(scratch);
  }
};

int count_prefix(const std::string& text, const std::string& prefix) {
  int n = 0;
  for (const std::string& line : lines_of(text)) n += line.rfind(prefix, 0) == 0 ? 1 : 0;
  return n;
}

// The records of "tc.out" after its two heading lines.
int crack_records(const std::string& tc) {
  const int lines = static_cast<int>(lines_of(tc).size());
  return lines > 2 ? lines - 2 : 0;
}

// How each run ends. A run refused by the dialog never reaches its set-up
// and has no events.
struct Ending {
  bool set_up;  // the set-up began
  EndReason reason;
  int status;
};

const std::map<std::string, Ending>& endings() {
  static const std::map<std::string, Ending> table = {
      {"self_weight", {true, EndReason::SteadyStateHeight, 0}},
      {"surcharge_two_way", {true, EndReason::LastOutputTime, 0}},
      {"pressure_head_base", {true, EndReason::LastOutputTime, 0}},
      {"base_velocity", {true, EndReason::LastOutputTime, 0}},
      {"evaporation_top", {true, EndReason::MinimumVoidRatio, 0}},
      {"staged_filling", {true, EndReason::LastOutputTime, 0}},
      {"continued_run", {true, EndReason::LastOutputTime, 0}},
      {"drying_crust", {true, EndReason::LastOutputTime, 0}},
      {"base_instability_at_setup", {true, EndReason::BaseInstability, 3}},
      {"base_instability_in_the_loop", {true, EndReason::BaseInstability, 3}},
      {"continued_run_variant", {true, EndReason::LastOutputTime, 0}},
      {"diverging_step", {true, EndReason::NumericalFailure, 3}},
      {"drying_to_day_50", {true, EndReason::LastOutputTime, 0}},
      {"empty_input", {false, EndReason::RefusedInput, 2}},
      {"evaporation_to_minimum_void_ratio", {true, EndReason::MinimumVoidRatio, 0}},
      {"input_ends_at_lt", {false, EndReason::RefusedInput, 2}},
      {"instantaneous_first_stage", {true, EndReason::RefusedRun, 2}},
      {"nan_height", {false, EndReason::RefusedInput, 2}},
      {"node_capacity", {true, EndReason::TooManyNodes, 3}},
      {"non_finite_result", {true, EndReason::NumericalFailure, 3}},
      {"refused_gs", {false, EndReason::RefusedInput, 2}},
      {"self_weight_to_day_50", {true, EndReason::LastOutputTime, 0}},
      {"staged_filling_pressure_head", {true, EndReason::LastOutputTime, 0}},
      {"staged_filling_with_evaporation", {false, EndReason::RefusedRun, 2}},
      {"stalled_clock", {true, EndReason::NumericalFailure, 3}},
      {"surcharge_with_staged_filling", {false, EndReason::RefusedRun, 2}},
      {"unreadable_gw", {false, EndReason::RefusedInput, 2}},
  };
  return table;
}

std::vector<fs::path> answer_files() {
  const fs::path root = fs::path(SLURRY1D_SOURCE_DIR).parent_path();
  std::vector<fs::path> files;
  for (const fs::path& dir : {root / "examples", root / "tests" / "golden" / "cases"}) {
    for (const auto& entry : fs::directory_iterator(dir)) {
      if (entry.path().extension() == ".txt") files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::string case_name(const ::testing::TestParamInfo<fs::path>& info) {
  return info.param.parent_path().filename().string() + "_" + info.param.stem().string();
}

class RunStream : public ::testing::TestWithParam<fs::path> {};

TEST_P(RunStream, FollowsTheRecordsOfTheWholeRun) {
  const fs::path answers = GetParam();
  const auto known = endings().find(answers.stem().string());
  ASSERT_NE(known, endings().end()) << "no ending listed for " << answers;
  const Ending& ending = known->second;
  const ObservedRun run(answers);
  const Recorder& e = run.events;
  ASSERT_EQ(run.status, ending.status) << run.console;

  if (!ending.set_up) {
    EXPECT_EQ(e.order, "") << "a run refused by the dialog has no events";
    return;
  }
  // Exactly one end, last, with the reason and the program's status.
  ASSERT_FALSE(e.order.empty());
  EXPECT_EQ(e.order.back(), 'E');
  EXPECT_EQ(std::count(e.order.begin(), e.order.end(), 'E'), 1) << e.order;
  EXPECT_EQ(e.reason, ending.reason);
  EXPECT_EQ(e.status, run.status);
  EXPECT_EQ(e.message.empty(), run.status == 0);

  const int blocks = count_prefix(run.vd, "TIME = ");
  if (blocks == 0) {
    // Stopped in the set-up, before the column was reported.
    EXPECT_EQ(e.order, e.order.find('S') == std::string::npos ? "E" : "SE");
    return;
  }
  // The set-up first, then the report at the starting time.
  EXPECT_EQ(e.order.substr(0, 2), "SR") << e.order;
  EXPECT_EQ(e.report_kinds.front(), ReportKind::Start);

  // One step event per step line, and one for a step that ends the run
  // before writing its line (the console says which).
  const std::vector<std::string> console = lines_of(run.console);
  bool ends_before_step_line = false;
  for (const char* stop :
       {" REACHED THE MINIMUM MARCHING DIFFERENCE = ", "  CALCULATION TERMINATED FOR UNSTABLE",
        "  PROGRAM STOPS FOR REACHING MINIMUM VOID RATIO!"}) {
    ends_before_step_line = ends_before_step_line || count_prefix(run.console, stop) == 1;
  }
  std::vector<std::string> step_lines;
  for (const std::string& line : console) {
    if (line.rfind(" TIME = ", 0) == 0) step_lines.push_back(line);
  }
  ASSERT_EQ(e.step_times.size(), step_lines.size() + (ends_before_step_line ? 1 : 0));
  for (std::size_t i = 0; i < step_lines.size(); ++i) {
    ASSERT_EQ(step_lines[i].substr(0, 19), " TIME = " + format_G(11, 5, e.step_times[i]))
        << "step " << i + 1;
    ASSERT_EQ(e.step_numbers[i], static_cast<long>(i + 1));
  }
  EXPECT_TRUE(e.height_is_top_over_base);
  EXPECT_TRUE(e.crack_fields_agree);

  // One report event per "TIME =" block of vd.out, at its time.
  ASSERT_EQ(static_cast<int>(e.report_times.size()), blocks);
  std::size_t report = 0;
  for (const std::string& line : lines_of(run.vd)) {
    if (line.rfind("TIME = ", 0) != 0) continue;
    EXPECT_EQ(line, "TIME = " + format_G(15, 4, e.report_times[report])) << "report " << report;
    ++report;
  }
  // Each kind where it belongs: the start, output times, the end.
  for (std::size_t i = 1; i + 1 < e.report_kinds.size(); ++i) {
    EXPECT_EQ(e.report_kinds[i], ReportKind::OutputTime) << i;
  }
  const bool end_report =
      ending.reason != EndReason::BaseInstability && ending.reason != EndReason::TooManyNodes;
  EXPECT_EQ(e.report_kinds.back() == ReportKind::End, end_report);
  EXPECT_EQ(e.crack_records, crack_records(run.tc));

  // The end: the time of the last report, the loop's quantities as reported.
  if (end_report) {
    EXPECT_EQ(e.end_time, e.report_times.back());
    if (!e.step_times.empty()) {
      EXPECT_EQ(e.last_QTOP, e.end_report_QTOP);
      EXPECT_EQ(e.last_QBOT, e.end_report_QBOT);
      EXPECT_EQ(e.last_crust, e.end_report_crust);
      EXPECT_EQ(e.final_height, e.heights.back());
    }
  }
}

INSTANTIATE_TEST_SUITE_P(ExamplesAndGoldenCases, RunStream, ::testing::ValuesIn(answer_files()),
                         case_name);

// The values of the end an outcome line needs.
TEST(RunStream, TheEndTellsTheNodeAndTheOutputTimesNotReached) {
  const fs::path root = fs::path(SLURRY1D_SOURCE_DIR).parent_path();
  const ObservedRun steady(root / "examples" / "self_weight.txt");
  // Ended at its steady height about day 29,650: 1000, 3000 and 10000
  // reached, 100000 not.
  EXPECT_EQ(steady.events.reason, EndReason::SteadyStateHeight);
  EXPECT_EQ(steady.events.reached, 3);
  EXPECT_GT(steady.events.end_time, 10000.0);
  EXPECT_LT(steady.events.end_time, 100000.0);
  EXPECT_EQ(steady.events.end_node, 0);

  const ObservedRun dried(root / "examples" / "evaporation_top.txt");
  EXPECT_EQ(dried.events.reason, EndReason::MinimumVoidRatio);
  EXPECT_EQ(dried.events.end_node, 1);  // "REACH THE MINIMUM VOID RATIO AT NODE 1"

  const ObservedRun cracked(root / "examples" / "drying_crust.txt");
  EXPECT_GT(cracked.events.deepest_crack, 0.0);
  EXPECT_GT(cracked.events.last_crust, 0.0);
}

// A result file that cannot be created ends the run before its column is
// built: the end still comes, once, with the status of the program.
TEST(RunStream, AFileThatCannotBeCreatedEndsTheRunWithoutAColumn) {
  const fs::path root = fs::path(SLURRY1D_SOURCE_DIR).parent_path();
  const ObservedRun run(root / "examples" / "surcharge_two_way.txt", "vd.out");
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.events.order, "E");
  EXPECT_EQ(run.events.reason, EndReason::FileError);
  EXPECT_EQ(run.events.status, 4);
  EXPECT_EQ(run.events.final_height, 0.0);
  EXPECT_EQ(run.events.reached, 0);
}

}  // namespace
}  // namespace slurry1d::testing
