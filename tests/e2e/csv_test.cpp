// --csv run as a user runs it, on every bundled example and on the golden
// cases that reach the time loop: the tables beside the legacy files, held
// against those files to their print precision (ts.out, vd.out, tc.out),
// one history row per accepted step, the height of solids kept at every
// report, summary.json read by a real JSON parser with the run's end; and
// the result files that cannot be created or written.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <ostream>
#include <string>
#include <vector>

#include "e2e/program_runner.hpp"
#include "e2e/record_parsing.hpp"
#include "e2e/result_tables.hpp"

namespace slurry1d::e2e {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

struct CsvCase {
  const char* name;
  const char* answers;  // examples/<answers>.txt or tests/golden/cases/<answers>.txt
  bool example;
  const char* reason;
  int status;
  bool steady;  // a steady state is solved: steady.csv
  // No filling, no desiccation, no failure and no node added at a velocity
  // boundary: the solids stay put. (An added node takes the mean of its
  // neighbours' void ratios and its element the nominal length of its span at
  // that void ratio, which moves the solids by some 1e-5 of their height.)
  bool solids;
};

const CsvCase kCases[] = {
    {"self_weight", "self_weight", true, "steady_state_height", 0, true, true},
    {"surcharge_two_way", "surcharge_two_way", true, "last_output_time", 0, true, true},
    {"pressure_head_base", "pressure_head_base", true, "last_output_time", 0, true, true},
    {"base_velocity", "base_velocity", true, "last_output_time", 0, true, true},
    {"evaporation_top", "evaporation_top", true, "minimum_void_ratio", 0, false, true},
    {"staged_filling", "staged_filling", true, "last_output_time", 0, true, false},
    {"continued_run", "continued_run", true, "last_output_time", 0, false, true},
    {"drying_crust", "drying_crust", true, "last_output_time", 0, false, false},
    {"continued_run_variant", "continued_run_variant", false, "last_output_time", 0, false, true},
    {"drying_to_day_50", "drying_to_day_50", false, "last_output_time", 0, false, false},
    {"evaporation_to_minimum_void_ratio", "evaporation_to_minimum_void_ratio", false,
     "minimum_void_ratio", 0, true, false},
    {"self_weight_to_day_50", "self_weight_to_day_50", false, "last_output_time", 0, true, true},
    {"staged_filling_pressure_head", "staged_filling_pressure_head", false, "last_output_time", 0,
     true, false},
    {"base_instability_in_the_loop", "base_instability_in_the_loop", false, "base_instability", 3,
     true, false},
    {"diverging_step", "diverging_step", false, "numerical_failure", 3, false, false},
    {"non_finite_result", "non_finite_result", false, "numerical_failure", 3, false, false},
    {"stalled_clock", "stalled_clock", false, "numerical_failure", 3, false, false},
};

// Names the case in the test's messages.
void PrintTo(const CsvCase& c, std::ostream* os) {
  *os << c.name;
}

std::string answers_of(const CsvCase& c) {
  const fs::path path =
      c.example ? fs::path(SLURRY1D_EXAMPLES) / (std::string(c.answers) + ".txt")
                : fs::path(SLURRY1D_GOLDEN) / "cases" / (std::string(c.answers) + ".txt");
  return read_file(path);
}

// Each case is run once with --csv and shared by the tests that look at it.
const ProgramRun& csv_run(const CsvCase& c) {
  static std::map<std::string, ProgramRun> runs;
  auto it = runs.find(c.name);
  if (it == runs.end()) it = runs.emplace(c.name, run_program(answers_of(c), "--csv")).first;
  return it->second;
}

json summary_of(const ProgramRun& run) {
  return json::parse(run.file("summary.json"));
}

class EveryCase : public ::testing::TestWithParam<CsvCase> {
 protected:
  const ProgramRun& run() const { return csv_run(GetParam()); }
  json summary() const { return summary_of(run()); }
  bool desiccation() const { return summary()["answers"]["IDES"] == 1; }
};

TEST_P(EveryCase, WritesEachTableWithItsHeaderAndWholeRows) {
  ASSERT_EQ(run().status, GetParam().status) << run().errors;
  const Table history = read_table(run(), "history.csv");
  EXPECT_EQ(run().lines("history.csv").front(),
            "step,time,height,settlement,placed_height,top_outflow,base_outflow,crust_thickness,"
            "crack_depth,nodes,step_length,passes");
  EXPECT_EQ(run().lines("profiles.csv").front(),
            "time,event,node,elevation,void_ratio,solid_content,effective_stress,pore_pressure,"
            "excess_pore_pressure,permeability,shrinkage_factor,added_node");
  EXPECT_TRUE(history.rectangular);
  EXPECT_TRUE(read_table(run(), "profiles.csv").rectangular);
  for (const char* file : {"history.csv", "profiles.csv", "summary.json"}) {
    const std::string text = run().file(file);
    ASSERT_FALSE(text.empty()) << file;
    EXPECT_EQ(text.back(), '\n') << file << " ends mid-line";
  }
  EXPECT_EQ(run().has_file("steady.csv"), GetParam().steady);
  if (GetParam().steady) {
    EXPECT_EQ(run().lines("steady.csv").front(),
              "node,elevation,void_ratio,effective_stress,pore_pressure,permeability");
  }
  EXPECT_EQ(run().has_file("cracks.csv"), desiccation());
}

// Rows 0, 1, 2, ...: the start and every accepted step, one per step line of
// the console and one more for a step that ends the run before its line.
TEST_P(EveryCase, HistoryHasTheStartAndOneRowPerAcceptedStep) {
  const Table history = read_table(run(), "history.csv");
  ASSERT_GE(history.size(), 1u);
  for (std::size_t r = 0; r < history.size(); ++r) {
    ASSERT_EQ(history.text(r, "step"), std::to_string(r));
    if (r > 0) {
      EXPECT_GE(history.number(r, "time"), history.number(r - 1, "time"));
    }
  }
  const std::size_t step_lines = step_times(run()).size();
  EXPECT_GE(history.size() - 1, step_lines);
  EXPECT_LE(history.size() - 1, step_lines + 1);
  // The settlement is the placed height less the height on every row.
  for (std::size_t r = 0; r < history.size(); ++r) {
    EXPECT_EQ(history.number(r, "settlement"),
              history.number(r, "placed_height") - history.number(r, "height"));
  }
}

// Every report of the legacy files has its snapshot in profiles.csv (the end
// on an output time both as that output time and as the end), and its
// history row at the same time, to the last bit.
TEST_P(EveryCase, ReportsAreThoseOfTheLegacyFiles) {
  const std::vector<VdBlock> blocks = vd_blocks(run());
  const auto ts = ts_lines(run());
  std::vector<Snapshot> shots = snapshots(read_table(run(), "profiles.csv"));
  ASSERT_GE(shots.size(), 1u);
  EXPECT_EQ(shots.front().event, "start");
  // A stop that ends the program at once (the base instability in the
  // loop) writes no report at the end, nor the final profile into "input".
  const bool end_report = run().file("input").find("STOPPING TIME") != std::string::npos;
  EXPECT_EQ(shots.back().event == "end", end_report);
  if (shots.size() >= 3 && shots[shots.size() - 2].event == "output" &&
      shots[shots.size() - 2].time == shots.back().time) {
    shots.erase(shots.end() - 2);
  }
  ASSERT_EQ(shots.size(), blocks.size());
  ASSERT_EQ(ts.size(), blocks.size());

  const Table history = read_table(run(), "history.csv");
  for (std::size_t k = 0; k < shots.size(); ++k) {
    const double time = number_of(shots[k].time);
    EXPECT_TRUE(agrees_to_print(time, blocks[k].time)) << shots[k].event;
    EXPECT_TRUE(agrees_to_print(time, ts[k][0])) << shots[k].event;
    // The failures end at a step that was never accepted.
    if (shots[k].event == "end" && GetParam().status != 0) continue;
    // The start is row 0; a later report, the last step that ended at its time.
    std::size_t row = k == 0 ? 0 : history.size();
    for (std::size_t r = 1; k > 0 && r < history.size(); ++r) {
      if (history.text(r, "time") == shots[k].time) row = r;
    }
    ASSERT_LT(row, history.size()) << "no history row at t = " << shots[k].time;
    EXPECT_TRUE(agrees_to_print(history.number(row, "height"), ts[k][1])) << shots[k].time;
    EXPECT_TRUE(agrees_to_print(history.number(row, "top_outflow"), ts[k][3])) << shots[k].time;
    EXPECT_TRUE(agrees_to_print(history.number(row, "base_outflow"), ts[k][4])) << shots[k].time;
    EXPECT_TRUE(agrees_to_print(history.number(row, "crust_thickness"), ts[k][5])) << shots[k].time;
  }
}

// On the nodes vd.out reports (every tenth from the top of the column
// without the nodes the last refinement added), profiles.csv gives what
// vd.out prints: the void ratio clamped at ME in the later tables, the pore
// pressures of runs without desiccation (vd.out shows none in desiccation
// runs), the shrinkage factor; the first table's steady-state columns are
// steady.csv's.
TEST_P(EveryCase, ProfilesAgreeWithVdOutOnTheReportedNodes) {
  const Table profiles = read_table(run(), "profiles.csv");
  const Table steady = read_table(run(), "steady.csv");
  const std::vector<VdBlock> blocks = vd_blocks(run());
  std::vector<Snapshot> shots = snapshots(profiles);
  if (shots.size() >= 3 && shots.back().event == "end" &&
      shots[shots.size() - 2].time == shots.back().time) {
    shots.erase(shots.end() - 2);
  }
  ASSERT_EQ(shots.size(), blocks.size());
  const double ME = summary()["answers"]["ME"];
  const bool pressures = !desiccation();
  for (std::size_t k = 0; k < shots.size(); ++k) {
    std::vector<std::size_t> reported;
    for (const std::size_t r : shots[k].rows) {
      if (profiles.text(r, "added_node") == "0") reported.push_back(r);
    }
    const int M = static_cast<int>(reported.size());
    const VdBlock& block = blocks[k];
    ASSERT_EQ(block.rows.size(), static_cast<std::size_t>((M + 9) / 10)) << shots[k].time;
    for (std::size_t j = 0; j < block.rows.size(); ++j) {
      const int i = M - 10 * static_cast<int>(j);
      const std::size_t r = reported[static_cast<std::size_t>(i - 1)];
      const std::vector<std::string>& printed = block.rows[j];
      SCOPED_TRACE("t = " + shots[k].time + ", node " + std::to_string(i));
      EXPECT_EQ(std::atoi(printed[0].c_str()), (i - 1) / 10 + 1);
      EXPECT_TRUE(agrees_to_print(profiles.number(r, "elevation"), printed[1]));
      const double e = profiles.number(r, "void_ratio");
      EXPECT_TRUE(agrees_to_print(block.initial || e > ME ? e : ME, printed[2]));
      EXPECT_TRUE(agrees_to_print(profiles.number(r, "solid_content"), printed[3]));
      if (pressures) {
        EXPECT_TRUE(agrees_to_print(profiles.number(r, "pore_pressure"), printed[4]));
      }
      if (!block.initial) {
        EXPECT_TRUE(agrees_to_print(profiles.number(r, "shrinkage_factor"), printed[5]));
      } else if (GetParam().steady) {
        const std::size_t s = static_cast<std::size_t>(i - 1);
        ASSERT_LT(s, steady.size());
        EXPECT_EQ(steady.text(s, "node"), std::to_string(i));
        EXPECT_TRUE(agrees_to_print(steady.number(s, "elevation"), printed[5]));
        EXPECT_TRUE(agrees_to_print(steady.number(s, "void_ratio"), printed[6]));
      }
    }
  }
}

TEST_P(EveryCase, CrackRecordsAreThoseOfTcOut) {
  if (!desiccation()) GTEST_SKIP() << "no desiccation";
  const Table cracks = read_table(run(), "cracks.csv");
  const auto tc = tc_lines(run());
  ASSERT_EQ(cracks.size(), tc.size());
  const char* const columns[] = {"time",           "crack_depth",     "soil_height",
                                 "soil_volume",    "crack_volume",    "fluid_volume",
                                 "side_wall_loss", "volume_loss_rate"};
  for (std::size_t r = 0; r < tc.size(); ++r) {
    ASSERT_EQ(tc[r].size(), 8u);
    for (std::size_t c = 0; c < 8; ++c) {
      EXPECT_TRUE(agrees_to_print(cracks.number(r, columns[c]), tc[r][c]))
          << "record " << r + 1 << ", " << columns[c];
    }
  }
  EXPECT_EQ(cracks.text(cracks.size() - 1, "record"),
            GetParam().reason == std::string("minimum_void_ratio") ? "deepened" : "end");
}

// The nominal lengths of the elements, (z(k+1) - z(k))(1 + E0)/(1 + e) with
// e the mean of the void ratios of the element's nodes, hold the solids: in a
// run without filling and desiccation their height, the sum of the lengths
// over 1 + E0, is the same at every report and is HTOT/(1 + E0).
TEST_P(EveryCase, HeightOfSolidsIsTheSameAtEveryReport) {
  if (!GetParam().solids) GTEST_SKIP() << "filling, desiccation or a failure";
  const Table profiles = read_table(run(), "profiles.csv");
  const double expected = summary()["derived"]["solids_height"];
  for (const Snapshot& s : snapshots(profiles)) {
    double solids = 0.0;
    for (std::size_t n = 1; n < s.rows.size(); ++n) {
      const std::size_t a = s.rows[n - 1], b = s.rows[n];
      const double e = (profiles.number(a, "void_ratio") + profiles.number(b, "void_ratio")) / 2.0;
      solids += (profiles.number(b, "elevation") - profiles.number(a, "elevation")) / (1.0 + e);
    }
    EXPECT_NEAR(solids, expected, 1e-9 * expected) << s.event << " at t = " << s.time;
  }
}

TEST_P(EveryCase, SummaryNamesTheAnswersAndTheEnd) {
  const json s = summary();
  EXPECT_EQ(s["program"], "slurry1d");
  EXPECT_FALSE(s["version"].get<std::string>().empty());
  for (const char* name : {"A1", "B1", "C", "D", "Z1", "IDES", "GS", "GW", "H0", "IFIL", "ITOP",
                           "IBOT", "ME", "TS", "NO", "MAXDT", "ICONT"}) {
    EXPECT_TRUE(s["answers"][name].is_number()) << name;
  }
  EXPECT_TRUE(s["answers"]["OPT"].is_array());
  EXPECT_EQ(s["answers"]["OPT"].size(), s["answers"]["NO"].get<std::size_t>());
  const json& end = s["end"];
  EXPECT_EQ(end["reason"], GetParam().reason);
  EXPECT_EQ(end["exit_status"], run().status);
  EXPECT_FALSE(end["message"].get<std::string>().empty());
  // E0 and the height of solids as the console and ts.out give them, whose
  // free-form numbers read back to the same double.
  EXPECT_EQ(s["derived"]["E0"].get<double>(), value_after(run().console, "E0 = "));
  if (run().file("ts.out").find("THE TOTAL HEIGHT OF SOIL SOLID IS ") != std::string::npos) {
    EXPECT_EQ(s["derived"]["solids_height"].get<double>(),
              value_after(run().file("ts.out"), "THE TOTAL HEIGHT OF SOIL SOLID IS "));
  }
  // The end at the last row of the history, and the output times after it.
  const Table history = read_table(run(), "history.csv");
  if (GetParam().status == 0) {
    EXPECT_EQ(end["time"].get<double>(), history.number(history.size() - 1, "time"));
    EXPECT_EQ(s["final_height"].get<double>(), history.number(history.size() - 1, "height"));
    EXPECT_EQ(s["settlement"].get<double>(), history.number(history.size() - 1, "settlement"));
  }
  std::vector<double> not_reached;
  for (const double t : s["answers"]["OPT"]) {
    if (t > end["time"].get<double>() * (1 + 1e-12)) not_reached.push_back(t);
  }
  EXPECT_EQ(end["output_times_not_reached"].get<std::vector<double>>(), not_reached);
  // The run time is whatever the machine took: only its form is checked (a
  // number, not a duration that went backwards), never how large it is.
  ASSERT_TRUE(s["run_time_seconds"].is_number());
  EXPECT_FALSE(std::signbit(s["run_time_seconds"].get<double>()));
}

INSTANTIATE_TEST_SUITE_P(Runs, EveryCase, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<CsvCase>& info) {
                           return std::string(info.param.name);
                         });

