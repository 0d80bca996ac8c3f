// The table of a study: the varied answers, the time to 90 % of the final
// settlement, the order of the rows and summary.csv.

#include "compare/study_table.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace slurry1d::compare {
namespace {

StudyRun run_of(std::string name, std::vector<report::NamedValue> answers, int status = 0) {
  StudyRun r;
  r.name = std::move(name);
  r.summary.answers = std::move(answers);
  r.summary.end = {status == 0 ? "last_output_time" : "numerical_failure", "", 100.0, status, {}};
  if (status == 0) {
    r.summary.final_height = 1.5;
    r.summary.settlement = 0.5;
    r.history = report::History{{0, 10, 20}, {2, 1.6, 1.5}, {0, 0.4, 0.5}, {}, {}, {}};
  }
  return r;
}

TEST(StudyTable, VariedAnswersAreThoseThatDifferAnywhere) {
  const std::vector<StudyRun> runs = {
      run_of("a", {{"A1", {7}}, {"C", {1e-6}}, {"D", {4}}, {"OPT", {10, 100}}}),
      run_of("b", {{"A1", {7}}, {"C", {2e-6}}, {"D", {4}}, {"OPT", {10, 100}}}),
      run_of("c", {{"A1", {7}}, {"C", {1e-6}}, {"D", {4}}, {"OPT", {10, 100, 1000}}, {"HB", {1}}}),
  };
  EXPECT_EQ(varied_answer_names(runs), (std::vector<std::string>{"C", "OPT", "HB"}));
  EXPECT_TRUE(varied_answer_names(std::span(runs).first(1)).empty());
  EXPECT_TRUE(varied_answer_names({}).empty());
  // Two NaN are the same answer.
  const std::vector<StudyRun> nan = {run_of("a", {{"X", {std::nan("")}}}),
                                     run_of("b", {{"X", {std::nan("")}}})};
  EXPECT_TRUE(varied_answer_names(nan).empty());
}

TEST(StudyTable, TimeToAFractionOfTheFinalSettlement) {
  using report::History;
  struct Case {
    const char* what;
    History h;
    std::optional<double> t90;
  };
  const std::vector<Case> cases = {
      // 0.9 of 1 reached between t = 10 (0.8) and t = 20 (1.0): halfway.
      {"interpolated", {{0, 10, 20}, {}, {0, 0.8, 1.0}, {}, {}, {}}, 15.0},
      {"on a row", {{0, 10, 20, 30}, {}, {0, 0.5, 0.9, 1.0}, {}, {}, {}}, 20.0},
      // Measured from the start of the run, not from t = 0.
      {"continued run", {{100, 110, 120}, {}, {0, 0.8, 1.0}, {}, {}, {}}, 15.0},
      {"swelling", {{0, 10, 20}, {}, {0, -0.8, -1.0}, {}, {}, {}}, 15.0},
      // The first time it gets there, though it later falls back.
      {"overshoot", {{0, 10, 20, 30}, {}, {0, 0.6, 1.2, 1.0}, {}, {}, {}}, 15.0},
      {"no settlement", {{0, 10}, {}, {0, 0}, {}, {}, {}}, std::nullopt},
      {"empty", {}, std::nullopt},
      {"one row", {{5}, {}, {0.3}, {}, {}, {}}, 0.0},
  };
  for (const Case& c : cases) {
    const auto t = time_to_settlement_fraction(c.h, 0.9);
    ASSERT_EQ(t.has_value(), c.t90.has_value()) << c.what;
    if (t) {
      EXPECT_NEAR(*t, *c.t90, 1e-12) << c.what;
    }
  }
}

TEST(StudyTable, RowsFollowTheVariedAnswersNumerically) {
  std::vector<StudyRun> runs = {
      run_of("C2_D5", {{"C", {2e-6}}, {"D", {5}}}), run_of("C10_D4", {{"C", {1e-5}}, {"D", {4}}}),
      run_of("C2_D4", {{"C", {2e-6}}, {"D", {4}}}), run_of("noC", {{"D", {3}}}),
      run_of("C2_D4_again", {{"C", {2e-6}}, {"D", {4}}})};
  const auto ordered = in_study_order(std::move(runs));
  std::vector<std::string> names;
  for (const StudyRun& r : ordered) names.push_back(r.name);
  EXPECT_EQ(names, (std::vector<std::string>{"C2_D4", "C2_D4_again", "C2_D5", "C10_D4", "noC"}));
}

TEST(StudyTable, RowsHoldTheAnswersOfRunsThatGaveOne) {
  std::vector<StudyRun> runs = {run_of("ok", {{"C", {1e-6}}}),
                                run_of("failed", {{"C", {2e-6}}}, 3)};
  runs[1].summary.final_height = 0.0;  // a failed run's height is not its answer
  const StudyTable t = build_study_table(runs);
  ASSERT_EQ(t.rows.size(), 2u);
  EXPECT_EQ(t.rows[0].final_height, 1.5);
  EXPECT_EQ(t.rows[0].settlement, 0.5);
  ASSERT_TRUE(t.rows[0].time_to_90_percent);
  EXPECT_NEAR(*t.rows[0].time_to_90_percent, 10 + 10 * (0.45 - 0.4) / 0.1, 1e-12);
  EXPECT_TRUE(t.rows[0].drawn);
  EXPECT_FALSE(t.rows[1].final_height);
  EXPECT_FALSE(t.rows[1].time_to_90_percent);
  EXPECT_FALSE(t.rows[1].drawn);
  EXPECT_EQ(t.rows[1].end.exit_status, 3);
}

TEST(StudyTable, SummaryCsvHoldsEveryNumberAtFullPrecision) {
  std::vector<StudyRun> runs = {
      run_of("runs/C1e-06_D4", {{"C", {1e-6}}, {"D", {4}}, {"OPT", {10, 100}}}),
      run_of("runs/a,b", {{"C", {6.8e-7}}, {"D", {4.5}}, {"OPT", {10, 100}}}),
      run_of("runs/failed", {{"C", {3e-6}}, {"D", {4}}}, 3),
  };
  runs[0].summary.final_height = 1.0 / 3.0;
  runs[2].summary.end.time = std::nullopt;
  const std::string csv = summary_csv(build_study_table(runs));
  EXPECT_EQ(csv,
            "run,C,D,OPT,final_height,settlement,time_to_90_percent_settlement,end_reason,"
            "exit_status,end_time\n"
            "runs/C1e-06_D4,1e-06,4,10 100,0.3333333333333333,0.5,15,last_output_time,0,100\n"
            "\"runs/a,b\",6.8e-07,4.5,10 100,1.5,0.5,15,last_output_time,0,100\n"
            "runs/failed,3e-06,4,,,,,numerical_failure,3,\n");
}

TEST(StudyTable, ShortestNumbersReadBackToTheSameDouble) {
  for (const double v : {0.1, 1.0 / 3.0, 6.8e-7, 5.073281234567891, -0.0, 1e300}) {
    EXPECT_EQ(std::stod(shortest_number(v)), v);
  }
  EXPECT_EQ(shortest_number(0.1), "0.1");
  EXPECT_EQ(shortest_number(std::nan("")), "NaN");
}

TEST(StudyTable, DisplayedNumbersHaveSixDigitsAndAPlainExponent) {
  struct Case {
    double v;
    const char* text;
  };
  const Case cases[] = {{3.4e-7, "3.4e-7"},
                        {1.36e-6, "1.36e-6"},
                        {1.5e6, "1.5e6"},
                        {29650, "29650"},
                        {5.0733612, "5.07336"},
                        {-2e-10, "-2e-10"},
                        {1e100, "1e100"},
                        {0, "0"},
                        {4, "4"}};
  for (const Case& c : cases) EXPECT_EQ(display_number(c.v), c.text) << c.v;
}

}  // namespace
}  // namespace slurry1d::compare
