// The tables of --csv written from made-up events: a three-node column of
// fresh slurry, a few steps and reports. The rows of each table, the values
// of the nodes, the end on an output time shown as that output time and as
// the end, the crack records, summary.json, and the files that cannot be
// written.

#include "results/csv_results.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "model/run_stop.hpp"
#include "output/state_report.hpp"
#include "support/event_records.hpp"

namespace slurry1d::results {
namespace {

namespace fs = std::filesystem;

std::string read_table(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::vector<std::string>> rows_of(const fs::path& p) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(read_table(p));
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::istringstream l(line);
    for (std::string f; std::getline(l, f, ',');) fields.push_back(f);
    rows.push_back(fields);
  }
  return rows;
}

double num(const std::string& text) {
  return std::strtod(text.c_str(), nullptr);
}

// A layer of 1 unit of fresh slurry at E0 on three nodes, e = 7 (s' + 0.1)^-0.2,
// k = 6.8e-7 e^4, output times 10 and 20.
struct MadeUpRun : testing::EventRecords {
  std::vector<std::string> stop_lines;

  explicit MadeUpRun(int IDES) {
    RunDefinition& d = *def;
    d.A1 = 7.0, d.B1 = -0.2, d.C = 6.8e-7, d.D = 4.0, d.Z1 = 0.1;
    d.IDES = IDES;
    d.GS = 2.65, d.GW = 9.81, d.H0 = 1.0, d.IFIL = 2;
    d.bc.ITOP = TopBoundary::Surcharge;
    d.bc.IBOT = BottomBoundary::Velocity;
    d.ME = 1.0, d.NO = 2, d.MAXDT = 5.0, d.ICONT = 2;
    d.OPT[1] = 10.0, d.OPT[2] = 20.0;
    scales->E0 = d.A1 * std::pow(d.Z1, d.B1);
    scales->K0 = d.C * std::pow(scales->E0, d.D);
    scales->HTOT = 1.0;
    soil = soil_of(d, *scales);
    col->NN = 3;
    col->NN1 = col->NN2 = 4;
    for (int i = 1; i <= 3; ++i) {
      col->EN[i] = 1.0;
      col->Z[i] = 0.5 * (i - 1);
      col->DXI[i] = i < 3 ? 0.5 : 0.0;
      col->ESS[i] = 0.8 * scales->E0;
      col->ZSS[i] = 0.4 * (i - 1);
    }
  }

