// Reading one run of a study back from its directory.

#include "compare/study_run.hpp"

#include <gtest/gtest.h>

#include "compare/json.hpp"
#include "compare/study_fixture.hpp"

namespace slurry1d::compare {
namespace {

using test::MadeUpRun;
using test::TempDir;

TEST(StudyRun, ReadsARunThatGaveItsAnswer) {
  const TempDir tmp("slurry1d-study-run");
  const MadeUpRun made = test::made_up(2e-6, 5.0);
  test::write_made_up_run(tmp.path() / "a", made);
  const StudyRun run = read_study_run(tmp.path() / "a", "runs/a");
  EXPECT_EQ(run.name, "runs/a");
  EXPECT_TRUE(run.gave_answer());
  ASSERT_GE(run.summary.answers.size(), 4u);
  EXPECT_EQ(run.summary.answers[2].name, "C");
  EXPECT_EQ(run.summary.answers[2].values, std::vector<double>{2e-6});
  EXPECT_EQ(run.summary.answers[3].values, std::vector<double>{5.0});
  const double s = test::made_up_settlement(made, 1000.0);
  EXPECT_EQ(run.summary.final_height, test::MADE_UP_H0 - s);
  EXPECT_EQ(run.summary.settlement, s);
  EXPECT_EQ(run.summary.end.reason, "last_output_time");
  EXPECT_EQ(run.summary.end.time, 1000.0);
  ASSERT_TRUE(run.history);
  EXPECT_EQ(run.history->time.size(), test::made_up_times().size());
  EXPECT_EQ(run.history->settlement.back(), s);
  ASSERT_TRUE(run.final_profile);
  EXPECT_EQ(run.final_profile->time, 1000.0);
  ASSERT_EQ(run.final_profile->elevation.size(), 5u);
  EXPECT_EQ(run.final_profile->elevation.back(), test::MADE_UP_H0 - s);
}

TEST(StudyRun, AFailedRunHasItsEndAndNoCurves) {
  const TempDir tmp("slurry1d-study-run");
  MadeUpRun made;
  made.exit_status = 3;
  made.reason = "numerical_failure";
  made.end_time = 12.5;
  test::write_made_up_run(tmp.path() / "failed", made);
  const StudyRun run = read_study_run(tmp.path() / "failed", "failed");
  EXPECT_FALSE(run.gave_answer());
  EXPECT_EQ(run.summary.end.exit_status, 3);
  EXPECT_EQ(run.summary.end.reason, "numerical_failure");
  EXPECT_EQ(run.summary.end.time, 12.5);
  EXPECT_FALSE(run.summary.final_height);
  EXPECT_FALSE(run.history);
  EXPECT_FALSE(run.final_profile);
}

TEST(StudyRun, AnInterruptedRunIsNotDrawnAlthoughItsTablesAreThere) {
  const TempDir tmp("slurry1d-study-run");
  MadeUpRun made;
  made.exit_status = 130;
  made.reason = "interrupted";
  made.end_time = 50;
  test::write_made_up_run(tmp.path() / "stopped", made);
  const StudyRun run = read_study_run(tmp.path() / "stopped", "stopped");
  EXPECT_FALSE(run.gave_answer());
  EXPECT_TRUE(run.summary.final_height);
  EXPECT_FALSE(run.history);
}

TEST(StudyRun, TheFinalProfileIsTheEndSnapshot) {
  std::vector<report::ProfileSnapshot> ps = {
      {0, report::ProfileEvent::Start, {0, 1}, {5, 5}, {}, {}},
      {10, report::ProfileEvent::Output, {0, 0.9}, {4, 5}, {}, {}},
      {7, report::ProfileEvent::End, {0, 0.95}, {4.5, 5}, {}, {}},
  };
  const auto end = final_profile_of(ps);
  ASSERT_TRUE(end);
  EXPECT_EQ(end->time, 7.0);
  EXPECT_EQ(end->void_ratio, (std::vector<double>{4.5, 5}));
  ps.pop_back();
  EXPECT_EQ(final_profile_of(ps)->time, 10.0);
  EXPECT_FALSE(final_profile_of({}));
}

TEST(StudyRun, ReadsUnitsWhenTheSummaryGivesThem) {
  MadeUpRun made;
  made.units = R"("units": {"length": "m", "time": "days"}, )";
  const RunSummary s = parse_run_summary(test::made_up_summary(made));
  EXPECT_EQ(s.units.length, "m");
  EXPECT_EQ(s.units.time, "days");
  EXPECT_EQ(parse_run_summary(test::made_up_summary({})).units.length, "L");
}

// Every way a directory can fail to be a run's, and the file the message names.
TEST(StudyRun, RefusesWhatIsNotARunAndSaysWhy) {
  const TempDir tmp("slurry1d-study-run");
  const auto dir = [&](const char* name) {
    const auto d = tmp.path() / name;
    test::write_made_up_run(d, {});
    return d;
  };
  struct Case {
    const char* name;
    std::function<void(const std::filesystem::path&)> spoil;
    const char* message_part;
  };
  const std::vector<Case> cases = {
      {"no-summary", [](const auto& d) { std::filesystem::remove(d / "summary.json"); },
       "no summary.json"},
      {"not-json", [](const auto& d) { test::write_text_file(d / "summary.json", "{\"a\": }"); },
       "summary.json line 1 column 7"},
      {"other-program",
       [](const auto& d) {
         test::write_text_file(d / "summary.json", R"({"program": "other", "answers": {}})");
       },
       "not the summary of a slurry1d run"},
      {"no-end",
       [](const auto& d) {
         test::write_text_file(d / "summary.json", R"({"program": "slurry1d", "answers": {}})");
       },
       "no \"end\""},
      {"status-not-whole",
       [](const auto& d) {
         test::write_text_file(d / "summary.json",
                               R"({"program": "slurry1d", "answers": {},
                                   "end": {"reason": "unstable", "exit_status": 2.5}})");
       },
       "not a whole number"},
      {"answer-text",
       [](const auto& d) {
         test::write_text_file(d / "summary.json",
                               R"({"program": "slurry1d", "answers": {"C": "small"},
                                   "end": {"reason": "unstable", "exit_status": 3}})");
       },
       "answer C is neither a number nor a list"},
      {"no-history", [](const auto& d) { std::filesystem::remove(d / "history.csv"); },
       "history.csv: missing"},
      {"no-profiles", [](const auto& d) { std::filesystem::remove(d / "profiles.csv"); },
       "profiles.csv: missing"},
      {"short-row",
       [](const auto& d) { std::ofstream(d / "history.csv", std::ios::app) << "11,2000,1.5\n"; },
       "history.csv line 13"},
  };
  for (const Case& c : cases) {
    const auto d = dir(c.name);
    c.spoil(d);
    try {
      read_study_run(d, c.name);
      ADD_FAILURE() << c.name << ": read as a run";
    } catch (const RunDirectoryError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos)
          << c.name << ": " << e.what();
    }
  }
  EXPECT_THROW(read_study_run(tmp.path() / "absent", "absent"), RunDirectoryError);
  test::write_text_file(tmp.path() / "file", "x");
  EXPECT_THROW(read_study_run(tmp.path() / "file", "file"), RunDirectoryError);
}

}  // namespace
}  // namespace slurry1d::compare
