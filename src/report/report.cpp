#include "report/report.hpp"

#include <fstream>
#include <system_error>

#include "charts/svg_chart.hpp"
#include "report/report_charts.hpp"
#include "report/report_page.hpp"
#include "report/result_table.hpp"
#include "report/run_results.hpp"

namespace slurry1d::report {
namespace {

bool write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  out.close();
  return !out.fail();
}

}  // namespace

ReportOutcome write_report(const std::filesystem::path& run_dir, const RunFacts& facts) {
  ReportOutcome outcome;
  RunResults results;
  try {
    results = read_run_results(run_dir);
  } catch (const ResultFileError& e) {
    outcome.problem = ReportProblem::UnreadableResults;
    outcome.error = e.what();
    return outcome;
  }
  const std::vector<ReportChart> charts = build_report_charts(results, facts);

  const auto fail = [&](const std::filesystem::path& path) {
    outcome.problem = ReportProblem::CannotWrite;
    outcome.error = path.string() + ": cannot be written";
    return outcome;
  };
  const std::filesystem::path page = run_dir / "report.html";
  if (!write_file(page, report_page(results, facts, charts))) return fail(page);
  outcome.files.push_back(page);

  std::error_code ec;
  std::filesystem::create_directories(run_dir / "charts", ec);
  for (const ReportChart& c : charts) {
    const std::filesystem::path file = run_dir / chart_file_name(c);
    if (!write_file(file, charts::render_svg(c.chart, {c.name, true}))) return fail(file);
    outcome.files.push_back(file);
  }
  return outcome;
}

}  // namespace slurry1d::report