  RunSetUp set_up(bool steady) const {
    return RunSetUp{*def, *scales, soil, *col, steady, 0.8, 0.0, 20.0, added};
  }
  ReportWritten report(ReportKind kind, int index, double time) {
    work->figures.time = time;
    work->figures.height = col->Z[col->NN];
    work->figures.WT = col->Z[col->NN];
    return ReportWritten{kind, index, *work, *col, soil, *def, true, added};
  }
  StepAccepted step(long n, double time, double QTOP) const {
    return StepAccepted{n,   1,    clock, time, 5.0, 3,   0,  1e-9, *col, col->Z[3] - col->Z[1],
                        1.0, QTOP, 0.0,   0.0,  4,   0.0, 0.0};
  }
  RunEnded ended(EndReason reason, int status, double time, int reached) const {
    return RunEnded{reason, status, time, 0, reached, stop_lines, *def, *col, col->Z[3] - col->Z[1],
                    *scales};
  }
};

class CsvResultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("slurry1d-csv-results-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Start, two steps to the first output time, one to the second, where the
  // run ends.
  void run_to_the_last_output_time(CsvResults& csv, MadeUpRun& r) {
    csv.run_set_up(r.set_up(true));
    csv.report_written(r.report(ReportKind::Start, 0, 0.0));
    csv.step_accepted(r.step(1, 5.0, 0.01));
    csv.step_accepted(r.step(2, 10.0, 0.02));
    csv.report_written(r.report(ReportKind::OutputTime, 1, 10.0));
    csv.step_accepted(r.step(3, 20.0, 0.03));
    csv.report_written(r.report(ReportKind::End, 2, 20.0));
    csv.run_ended(r.ended(EndReason::LastOutputTime, 0, 20.0, 2));
  }
  fs::path dir_;
};

TEST_F(CsvResultsTest, HistoryHasTheStartAndOneRowPerStep) {
  MadeUpRun r(2);
  CsvResults csv(dir_);
  run_to_the_last_output_time(csv, r);
  const auto rows = rows_of(dir_ / "history.csv");
  ASSERT_EQ(rows.size(), 1u + 4u);
  EXPECT_EQ(read_table(dir_ / "history.csv").substr(0, HISTORY_HEADER.size()), HISTORY_HEADER);
  EXPECT_EQ(rows[1],
            (std::vector<std::string>{"0", "0", "1", "0", "1", "0", "0", "0", "0", "3", "0", "0"}));
  EXPECT_EQ(rows[2], (std::vector<std::string>{"1", "5", "1", "0", "1", "0.01", "0", "0", "0", "3",
                                               "5", "3"}));
  EXPECT_EQ(rows[4][0], "3");
  EXPECT_EQ(rows[4][5], "0.03");
}

// Every node at the start, at the output time and, as the run ends on the
// last output time, at that output time and at the end.
TEST_F(CsvResultsTest, ProfilesAtTheStartEveryOutputTimeAndTheEnd) {
  MadeUpRun r(2);
  CsvResults csv(dir_);
  run_to_the_last_output_time(csv, r);
  const auto rows = rows_of(dir_ / "profiles.csv");
  ASSERT_EQ(rows.size(), 1u + 4u * 3u);
  EXPECT_EQ(read_table(dir_ / "profiles.csv").substr(0, PROFILES_HEADER.size()), PROFILES_HEADER);
  const std::vector<std::pair<std::string, std::string>> snapshots = {
      {"0", "start"}, {"10", "output"}, {"20", "output"}, {"20", "end"}};
  for (std::size_t k = 0; k < snapshots.size(); ++k) {
    for (int node = 1; node <= 3; ++node) {
      const auto& row = rows[1 + 3 * k + static_cast<std::size_t>(node - 1)];
      ASSERT_EQ(row.size(), 12u);
      EXPECT_EQ(row[0], snapshots[k].first);
      EXPECT_EQ(row[1], snapshots[k].second);
      EXPECT_EQ(row[2], std::to_string(node));
    }
  }
}

// Fresh slurry at E0 carries no effective stress; its pore water carries the
// buoyant weight above the hydrostatic pressure, which vanishes at the top.
TEST_F(CsvResultsTest, NodeValuesOfFreshSlurry) {
  MadeUpRun r(2);
  CsvResults csv(dir_);
  run_to_the_last_output_time(csv, r);
  const auto rows = rows_of(dir_ / "profiles.csv");
  const double E0 = r.scales->E0;
  const auto& base = rows[1];
  const auto& top = rows[3];
  EXPECT_EQ(num(base[3]), 0.0);
  EXPECT_EQ(num(top[3]), 1.0);
  EXPECT_EQ(num(base[4]), E0);
  EXPECT_EQ(num(base[5]), 2.65 / (E0 + 2.65));
  EXPECT_NEAR(num(base[6]), 0.0, 1e-12);
  EXPECT_EQ(num(base[9]), r.soil.permeability(E0));
  EXPECT_EQ(num(base[10]), 1.0);
  EXPECT_EQ(base[11], "0");
  EXPECT_EQ(num(top[7]), 0.0);
  EXPECT_EQ(num(top[8]), 0.0);
  // The excess at the base: the buoyant weight of the layer, to the accuracy
  // of the flow law's two elements.
  const double buoyant = (2.65 - 1.0) * 9.81 / (E0 + 1.0);
  EXPECT_NEAR(num(base[8]), buoyant, 1e-9 * buoyant);
  EXPECT_NEAR(num(base[7]), buoyant + 9.81, 1e-9 * buoyant);
}

// Without a flow law through the cracks, a desiccation run's pore pressure
// is the total stress less the effective stress: all of the saturated weight
// in fresh slurry.
TEST_F(CsvResultsTest, DesiccationPorePressureIsTotalLessEffectiveStress) {
  MadeUpRun r(1);
  CsvResults csv(dir_);
  run_to_the_last_output_time(csv, r);
  const auto rows = rows_of(dir_ / "profiles.csv");
  const double E0 = r.scales->E0;
  const double saturated = (E0 + 2.65) * 9.81 / (E0 + 1.0);
  EXPECT_NEAR(num(rows[1][7]), saturated, 1e-12 * saturated);
  EXPECT_NEAR(num(rows[1][8]), saturated - 9.81, 1e-12 * saturated);
  EXPECT_NEAR(num(rows[3][7]), 0.0, 1e-12);
}

TEST_F(CsvResultsTest, AddedNodesAreMarked) {
  MadeUpRun r(2);
  r.added.KBOTADD = 1;
  r.added.NBOTADD = 1;
  CsvResults csv(dir_);
  csv.run_set_up(r.set_up(false));
  csv.report_written(r.report(ReportKind::Start, 0, 0.0));
  const auto rows = rows_of(dir_ / "profiles.csv");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[1][11], "0");
  EXPECT_EQ(rows[2][11], "1");
  EXPECT_EQ(rows[3][11], "0");
}