// A staged filling run: the placed height grows with the fill, by the
// nominal height of each stage, and the settlement is measured from it.
TEST(CsvStagedFilling, PlacedHeightGrowsByTheNominalHeightOfTheStages) {
  const ProgramRun& run = csv_run(kCases[5]);
  const Table history = read_table(run, "history.csv");
  const double start = history.number(0, "placed_height");
  const double end = history.number(history.size() - 1, "placed_height");
  // Stages of 100 days at 0.05 and 0.03 m/day place 8 m; each step's fill is
  // credited to within a step of 0.025 days.
  EXPECT_NEAR(end - start, 8.0, 2 * 0.025 * 0.05 + 1e-9);
  for (std::size_t r = 1; r < history.size(); ++r) {
    EXPECT_GE(history.number(r, "placed_height"), history.number(r - 1, "placed_height") - 1e-12);
  }
}

// A run stopped in its set-up leaves the headers of its tables and a summary
// that says why.
struct SetUpStop {
  const char* name;
  const char* reason;
  const char* message;
};

class StoppedAtSetUp : public ::testing::TestWithParam<SetUpStop> {};

TEST_P(StoppedAtSetUp, LeavesTheHeadersAndItsEnd) {
  const ProgramRun run = run_program(
      read_file(fs::path(SLURRY1D_GOLDEN) / "cases" / (std::string(GetParam().name) + ".txt")),
      "--csv");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.lines("history.csv").size(), 1u);
  EXPECT_EQ(run.lines("profiles.csv").size(), 1u);
  const json s = summary_of(run);
  EXPECT_EQ(s["end"]["reason"], GetParam().reason);
  EXPECT_NE(s["end"]["message"].get<std::string>().find(GetParam().message), std::string::npos);
  EXPECT_EQ(s["end"]["exit_status"], 3);
  EXPECT_TRUE(s["settlement"].is_null());
  EXPECT_EQ(s["answers"]["OPT"].size(), s["end"]["output_times_not_reached"].size());
}

