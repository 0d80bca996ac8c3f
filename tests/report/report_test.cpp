#include "report/report.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "charts/xml_check.hpp"
#include "report/report_page.hpp"
#include "report/sample_results.hpp"

namespace slurry1d::report {
namespace {

std::string read(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class ReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("slurry1d-report-" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    test::write_sample_run(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(ReportTest, WritesThePageAndOneSvgFilePerChart) {
  const auto outcome = write_report(dir_, test::sample_facts());
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  ASSERT_EQ(outcome.files.size(), 1u + 7u);
  EXPECT_EQ(outcome.files.front(), dir_ / "report.html");
  for (const char* name :
       {"height-time", "height-log-time", "void-ratio-profiles", "excess-pore-pressure-profiles",
        "effective-stress-profiles", "compressibility", "permeability"}) {
    const std::string svg = read(dir_ / "charts" / (std::string(name) + ".svg"));
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg", 0), 0u) << name;
    EXPECT_EQ(test::xml_problem(svg), "") << name;
  }
}

TEST_F(ReportTest, PageIsSelfContainedAndWellFormed) {
  ASSERT_TRUE(write_report(dir_, test::sample_facts()).ok());
  const std::string page = read(dir_ / "report.html");
  EXPECT_EQ(test::xml_problem(page, true), "");
  EXPECT_NE(page.find("content=\"default-src 'none'; style-src 'unsafe-inline'\""),
            std::string::npos);
  for (const char* outside : {"<script", "<link", "<img", "src=", "href=", "@import", "url(http"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
  // Every chart inline, in a figure that printing keeps on one page.
  EXPECT_EQ(page.find("<?xml"), std::string::npos);
  EXPECT_NE(page.find("<figure class=\"chart narrow\" id=\"void-ratio-profiles\">\n<svg"),
            std::string::npos);
  // The profiles print two to a row, the other charts at their own size.
  EXPECT_NE(page.find("<figure class=\"chart\" id=\"height-log-time\">\n<svg"), std::string::npos);
  EXPECT_NE(page.find("<figure class=\"chart\" id=\"permeability\">"), std::string::npos);
  EXPECT_NE(page.find("figure.chart.narrow { display: inline-block;"), std::string::npos);
  EXPECT_NE(page.find("@page { size: A4;"), std::string::npos);
  EXPECT_NE(page.find("figure.chart { margin: 0; break-inside: avoid;"), std::string::npos);
}

TEST_F(ReportTest, PageTellsHowTheRunEndedAndWhatWasAnswered) {
  ASSERT_TRUE(write_report(dir_, test::sample_facts()).ok());
  const std::string page = read(dir_ / "report.html");
  for (const char* row : {
           "<tr><th>How it ended</th><td>the top reached its steady-state height</td></tr>",
           "<tr><th>At time</th><td>2000 days</td></tr>",
           "<tr><th>Exit status</th><td>0</td></tr>",
           "<tr><th>Output times not reached</th><td>5000 days</td></tr>",
           "<tr><th>Final settlement</th><td>4 m</td></tr>",
           "<tr><th>Steady-state height</th><td>5 m</td></tr>",
           "<tr><th>GW</th><td>9.81</td><td>kN/m³</td><td>unit weight of water</td></tr>",
           "<tr><th>OPT</th><td>10, 100, 1000, 2000, 5000</td><td>days</td><td>output "
           "times</td></tr>",
           "<tr><th>C</th><td>6.8e-07</td><td>m/day</td>",
       }) {
    EXPECT_NE(page.find(row), std::string::npos) << row;
  }
}

TEST_F(ReportTest, EveryEndIsToldInWords) {
  const std::pair<const char*, const char*> ends[] = {
      {"last_output_time", "the last output time was reached"},
      {"steady_state_height", "the top reached its steady-state height"},
      {"minimum_void_ratio", "a node reached the minimum void ratio"},
      {"quiet_steps", "the column no longer changed"},
      {"unstable", "the run became unstable"},
      {"base_instability", "no effective stress was left at the base"},
      {"too_many_nodes", "a velocity boundary needed more nodes than the column holds"},
      {"refused_run", "the run definition was refused"},
      {"refused_input", "an answer was refused"},
      {"interrupted", "the run was interrupted"},
      {"numerical_failure", "the run failed numerically"},
      {"file_error", "a result file could not be written"},
      {"a_reason_not_known", "a_reason_not_known"},
  };
  RunFacts f = test::sample_facts();
  for (const auto& [reason, words] : ends) {
    f.end.reason = reason;
    ASSERT_TRUE(write_report(dir_, f).ok());
    EXPECT_NE(read(dir_ / "report.html")
                  .find("<tr><th>How it ended</th><td>" + std::string(words) + "</td></tr>"),
              std::string::npos)
        << reason;
  }
}

TEST_F(ReportTest, AccuracyOfAVerifiedRunFollowsHowItEnded) {
  RunFacts f = test::sample_facts();
  ASSERT_TRUE(write_report(dir_, f).ok());
  EXPECT_EQ(read(dir_ / "report.html").find("id=\"accuracy\""), std::string::npos);
  f.accuracy_section = "<h2>Accuracy</h2>\n<table class=\"verify\"><tr><td>1</td></tr></table>\n";
  ASSERT_TRUE(write_report(dir_, f).ok());
  const std::string page = read(dir_ / "report.html");
  const auto ended = page.find("<h2 id=\"end\">");
  const auto accuracy = page.find("<section id=\"accuracy\">\n<h2>Accuracy</h2>");
  const auto definition = page.find("<h2 id=\"definition\">");
  ASSERT_NE(accuracy, std::string::npos);
  EXPECT_LT(ended, accuracy);
  EXPECT_LT(accuracy, definition);
  EXPECT_EQ(test::xml_problem(page, true), "");
}

TEST_F(ReportTest, ARunThatEndedBeforeItsStartHasNothingToChartAndSaysSo) {
  test::write_text(dir_ / "history.csv",
                   std::string(test::SAMPLE_HISTORY)
                       .substr(0, std::string(test::SAMPLE_HISTORY).find('\n') + 1));
  test::write_text(dir_ / "profiles.csv",
                   std::string(test::SAMPLE_PROFILES)
                       .substr(0, std::string(test::SAMPLE_PROFILES).find('\n') + 1));
  std::filesystem::remove(dir_ / "steady.csv");
  RunFacts f = test::sample_facts();
  f.end = {"base_instability", "MATERIAL INSTABILITY DUE TO HIGH PRESSURE  AT BOTTOM", 0.0, 3, {}};
  const auto outcome = write_report(dir_, f);
  ASSERT_TRUE(outcome.ok()) << outcome.error;
  EXPECT_EQ(outcome.files.size(), 1u);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "charts"));
  const std::string page = read(dir_ / "report.html");
  EXPECT_NE(
      page.find("<p class=\"no-charts\">The run ended before its starting state was recorded"),
      std::string::npos);
  EXPECT_EQ(page.find("<figure"), std::string::npos);
  EXPECT_NE(page.find("<tr><th>Message</th><td><code>MATERIAL INSTABILITY"), std::string::npos);
  EXPECT_EQ(test::xml_problem(page, true), "");
}

TEST_F(ReportTest, ChartsOfAnEarlierReportThatThisRunDoesNotDrawAreRemoved) {
  std::filesystem::create_directories(dir_ / "charts");
  test::write_text(dir_ / "charts" / "crack-depth-crust.svg", "<svg/>");
  test::write_text(dir_ / "charts" / "notes.txt", "mine");
  ASSERT_TRUE(write_report(dir_, test::sample_facts()).ok());
  EXPECT_FALSE(std::filesystem::exists(dir_ / "charts" / "crack-depth-crust.svg"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "charts" / "notes.txt"));
  EXPECT_TRUE(std::filesystem::exists(dir_ / "charts" / "height-time.svg"));
}

TEST_F(ReportTest, AMessageThatSaysNoMoreThanTheEndIsNotRepeated) {
  RunFacts f = test::sample_facts();
  f.end.message = "the top reached its steady-state height";
  ASSERT_TRUE(write_report(dir_, f).ok());
  EXPECT_EQ(read(dir_ / "report.html").find("<tr><th>Message</th>"), std::string::npos);
}

TEST_F(ReportTest, TheProfileOfALastRunIsNamedWithItsUnits) {
  RunFacts f = test::sample_facts();
  f.answers.push_back({"e", {4.2, 11.09}, true});
  f.answers.push_back({"z", {5.07, 0}, true});
  ASSERT_TRUE(write_report(dir_, f).ok());
  const std::string page = read(dir_ / "report.html");
  EXPECT_NE(page.find("<tr><th>e</th><td>4.2, 11.09</td><td>–</td><td>void ratios of the last "
                      "run&#39;s profile, from the top down</td></tr>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><th>z</th><td>5.07, 0</td><td>m</td>"), std::string::npos);
}

TEST_F(ReportTest, NamesAreEscaped) {
  RunFacts f = test::sample_facts();
  f.name = "a<b & \"c\"";
  f.answers.push_back({"<X>", {1}});
  ASSERT_TRUE(write_report(dir_, f).ok());
  const std::string page = read(dir_ / "report.html");
  EXPECT_NE(page.find("<h1>slurry1d report: a&lt;b &amp; &quot;c&quot;</h1>"), std::string::npos);
  EXPECT_NE(page.find("<tr><th>&lt;X&gt;</th><td>1</td><td></td><td></td></tr>"),
            std::string::npos);
  EXPECT_EQ(test::xml_problem(page, true), "");
}

TEST_F(ReportTest, MissingTableIsReportedByName) {
  std::filesystem::remove(dir_ / "profiles.csv");
  const auto outcome = write_report(dir_, test::sample_facts());
  EXPECT_EQ(outcome.problem, ReportProblem::UnreadableResults);
  EXPECT_EQ(outcome.error, "profiles.csv: cannot be opened");
  EXPECT_FALSE(std::filesystem::exists(dir_ / "report.html"));
}

TEST_F(ReportTest, PageThatCannotBeWrittenIsReported) {
  std::filesystem::create_directories(dir_ / "report.html");
  const auto outcome = write_report(dir_, test::sample_facts());
  EXPECT_EQ(outcome.problem, ReportProblem::CannotWrite);
  EXPECT_NE(outcome.error.find("report.html: cannot be written"), std::string::npos);
}

TEST_F(ReportTest, ChartFileThatCannotBeWrittenIsReported) {
  std::filesystem::create_directories(dir_ / "charts" / "permeability.svg");
  const auto outcome = write_report(dir_, test::sample_facts());
  EXPECT_EQ(outcome.problem, ReportProblem::CannotWrite);
  EXPECT_NE(outcome.error.find("permeability.svg: cannot be written"), std::string::npos);
}

}  // namespace
}  // namespace slurry1d::report
