// What a verification shows, on a table made by hand: verify.csv holds one
// row per output time compared with every field of its header, at full
// precision; the console marks orders not observed and says what the runs did;
// the report section is one table with a row per output time.

#include "verify/verify_output.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "charts/xml_check.hpp"
#include "platform/number_text.hpp"
#include "report/report.hpp"
#include "report/sample_results.hpp"

namespace slurry1d::verify {
namespace {

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, ',')) out.push_back(field);
  if (!line.empty() && line.back() == ',') out.emplace_back();
  return out;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Two output times: one within 1 % with both orders observed, one whose order
// in time is not defined and whose verdict asks for refinement.
VerifyTable sample_table() {
  VerifyTable t;
  for (std::size_t k = 0; k < RUN_COUNT; ++k) t.controls[k] = controls_of(ALL_ROLES[k], {});
  VerifyRow within;
  within.output_index = 1;
  within.time = 10.0;
  within.height = {4.9, 4.91, 4.915, 4.901, 4.9012};
  within.settlement = 0.1;
  within.in_time = {1.0, true, -2e-4, 2.5e-4};
  within.in_space = {2.0, true, 1e-4, 1.25e-4};
  within.total_error = -1e-4;
  within.total_gci = 3.75e-4;
  within.verdict.within = true;
  within.verdict.suggested = {1.0, 501};
  VerifyRow refine = within;
  refine.output_index = 2;
  refine.time = 100.0;
  refine.settlement = 0.3;
  refine.in_time = {std::nan(""), false, 0.1 / 3.0, 0.1};
  refine.total_error = 0.1 / 3.0 + 1e-4;
  refine.total_gci = 0.1 + 1.25e-4;
  refine.verdict.within = false;
  refine.verdict.suggested = {40.0, 501};
  t.rows = {within, refine};
  t.notes = {
      "the runs ended differently: they are compared up to t = 100, the last output time "
      "they all reached"};
  t.suggested = {40.0, 501};
  return t;
}

TEST(VerifyCsv, OneRowPerOutputTimeWithEveryFieldOfTheHeader) {
  const std::vector<std::string> lines = lines_of(csv_text(sample_table()));
  ASSERT_EQ(lines.size(), 3u);
  const std::vector<std::string> header = fields(lines[0]);
  EXPECT_EQ(header.size(), 21u);
  EXPECT_EQ(header[0], "time");
  EXPECT_EQ(header[15], "estimated_total_error_of_settlement_in_length_units");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(fields(lines[i]).size(), header.size()) << lines[i];
  }
  const auto column = [&](const std::string& name, std::size_t row) {
    for (std::size_t c = 0; c < header.size(); ++c) {
      if (header[c] == name) return fields(lines[row])[c];
    }
    return std::string("missing column ") + name;
  };
  EXPECT_EQ(column("time", 2), "100");
  EXPECT_EQ(column("height_nodes_quadrupled", 1), "4.9012");
  EXPECT_EQ(column("order_in_time", 2), "") << "an order that is not defined is left empty";
  EXPECT_EQ(column("order_observed_in_time", 2), "0");
  EXPECT_EQ(column("order_observed_in_space", 2), "1");
  EXPECT_EQ(column("within_1_percent", 1), "1");
  EXPECT_EQ(column("within_1_percent", 2), "0");
  EXPECT_EQ(column("suggested_step_factor", 2), "40");
  EXPECT_EQ(column("suggested_nodes", 2), "501");
  // Full precision: the field reads back to the same double.
  double total = 0.0;
  ASSERT_EQ(platform::read_double(column("estimated_total_error_of_settlement_in_length_units", 2),
                                  total),
            platform::NumberRead::Ok);
  EXPECT_EQ(total, 0.1 / 3.0 + 1e-4);
}