INSTANTIATE_TEST_SUITE_P(
    CsvStops, StoppedAtSetUp,
    ::testing::Values(SetUpStop{"base_instability_at_setup", "base_instability",
                                "MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM"},
                      SetUpStop{"node_capacity", "too_many_nodes", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvStops, WithoutTheOptionNoTableIsWritten) {
  const ProgramRun run = run_program(surcharge_example_to_day_10());
  EXPECT_EQ(run.status, 0);
  for (const char* file :
       {"history.csv", "profiles.csv", "steady.csv", "cracks.csv", "summary.json"}) {
    EXPECT_FALSE(run.has_file(file)) << file;
  }
}

TEST(CsvFiles, TableThatCannotBeCreatedIsStatusFour) {
  const ProgramRun run = run_program_in_prepared_directory(
      surcharge_example_to_day_10(), "--csv",
      [](const fs::path& dir) { fs::create_directory(dir / "history.csv"); });
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.errors.find("cannot create history.csv"), std::string::npos) << run.errors;
  const json s = summary_of(run);
  EXPECT_EQ(s["end"]["reason"], "file_error");
  EXPECT_EQ(s["end"]["exit_status"], 4);
}

TEST(CsvFiles, TableThatCannotBeWrittenIsStatusFour) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const ProgramRun run = run_program_in_prepared_directory(
      surcharge_example_to_day_10(), "--csv",
      [](const fs::path& dir) { fs::create_symlink("/dev/full", dir / "profiles.csv"); });
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.errors.find("profiles.csv in the current directory could not be written"),
            std::string::npos)
      << run.errors;
  const json s = summary_of(run);
  EXPECT_EQ(s["end"]["exit_status"], 4);
  EXPECT_EQ(s["end"]["reason"], "file_error");
}

