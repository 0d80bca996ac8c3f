// --report as a user runs it: the run's files as without it, the tables of
// --csv, and report.html, a page that needs nothing outside itself, with every
// chart also in charts/*.svg; the page of a failed run says how it ended; a
// verified run shows its accuracy; a page that cannot be written ends the
// program with status 4 after a run that gave its answer.

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "charts/xml_check.hpp"
#include "e2e/program_runner.hpp"

namespace slurry1d::e2e {
namespace {

namespace fs = std::filesystem;

std::set<std::string> chart_files(const ProgramRun& run) {
  std::set<std::string> names;
  if (!fs::exists(run.dir / "charts")) return names;
  for (const auto& entry : fs::directory_iterator(run.dir / "charts")) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Every reference out of the page: a URL other than the SVG namespace, an
// attribute that loads something, an element that fetches.
std::vector<std::string> references_out(const std::string& page) {
  std::vector<std::string> found;
  const std::regex outside(
      R"((https?:|ftp:|file:|//)[^"' )<]*|\b(src|href|xlink:href)\s*=|<(script|link|img|iframe|object|embed)\b|url\((?!#)|@import)");
  for (std::sregex_iterator it(page.begin(), page.end(), outside), end; it != end; ++it) {
    if (it->str() != "http://www.w3.org/2000/svg") found.push_back(it->str());
  }
  return found;
}

TEST(Report, ASelfContainedPageAndAChartFileForEveryChart) {
  const std::string answers = example("self_weight.txt");
  const ProgramRun plain = run_program(answers);
  const ProgramRun run = run_program(answers, "--report --units m,days,kPa answers.txt");
  ASSERT_EQ(run.status, 0) << run.errors;
  for (const char* name : {"input", "vd.out", "ts.out", "tc.out"}) {
    EXPECT_EQ(run.file(name), plain.file(name)) << name;
  }
  for (const char* table : {"history.csv", "profiles.csv", "steady.csv", "summary.json"}) {
    EXPECT_TRUE(run.has_file(table)) << table << ": --report writes the tables of --csv";
  }

  const std::string page = run.file("report.html");
  ASSERT_FALSE(page.empty());
  EXPECT_EQ(test::xml_problem(page, true), "");
  EXPECT_EQ(references_out(page), std::vector<std::string>{});
  EXPECT_NE(page.find("<title>slurry1d report: answers</title>"), std::string::npos);
  EXPECT_NE(page.find("<tr><th>How it ended</th><td>the top reached its steady-state height</td>"),
            std::string::npos);
  EXPECT_NE(page.find("<tr><th>At time</th><td>29650 days</td></tr>"), std::string::npos);
  EXPECT_NE(page.find("time t [days]"), std::string::npos);
  EXPECT_NE(page.find("permeability k [m/day]"), std::string::npos);

  const std::set<std::string> expected = {"height-time.svg",
                                          "height-log-time.svg",
                                          "void-ratio-profiles.svg",
                                          "excess-pore-pressure-profiles.svg",
                                          "effective-stress-profiles.svg",
                                          "compressibility.svg",
                                          "permeability.svg"};
  EXPECT_EQ(chart_files(run), expected);
  for (const std::string& name : expected) {
    const std::string svg = run.file("charts/" + name);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg", 0), 0u) << name;
    EXPECT_EQ(test::xml_problem(svg), "") << name;
    EXPECT_EQ(references_out(svg), std::vector<std::string>{}) << name;
    // The same chart stands in the page.
    const std::string id = name.substr(0, name.size() - 4);
    EXPECT_NE(page.find("id=\"" + id + "\">"), std::string::npos) << id;
  }
}

TEST(Report, ADesiccationRunAddsItsCracksAndTheFilesGoWhereMinusOSays) {
  const ProgramRun run = run_program(example("drying_crust.txt"), "--report -o out");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_FALSE(run.has_file("report.html"));
  EXPECT_TRUE(run.has_file("out/report.html"));
  EXPECT_TRUE(run.has_file("out/cracks.csv"));
  for (const char* name : {"crack-depth-crust.svg", "volumes.svg"}) {
    EXPECT_EQ(test::xml_problem(run.file(std::string("out/charts/") + name)), "") << name;
  }
  // Without --units the axes carry the dimensions.
  EXPECT_NE(run.file("out/report.html").find("time t [T]"), std::string::npos);
  EXPECT_NE(run.file("out/report.html").find("<title>slurry1d report: out</title>"),
            std::string::npos);
}

TEST(Report, TheReportOfAFailedRunSaysHowItEnded) {
  const ProgramRun run = run_program(
      read_file(fs::path(SLURRY1D_GOLDEN) / "cases" / "base_instability_in_the_loop.txt"),
      "--report");
  EXPECT_EQ(run.status, 3);
  const std::string page = run.file("report.html");
  EXPECT_NE(page.find("<tr><th>How it ended</th><td>no effective stress was left at the base</td>"),
            std::string::npos)
      << page.substr(0, 2000);
  EXPECT_NE(page.find("<tr><th>Exit status</th><td>3</td></tr>"), std::string::npos);
  EXPECT_FALSE(chart_files(run).empty());
}

TEST(Report, NoPageWithoutARunDefinition) {
  const ProgramRun run =
      run_program(read_file(fs::path(SLURRY1D_GOLDEN) / "cases" / "refused_gs.txt"), "--report");
  EXPECT_EQ(run.status, 2);
  EXPECT_FALSE(run.has_file("report.html"));
}

TEST(Report, AVerifiedRunShowsItsAccuracy) {
  const ProgramRun run = run_program(surcharge_example_to_day_10(), "--report --verify");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string page = run.file("report.html");
  const auto accuracy = page.find("<section id=\"accuracy\">\n<h2>Accuracy</h2>");
  ASSERT_NE(accuracy, std::string::npos);
  EXPECT_LT(page.find("<h2 id=\"end\">"), accuracy);
  // A row per output time compared, as in verify.csv.
  const std::string section = page.substr(accuracy, page.find("</section>", accuracy) - accuracy);
  std::size_t rows = 0;
  for (auto at = section.find("<tr><td>"); at != std::string::npos;
       at = section.find("<tr><td>", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, run.lines("verify.csv").size() - 1);
  EXPECT_EQ(test::xml_problem(page, true), "");
}

TEST(Report, APageThatCannotBeWrittenEndsWithStatusFour) {
  const ProgramRun run = run_program_in_prepared_directory(
      surcharge_example_to_day_10(), "--report",
      [](const fs::path& dir) { fs::create_directories(dir / "report.html"); });
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.errors.find("slurry1d: the report could not be written: ./report.html"),
            std::string::npos)
      << run.errors;
  EXPECT_TRUE(run.has_file("history.csv")) << "the tables are written all the same";
}

}  // namespace
}  // namespace slurry1d::e2e
