#include "compare/compare_command.hpp"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "compare/compare_page.hpp"
#include "compare/study_run.hpp"
#include "compare/study_table.hpp"

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
  return v ? display_number(*v) : std::string("-");
}

std::string values_or_dash(const std::optional<std::vector<double>>& values) {
  if (!values) return "-";
  std::string text;
  for (const double v : *values) text += (text.empty() ? "" : " ") + display_number(v);
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

constexpr std::string_view USAGE[] = {
    "usage: slurry1d compare RUNDIR... -o OUTDIR",
    "",
    "Compares runs made with --csv, one directory each (e.g. the runs of a study",
    "started by GNU parallel). Writes into OUTDIR (created when missing):",
    "  compare.html  the settlement of every run against time and log time and its",
    "                final void-ratio profile, overlaid, with the table below",
    "  summary.csv   one row per run: the answers that differ between the runs,",
    "                final_height, settlement, time_to_90_percent_settlement,",
    "                end_reason, exit_status, end_time",
    "Runs that failed or were interrupted are in the table with how they ended and",
    "have no curve. The table is printed on standard output as well.",
    "",
    "example: a 3 x 3 study of C and D on two cores, then its comparison",
    "  parallel -j2 slurry1d --csv --quiet --set C={1} --set D={2} \\",
    "      -o runs/C{1}_D{2} base.txt ::: 3.4e-7 6.8e-7 1.36e-6 ::: 3.5 4.0 4.5",
    "  slurry1d compare runs/* -o comparison",
    "",
    "exit status: 0 the comparison was written, 2 a directory that is not a run",
    "made with --csv or cannot be read (each is named), a missing -o or no run",
    "directory, 4 OUTDIR or a file in it could not be written.",
};

int refuse(std::ostream& err, const std::string& why) {
  err << "slurry1d compare: " << why << '\n' << USAGE[0] << '\n';
  return 2;
}

bool starts_with(std::string_view text, std::string_view start) {
  return text.substr(0, start.size()) == start;
}

}  // namespace

std::span<const std::string_view> compare_usage() {
  return USAGE;
}

int compare_main(std::span<const char* const> args, std::ostream& out, std::ostream& err) {
  std::vector<std::string> run_dirs;
  std::optional<std::string> out_dir;
  bool options_ended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (options_ended || arg.empty() || arg[0] != '-' || arg == "-") {
      run_dirs.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
    } else if (arg == "--help" || arg == "-h") {
      for (const std::string_view line : USAGE) out << line << '\n';
      return 0;
    } else if (arg == "-o" || arg == "--output-dir") {
      if (i + 1 >= args.size()) return refuse(err, std::string(arg) + " needs a directory");
      out_dir = args[++i];
    } else if (starts_with(arg, "--output-dir=")) {
      out_dir = std::string(arg.substr(13));
    } else if (starts_with(arg, "-o")) {
      out_dir = std::string(arg.substr(2));
    } else {
      return refuse(err, "unknown option '" + std::string(arg) + "'");
    }
    if (out_dir && out_dir->empty()) return refuse(err, "the output directory needs a name");
  }
  if (run_dirs.empty()) return refuse(err, "no run directory given");
  if (!out_dir)
    return refuse(err, "-o OUTDIR is missing: the directory to write the comparison into");
  return run_compare(run_dirs, *out_dir, out, err);
}

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