TEST(CsvFiles, SummaryThatCannotBeWrittenIsStatusFour) {
  const ProgramRun run = run_program_in_prepared_directory(
      surcharge_example_to_day_10(), "--csv",
      [](const fs::path& dir) { fs::create_directory(dir / "summary.json"); });
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.errors.find("cannot create summary.json"), std::string::npos) << run.errors;
  // The run itself gave its answer: every table is complete.
  EXPECT_EQ(read_table(run, "history.csv").size(), step_times(run).size() + 1);
}

// A run in a directory holding its answer file, with `arguments`.
ProgramRun run_with_answer_file(const std::string& answers, const std::string& name,
                                const std::string& arguments) {
  return run_program_in_prepared_directory("", arguments + " " + name, [&](const fs::path& dir) {
    std::ofstream(dir / name, std::ios::binary) << answers;
  });
}

// With -o every table goes into the output directory beside the legacy
// files, and nothing into the current one.
TEST(CsvOutputDirectory, TablesGoIntoTheOutputDirectory) {
  const ProgramRun run =
      run_with_answer_file(surcharge_example_to_day_10(), "case.txt", "--csv -o out");
  ASSERT_EQ(run.status, 0) << run.errors;
  for (const char* file : {"input", "vd.out", "ts.out", "tc.out", "history.csv", "profiles.csv",
                           "steady.csv", "summary.json"}) {
    EXPECT_TRUE(fs::is_regular_file(run.dir / "out" / file)) << file;
    EXPECT_FALSE(fs::exists(run.dir / file)) << file;
  }
  const ProgramRun out{run.dir / "out", run.status, run.console, run.errors};
  const Table history = read_table(out, "history.csv");
  EXPECT_EQ(history.size(), step_times(run).size() + 1);
  EXPECT_EQ(summary_of(out)["end"]["reason"], "last_output_time");
  // The legacy files as without --csv.
  const ProgramRun plain =
      run_with_answer_file(surcharge_example_to_day_10(), "case.txt", "-o out");
  for (const char* file : {"input", "vd.out", "ts.out", "tc.out"}) {
    EXPECT_EQ(read_file(run.dir / "out" / file), read_file(plain.dir / "out" / file)) << file;
  }
}

TEST(CsvOutputDirectory, TableThatCannotBeCreatedThereIsStatusFour) {
  const ProgramRun run =
      run_program_in_prepared_directory("", "--csv -o out case.txt", [](const fs::path& dir) {
        std::ofstream(dir / "case.txt", std::ios::binary) << surcharge_example_to_day_10();
        fs::create_directories(dir / "out" / "profiles.csv");
      });
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.errors.find("cannot create " + (fs::path("out") / "profiles.csv").string()),
            std::string::npos)
      << run.errors;
  const ProgramRun out{run.dir / "out", run.status, run.console, run.errors};
  EXPECT_EQ(summary_of(out)["end"]["exit_status"], 4);
}

// An answer file among the tables the run would write is refused before any
// file is created.
TEST(CsvOutputDirectory, AnswersInATableOfTheRunAreRefused) {
  const ProgramRun run =
      run_with_answer_file(surcharge_example_to_day_10(), "history.csv", "--csv");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.errors.find("a file this run writes"), std::string::npos) << run.errors;
  EXPECT_FALSE(run.has_file("input"));
}

}  // namespace
}  // namespace slurry1d::e2e