// The steady state of the column it was solved on: the nodes the refinement
// of the ends added at set-up are not part of it.
TEST_F(CsvResultsTest, SteadyProfileOnTheNodesItWasSolvedOn) {
  MadeUpRun r(2);
  r.added.KTOPADD = 1;
  r.added.NTOPADD = 1;
  CsvResults csv(dir_);
  csv.run_set_up(r.set_up(true));
  const auto rows = rows_of(dir_ / "steady.csv");
  ASSERT_EQ(rows.size(), 1u + 2u);
  EXPECT_EQ(read_table(dir_ / "steady.csv").substr(0, STEADY_HEADER.size()), STEADY_HEADER);
  EXPECT_EQ(rows[2][0], "2");
  EXPECT_EQ(num(rows[2][1]), 0.4);
  EXPECT_EQ(num(rows[2][2]), 0.8 * r.scales->E0);
  // The pore pressure is the total stress less the effective stress of the
  // compression curve: at the top (no surcharge, no water above) that stress
  // alone, at the base the saturated weight of the element above less it.
  const double e = 0.8 * r.scales->E0;
  const double effective = std::pow(e / 7.0, 1.0 / -0.2) - 0.1;
  EXPECT_NEAR(num(rows[2][3]), effective, 1e-12);
  EXPECT_NEAR(num(rows[2][4]), -effective, 1e-12);
  const double saturated = 0.4 * (e + 2.65) * 9.81 / (e + 1.0);
  EXPECT_NEAR(num(rows[1][4]), saturated - effective, 1e-12);
  EXPECT_FALSE(fs::exists(dir_ / "cracks.csv"));
}

TEST_F(CsvResultsTest, NoSteadyStateNoSteadyTable) {
  MadeUpRun r(2);
  CsvResults csv(dir_);
  csv.run_set_up(r.set_up(false));
  EXPECT_FALSE(fs::exists(dir_ / "steady.csv"));
}

TEST_F(CsvResultsTest, CrackRecordsOfADesiccationRun) {
  MadeUpRun r(1);
  CsvResults csv(dir_);
  csv.run_set_up(r.set_up(false));
  r.crack = CrackRecord{4.0, 0.25, 0.9, 0.8, 0.1, 0.2, 0.05, 0.001};
  csv.crack_recorded(CrackRecorded{CrackRecordKind::Deepened, r.crack, 0.125});
  csv.crack_recorded(CrackRecorded{CrackRecordKind::End, r.crack, 0.5});
  csv.run_ended(r.ended(EndReason::LastOutputTime, 0, 20.0, 2));
  const auto rows = rows_of(dir_ / "cracks.csv");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(read_table(dir_ / "cracks.csv").substr(0, CRACKS_HEADER.size()), CRACKS_HEADER);
  EXPECT_EQ(rows[1], (std::vector<std::string>{"4", "0.25", "0.125", "0.8", "0.1", "0.2", "0.9",
                                               "0.05", "0.001", "deepened"}));
  EXPECT_EQ(rows[2][2], "0.5");
  EXPECT_EQ(rows[2][9], "end");
}

// A value that is not finite stays in the table as a word.
TEST_F(CsvResultsTest, NonFiniteValuesAreWords) {
  MadeUpRun r(2);
  CsvResults csv(dir_);
  csv.run_set_up(r.set_up(false));
  csv.report_written(r.report(ReportKind::Start, 0, 0.0));
  csv.step_accepted(r.step(1, 5.0, std::nan("")));
  csv.run_ended(r.ended(EndReason::NumericalFailure, 3, 5.0, 0));
  EXPECT_EQ(rows_of(dir_ / "history.csv")[2][5], "NaN");
}

