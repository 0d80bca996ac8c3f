// `slurry1d compare` on made-up run directories: the files it writes, the
// page's content and styles, and its exit statuses.

#include "compare/compare_command.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "charts/xml_check.hpp"
#include "compare/compare_page.hpp"
#include "compare/study_fixture.hpp"

namespace slurry1d::compare {
namespace {

namespace fs = std::filesystem;
using test::MadeUpRun;
using test::TempDir;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

using CsvRows = std::vector<std::vector<std::string>>;

// summary.csv split into fields (no field of these runs is quoted).
CsvRows read_csv(const fs::path& path) {
  CsvRows rows;
  std::istringstream in(read_file(path));
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (auto comma = line.find(',');; comma = line.find(',', start)) {
      fields.push_back(line.substr(start, comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    rows.push_back(std::move(fields));
  }
  return rows;
}

std::size_t count_of(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// A 3 x 3 study of C and D (the larger C, the faster; the larger D, the
// more settlement), written in the shell's order of the directory names, and
// a run that failed numerically.
struct MadeUpStudy {
  TempDir tmp{"slurry1d-compare"};
  std::vector<std::string> dirs;

  MadeUpStudy() {
    for (const double C : {1e-6, 2e-6, 4e-6}) {
      for (const double D : {4.0, 4.5, 5.0}) {
        const std::string name = "C" + test::shortest(C) + "_D" + test::shortest(D);
        test::write_made_up_run(tmp.path() / "runs" / name, test::made_up(C, D));
        dirs.push_back((tmp.path() / "runs" / name).string());
      }
    }
    std::sort(dirs.begin(), dirs.end());
  }
  void add_failed_run() {
    MadeUpRun failed = test::made_up(8e-6, 4.0);
    failed.exit_status = 3;
    failed.reason = "numerical_failure";
    failed.end_time = 12.5;
    test::write_made_up_run(tmp.path() / "runs" / "failed", failed);
    dirs.push_back((tmp.path() / "runs" / "failed").string());
  }
  fs::path out() const { return tmp.path() / "comparison"; }
};

TEST(CompareCommand, WritesTheTableAndThePageOfAStudy) {
  MadeUpStudy study;
  study.add_failed_run();
  std::ostringstream out, err;
  ASSERT_EQ(run_compare(study.dirs, study.out(), out, err), 0) << err.str();
  EXPECT_EQ(err.str(), "");

  const CsvRows csv = read_csv(study.out() / "summary.csv");
  ASSERT_EQ(csv.size(), 11u);
  EXPECT_EQ(csv[0], (std::vector<std::string>{"run", "C", "D", "final_height", "settlement",
                                              "time_to_90_percent_settlement", "end_reason",
                                              "exit_status", "end_time"}));
  // In the order of C, then D; the failed run (the largest C) last. A1, the
  // same in every run, has no column.
  EXPECT_EQ(csv[1][1], "1e-06");
  EXPECT_EQ(csv[1][2], "4");
  EXPECT_EQ(csv[2][2], "4.5");
  EXPECT_EQ(csv[4][1], "2e-06");
  EXPECT_EQ(csv[10], (std::vector<std::string>{study.dirs.back(), "8e-06", "4", "", "", "",
                                               "numerical_failure", "3", "12.5"}));
  // Every final height and settlement is the run's own, to the bit, and the
  // time to 90 % is where s = 0.9 S on the curve through the history's rows.
  for (std::size_t i = 1; i <= 9; ++i) {
    const MadeUpRun r = test::made_up(std::stod(csv[i][1]), std::stod(csv[i][2]));
    const double s = test::made_up_settlement(r, 1000);
    EXPECT_EQ(csv[i][3], test::shortest(test::MADE_UP_H0 - s)) << i;
    EXPECT_EQ(csv[i][4], test::shortest(s)) << i;
    EXPECT_EQ(csv[i][6], "last_output_time");
  }
  // The larger C, the sooner: for each D, t90 falls with C.
  for (std::size_t d = 1; d <= 3; ++d) {
    EXPECT_GT(std::stod(csv[d][5]), std::stod(csv[d + 3][5])) << d;
    EXPECT_GT(std::stod(csv[d + 3][5]), std::stod(csv[d + 6][5])) << d;
  }
  // C = 4e-6 (T = 25 days): 90 % of s(1000) lies between the rows at 50 and
  // 100 days.
  const auto u = [](double t) { return 1.0 - std::exp(-t / 25.0); };
  EXPECT_NEAR(std::stod(csv[7][5]), 50.0 + 50.0 * (0.9 * u(1000) - u(50)) / (u(100) - u(50)), 1e-9);

  // The console: a header line, a line per run, the files written.
  const std::string console = out.str();
  EXPECT_EQ(count_of(console, "\n"), 12u) << console;
  EXPECT_NE(console.find("numerical_failure (exit status 3)"), std::string::npos);
  EXPECT_NE(console.find("compare.html"), std::string::npos);

  const std::string page = read_file(study.out() / "compare.html");
  EXPECT_EQ(test::xml_problem(page, true), "");
  EXPECT_EQ(count_of(page, "<figure class=\"chart\""), 3u);
  EXPECT_EQ(count_of(page, "<tr"), 11u);  // the header row and one per run
  for (const char* title :
       {"Settlement against time", "Settlement against log time", "Final void-ratio profiles"}) {
    EXPECT_NE(page.find(std::string("<title>") + title + "</title>"), std::string::npos) << title;
  }
  // Each chart names every run that gave its answer, and not the failed one.
  EXPECT_EQ(count_of(page, ">C = 1e-6, D = 4.5</text>"), 3u);
  EXPECT_EQ(count_of(page, ">C = 8e-6, D = 4</text>"), 0u);
  EXPECT_EQ(count_of(page, "Not drawn (no answer): failed."), 3u);
  EXPECT_NE(page.find("failed numerically at t = 12.5 (exit status 3); no curve"),
            std::string::npos);
  // Self-contained: nothing to fetch.
  for (const char* outside : {"src=", "href=", "<script", "<link", "<img", "url(http"}) {
    EXPECT_EQ(page.find(outside), std::string::npos) << outside;
  }
}

TEST(CompareCommand, NamesEveryDirectoryThatIsNotARun) {
  MadeUpStudy study;
  fs::create_directories(study.tmp.path() / "empty");
  std::vector<std::string> dirs = study.dirs;
  dirs.push_back((study.tmp.path() / "empty").string());
  dirs.push_back((study.tmp.path() / "absent").string());
  std::ostringstream out, err;
  EXPECT_EQ(run_compare(dirs, study.out(), out, err), 2);
  EXPECT_EQ(count_of(err.str(), "\n"), 2u) << err.str();
  EXPECT_NE(err.str().find("empty: no summary.json"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("absent: not a directory"), std::string::npos) << err.str();
  EXPECT_FALSE(fs::exists(study.out()));

  EXPECT_EQ(run_compare({}, study.out(), out, err), 2);
}

TEST(CompareCommand, AnOutputThatCannotBeWrittenIsStatus4) {
  MadeUpStudy study;
  test::write_text_file(study.tmp.path() / "a-file", "x");
  std::ostringstream out, err;
  EXPECT_EQ(run_compare(study.dirs, study.tmp.path() / "a-file", out, err), 4);
  EXPECT_NE(err.str().find("a-file"), std::string::npos) << err.str();

  // compare.html is a directory: the page cannot be written.
  fs::create_directories(study.out() / "compare.html");
  std::ostringstream err2;
  EXPECT_EQ(run_compare(study.dirs, study.out(), out, err2), 4);
  EXPECT_NE(err2.str().find("compare.html could not be written"), std::string::npos) << err2.str();
}

TEST(CompareCommand, AStudyOfTwoAnswersTakesColourFromTheFirstAndLineFromTheSecond) {
  MadeUpStudy study;
  std::vector<StudyRun> runs;
  for (const auto& d : study.dirs) runs.push_back(read_study_run(d, d));
  const StudyTable table = build_study_table(in_study_order(std::move(runs)));
  const std::vector<RunStyle> styles = run_styles(table);
  ASSERT_EQ(styles.size(), 9u);
  for (std::size_t i = 0; i < 9; ++i) {
    EXPECT_EQ(styles[i].color, styles[i / 3 * 3].color) << i;  // the same C
    EXPECT_EQ(styles[i].stroke, styles[i % 3].stroke) << i;    // the same D
  }
  EXPECT_NE(styles[0].color, styles[3].color);
  EXPECT_NE(styles[3].color, styles[6].color);
  EXPECT_NE(styles[0].stroke, styles[1].stroke);
  EXPECT_NE(styles[1].stroke, styles[2].stroke);
  EXPECT_EQ(styles[4].label, "C = 2e-6, D = 4.5");
}

TEST(CompareCommand, RunsThatDifferInNoAnswerAreNamedByTheirDirectories) {
  const TempDir tmp("slurry1d-compare");
  std::vector<StudyRun> runs;
  for (const char* name : {"fine", "coarse"}) {
    test::write_made_up_run(tmp.path() / name, {});
    runs.push_back(read_study_run(tmp.path() / name, (tmp.path() / name).string() + "/"));
  }
  const StudyTable table = build_study_table(runs);
  EXPECT_TRUE(table.varied_names.empty());
  const auto styles = run_styles(table);
  EXPECT_EQ(styles[0].label, "fine");
  EXPECT_EQ(styles[1].label, "coarse");
  EXPECT_NE(styles[0].color, styles[1].color);
}

// The command line: where -o stands and how it is written does not matter;
// what is missing or unknown is refused with the usage line.
TEST(CompareCommand, ReadsItsCommandLine) {
  MadeUpStudy study;
  const std::string out_dir = study.out().string();
  const std::string joined = "-o" + out_dir;
  const std::string long_joined = "--output-dir=" + out_dir;
  const char* a = study.dirs[0].c_str();
  const char* b = study.dirs[1].c_str();
  struct Case {
    std::vector<const char*> args;
    int status;
    const char* err_part;
  };
  const std::vector<Case> cases = {
      {{a, b, "-o", out_dir.c_str()}, 0, ""},
      {{"-o", out_dir.c_str(), a, b}, 0, ""},
      {{a, joined.c_str(), b}, 0, ""},
      {{a, "--output-dir", out_dir.c_str()}, 0, ""},
      {{long_joined.c_str(), "--", a}, 0, ""},
      {{a, b}, 2, "-o OUTDIR is missing"},
      {{"-o", out_dir.c_str()}, 2, "no run directory given"},
      {{a, "-o"}, 2, "-o needs a directory"},
      {{a, "-o", ""}, 2, "the output directory needs a name"},
      {{a, "--nodes", "501", "-o", out_dir.c_str()}, 2, "unknown option '--nodes'"},
      {{a, "-o", out_dir.c_str(), "--", "-o"}, 2, "-o: not a directory"},
  };
  for (const Case& c : cases) {
    std::ostringstream out, err;
    EXPECT_EQ(compare_main(c.args, out, err), c.status) << c.err_part;
    EXPECT_NE(err.str().find(c.err_part), std::string::npos) << err.str();
    if (c.status == 0) {
      EXPECT_TRUE(fs::exists(study.out() / "compare.html"));
    }
    if (c.status == 2 && std::string(c.err_part).find(':') == std::string::npos) {
      EXPECT_NE(err.str().find("usage: slurry1d compare RUNDIR... -o OUTDIR"), std::string::npos);
    }
    fs::remove_all(study.out());
  }
  std::ostringstream out, err;
  const std::vector<const char*> help = {a, "--help"};
  EXPECT_EQ(compare_main(help, out, err), 0);
  EXPECT_EQ(out.str().rfind("usage: slurry1d compare RUNDIR... -o OUTDIR\n", 0), 0u);
  EXPECT_EQ(count_of(out.str(), "\n"), compare_usage().size());
  EXPECT_FALSE(fs::exists(study.out()));
}

}  // namespace
}  // namespace slurry1d::compare