TEST(VerifyCsv, IsWrittenIntoTheOutputDirectory) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "slurry1d-verify-output-test";
  std::filesystem::create_directories(dir);
  ASSERT_TRUE(write_verify_csv(sample_table(), dir));
  {
    // Closed before the directory is removed: Windows keeps an open file.
    std::ifstream in(dir / "verify.csv", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), csv_text(sample_table()));
  }
  std::filesystem::remove_all(dir);
  EXPECT_FALSE(write_verify_csv(sample_table(), dir / "no" / "such" / "directory"));
}

bool contains(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST(VerifyConsole, ShowsHeightsErrorsVerdictsAndNotes) {
  const std::vector<std::string> lines = console_lines(sample_table());
  EXPECT_TRUE(contains(lines,
                       "the run as given (--step-factor 1 --nodes 501), its steps / 2 and "
                       "/ 4 (--step-factor 2, 4), its nodes x 2 and x 4 (--nodes 1001, "
                       "2001)"));
  EXPECT_TRUE(contains(lines, "     as given    steps / 2    steps / 4    nodes x 2    nodes x 4"));
  EXPECT_TRUE(contains(lines,
                       "           10          4.9         4.91        4.915        4.901"
                       "       4.9012"));
  EXPECT_TRUE(contains(lines, "  within 1 %"));
  EXPECT_TRUE(contains(lines, "  --step-factor 40 --nodes 501"));
  EXPECT_TRUE(contains(lines, "     -*")) << "an order not defined, marked";
  EXPECT_TRUE(contains(lines, " * order not observed"));
  EXPECT_TRUE(contains(lines, "compared up to t = 100"));
  EXPECT_EQ(lines.back(),
            " to bring every output time within 1 %, the observed orders ask for --step-factor "
            "40 --nodes 501 (verify again with them)");
}

TEST(VerifyConsole, NoFootnoteWhereEveryOrderIsObserved) {
  VerifyTable t = sample_table();
  t.rows.pop_back();
  t.notes.clear();
  t.all_within = true;
  const std::vector<std::string> lines = console_lines(t);
  EXPECT_FALSE(contains(lines, "order not observed"));
  EXPECT_EQ(lines.back(), " every output time compared is within 1 % of the settlement");
}

TEST(VerifyReport, OneTableRowPerOutputTimeAndTheNotes) {
  const std::string html = report_section(sample_table());
  EXPECT_EQ(html.rfind("<h2>Accuracy</h2>", 0), 0u);
  std::size_t rows = 0;
  for (std::size_t at = html.find("<tr>"); at != std::string::npos;
       at = html.find("<tr>", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 3u) << "the head and two output times";
  EXPECT_NE(html.find("- (order not observed)"), std::string::npos);
  EXPECT_NE(html.find("<td>within 1 %</td>"), std::string::npos);
  EXPECT_NE(html.find("compared up to t = 100"), std::string::npos);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_NE(html.find("<th>time</th><th>settlement</th>"), std::string::npos);
  // With the units of the answers in the heads of the columns.
  const std::string with_units = report_section(sample_table(), "days", "m");
  EXPECT_NE(with_units.find("<th>time [days]</th><th>settlement [m]</th><th>order in time</th>"
                            "<th>GCI in time [m]</th>"),
            std::string::npos);
  EXPECT_NE(with_units.find("<th>estimated error [m]</th><th>GCI / settlement</th>"),
            std::string::npos);
}

TEST(VerifyReport, TheReportPageTakesTheSectionAsItIs) {
  const auto dir = std::filesystem::temp_directory_path() / "slurry1d-verify-report-section";
  std::filesystem::remove_all(dir);
  test::write_sample_run(dir);
  report::RunFacts facts = test::sample_facts();
  facts.accuracy_section = report_section(sample_table());
  ASSERT_TRUE(report::write_report(dir, facts).ok());
  std::ostringstream page;
  {
    std::ifstream in(dir / "report.html");  // closed before the directory is removed (Windows)
    page << in.rdbuf();
  }
  EXPECT_NE(page.str().find("<section id=\"accuracy\">\n" + facts.accuracy_section + "</section>"),
            std::string::npos);
  EXPECT_EQ(test::xml_problem(page.str(), true), "");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace slurry1d::verify
