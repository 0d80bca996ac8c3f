#include "compare/compare_command.hpp"

#include <algorithm>
#include <fstream>
#include <system_error>
#include <vector>

#include "compare/compare_page.hpp"
#include "compare/study_run.hpp"
#include "compare/study_table.hpp"
#include "report/report_charts.hpp"

namespace slurry1d::compare {
namespace {

namespace fs = std::filesystem;

bool write_file(const fs::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << text;
  file.close();
  return !file.fail();
}

std::string number_or_dash(const std::optional<double>& v) {
  return v ? report::format_value(*v) : std::string("-");
}

std::string values_or_dash(const std::optional<std::vector<double>>& values) {
  if (!values) return "-";
  std::string text;
  for (const double v : *values) text += (text.empty() ? "" : " ") + report::format_value(v);
  return text;
}

// The table on the console, in aligned columns.
void print_table(const StudyTable& table, std::ostream& out) {
  std::vector<std::vector<std::string>> lines;
  std::vector<std::string> head = {"run"};
  head.insert(head.end(), table.varied_names.begin(), table.varied_names.end());
  for (const char* name : {"final height", "settlement", "t90", "end"}) head.emplace_back(name);
  lines.push_back(head);
  for (const StudyRow& row : table.rows) {
    std::vector<std::string> line = {row.run};
    for (const auto& v : row.varied) line.push_back(values_or_dash(v));
    line.push_back(number_or_dash(row.final_height));
    line.push_back(number_or_dash(row.settlement));
    line.push_back(number_or_dash(row.time_to_90_percent));
    line.push_back(row.end.reason +
                   (row.end.exit_status != 0
                        ? " (exit status " + std::to_string(row.end.exit_status) + ")"
                        : ""));
    lines.push_back(std::move(line));
  }
  std::vector<std::size_t> width(head.size(), 0);
  for (const auto& line : lines) {
    for (std::size_t c = 0; c < line.size(); ++c) width[c] = std::max(width[c], line[c].size());
  }
  for (const auto& line : lines) {
    std::string text;
    for (std::size_t c = 0; c < line.size(); ++c) {
      const bool last = c + 1 == line.size();
      // Names and words to the left, numbers to the right.
      const bool left = c == 0 || last;
      const std::string pad(width[c] - line[c].size(), ' ');
      text += left ? line[c] + (last ? "" : pad) : pad + line[c];
      if (!last) text += "  ";
    }
    out << ' ' << text << '\n';
  }
}

}  // namespace

int run_compare(std::span<const std::string> run_dirs, const fs::path& out_dir, std::ostream& out,
                std::ostream& err) {
  if (run_dirs.empty()) {
    err << "slurry1d compare: no run directory given\n";
    return 2;
  }
  std::vector<StudyRun> runs;
  bool refused = false;
  for (const std::string& dir : run_dirs) {
    try {
      runs.push_back(read_study_run(dir, dir));
    } catch (const RunDirectoryError& e) {
      err << "slurry1d compare: " << dir << ": " << e.what() << '\n';
      refused = true;
    }
  }
  if (refused) return 2;

  runs = in_study_order(std::move(runs));
  const StudyTable table = build_study_table(runs);
  std::error_code ec;
  fs::create_directories(out_dir, ec);
  if (ec || !fs::is_directory(out_dir, ec)) {
    err << "slurry1d compare: cannot create the output directory " << out_dir.string() << '\n';
    return 4;
  }
  const fs::path csv = out_dir / "summary.csv";
  const fs::path page = out_dir / "compare.html";
  for (const auto& [path, text] :
       {std::pair{csv, summary_csv(table)}, std::pair{page, compare_page(runs, table)}}) {
    if (!write_file(path, text)) {
      err << "slurry1d compare: " << path.string() << " could not be written\n";
      return 4;
    }
  }
  print_table(table, out);
  out << " wrote " << csv.string() << " and " << page.string() << '\n';
  return 0;
}

}  // namespace slurry1d::compare