TEST_F(CsvResultsTest, SummaryNamesTheAnswersTheDerivedValuesAndTheEnd) {
  MadeUpRun r(2);
  CsvResults csv(dir_);
  run_to_the_last_output_time(csv, r);
  const std::string json = read_table(dir_ / "summary.json");
  for (const char* part :
       {"\"program\": \"slurry1d\"", "\"version\": \"", "\"A1\": 7,", "\"B1\": -0.2,",
        "\"ITOP\": 2,", "\"LT\": 0,", "\"IBOT\": 1,", "\"OPT\": [10, 20],", "\"HTOT\": 1,",
        "\"reason\": \"last_output_time\"", "\"message\": \"the last output time was reached\"",
        "\"time\": 20,", "\"exit_status\": 0,", "\"output_times_not_reached\": []",
        "\"final_height\": 1,", "\"settlement\": 0,", "\"run_time_seconds\": "}) {
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  }
  const report::RunFacts& facts = csv.facts();
  EXPECT_EQ(facts.end.reason, "last_output_time");
  EXPECT_EQ(facts.answer("GS"), 2.65);
  ASSERT_FALSE(facts.derived.empty());
  EXPECT_EQ(facts.derived.front().name, "E0");
}

// A run stopped by a failure: its stop lines are the message, the output
// times after its time not reached.
TEST_F(CsvResultsTest, SummaryOfAFailedRun) {
  MadeUpRun r(2);
  r.stop_lines = {" the iteration kept diverging", "the files hold the state reached"};
  CsvResults csv(dir_);
  csv.run_set_up(r.set_up(false));
  csv.report_written(r.report(ReportKind::Start, 0, 0.0));
  csv.run_ended(r.ended(EndReason::NumericalFailure, 3, 12.5, 1));
  const std::string json = read_table(dir_ / "summary.json");
  EXPECT_NE(json.find("\"reason\": \"numerical_failure\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"message\": \"the iteration kept diverging; the files hold the state "
                      "reached\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"output_times_not_reached\": [20]"), std::string::npos) << json;
  EXPECT_NE(json.find("\"exit_status\": 3"), std::string::npos) << json;
}

TEST_F(CsvResultsTest, TableThatCannotBeCreatedStopsTheRun) {
  MadeUpRun r(2);
  CsvResults csv(dir_ / "missing");
  try {
    csv.run_set_up(r.set_up(false));
    FAIL() << "no stop";
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.exit_status(), 4);
    EXPECT_NE(std::string(stop.what()).find("history.csv"), std::string::npos);
  }
  // The stop itself carries the message and the status.
  RecordWriter errors;
  EXPECT_EQ(csv.final_status(4, errors), 4);
  EXPECT_NE(csv.failure().find("cannot create"), std::string::npos);
}

// summary.json written last: its failure turns a run that gave its answer
// into status 4, with a message that names it.
TEST_F(CsvResultsTest, SummaryThatCannotBeWrittenIsStatusFour) {
  fs::create_directory(dir_ / "summary.json");
  MadeUpRun r(2);
  CsvResults csv(dir_);
  run_to_the_last_output_time(csv, r);
  std::ostringstream messages;
  RecordWriter errors(messages);
  EXPECT_EQ(csv.final_status(0, errors), 4);
  EXPECT_NE(messages.str().find("slurry1d: cannot create "), std::string::npos);
  EXPECT_NE(messages.str().find("summary.json"), std::string::npos);
  EXPECT_EQ(csv.final_status(3, errors), 3) << "a failed run keeps its status";
}

TEST_F(CsvResultsTest, EveryFileWrittenKeepsStatusZero) {
  MadeUpRun r(2);
  CsvResults csv(dir_);
  run_to_the_last_output_time(csv, r);
  std::ostringstream messages;
  RecordWriter errors(messages);
  EXPECT_EQ(csv.final_status(0, errors), 0);
  EXPECT_EQ(messages.str(), "");
  EXPECT_EQ(csv.failure(), "");
}

}  // namespace
}  // namespace slurry1d::results
