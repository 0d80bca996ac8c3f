// A run stopped from outside: Ctrl-C (SIGINT) and a batch system (SIGTERM)
// end it cleanly at the end of a step, with the records of a normal end and a
// final profile that continues as well as the run would have gone on; a run
// killed outright (SIGKILL) keeps the echo and every report completed before.
//
// The program is started directly (fork and exec, no shell: a shell started in
// the background would ignore SIGINT for it). No test relies on timing: each
// waits until the program has written what it must have written before the
// signal, and the runs are far longer than any machine takes to get there.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "e2e/program_runner.hpp"
#include "e2e/record_parsing.hpp"

namespace slurry1d::e2e {
namespace {

namespace fs = std::filesystem;

// Waiting only guards against a hang.
constexpr std::chrono::minutes kPatience{5};

// A fresh 10 m slurry under self-weight with a largest step of 0.01 day:
// reports at days 1, 2 and 3, then one output time far away. The run takes
// five million steps to its end, many minutes on any machine; the tests stop
// it after the report of day 1.
std::string long_run(const std::string& output_times = "4\n1.0\n2.0\n3.0\n50000.0\n") {
  return "7.0 -0.2 6.8e-7 4.0 0.1\n2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n0.0\n" + output_times +
         "0.01\n2\n";
}

// The program running in a scratch directory of its own, its answers on
// standard input from a file (or from a pipe the test writes to), its console
// and errors in files.
class RunningProgram {
 public:
  explicit RunningProgram(const std::string& answers, bool answers_through_pipe = false,
                          const std::vector<std::string>& arguments = {}) {
    std::vector<char*> argv = {const_cast<char*>(SLURRY1D_EXE)};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    dir_ = scratch_directory();
    { std::ofstream(dir_ / "answers.txt", std::ios::binary) << answers; }
    int fds[2] = {-1, -1};
    if (answers_through_pipe && pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(126);
      const int in = answers_through_pipe ? fds[0] : open("answers.txt", O_RDONLY);
      const int out = open("console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int err = open("errors.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0) _exit(126);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      if (answers_through_pipe) close(fds[1]);
      // As started from a terminal, whatever this test process ignores.
      signal(SIGINT, SIG_DFL);
      signal(SIGTERM, SIG_DFL);
      execv(SLURRY1D_EXE, argv.data());
      _exit(127);
    }
    if (answers_through_pipe) {
      close(fds[0]);
      pipe_ = fds[1];
      const std::string& text = answers;
      if (write(pipe_, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
        ADD_FAILURE() << "cannot pass the answers";
      }
    }
  }
  ~RunningProgram() {
    if (pipe_ >= 0) close(pipe_);
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return pid_ > 0; }
  const fs::path& dir() const { return dir_; }
  std::string file(const std::string& name) const { return read_file(dir_ / name); }

  // Waits until `ready` holds, and says whether it did (false when the
  // program ended first or the wait ran past the patience).
  template <typename Ready>
  bool wait_until(Ready ready) {
    const auto give_up = std::chrono::steady_clock::now() + kPatience;
    while (std::chrono::steady_clock::now() < give_up) {
      if (ready()) return true;
      if (has_ended()) return ready();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }

  // The program's first state letter in /proc (R running, S sleeping).
  char state() const {
    std::istringstream stat(read_file("/proc/" + std::to_string(pid_) + "/stat"));
    std::string pid, name;
    char state = '?';
    stat >> pid >> name >> state;
    return state;
  }

  void send(int signal_number) const { kill(pid_, signal_number); }

  // The wait status once the program has ended; a program still running after
  // the patience is killed and the test fails.
  int wait_for_end() {
    wait_until([this] { return has_ended(); });
    if (!ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &raw_, 0);
      ended_ = true;
      ADD_FAILURE() << "the program did not end; killed";
    }
    return raw_;
  }

  // Sends the request and waits for the program to end by itself; the run as
  // it ended.
  ProgramRun stop_with(int signal_number) {
    send(signal_number);
    const int raw = wait_for_end();
    EXPECT_TRUE(WIFEXITED(raw)) << "ended by signal " << (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    return result();
  }

  // The ended run, read like any other.
  ProgramRun result() const {
    ProgramRun run;
    run.dir = dir_;
    run.status = WIFEXITED(raw_) ? WEXITSTATUS(raw_) : -1;
    run.console = read_file(dir_ / "console.txt");
    run.errors = read_file(dir_ / "errors.txt");
    return run;
  }

 private:
  bool has_ended() {
    if (ended_) return true;
    if (waitpid(pid_, &raw_, WNOHANG) == pid_) ended_ = true;
    return ended_;
  }

  fs::path dir_;
  pid_t pid_ = -1;
  int pipe_ = -1;
  int raw_ = 0;
  bool ended_ = false;
};

// The data lines of "ts.out" after its three headings.
int data_lines(const std::string& ts) {
  const auto lines = split_lines(ts);
  int n = 0;
  for (std::size_t i = 3; i < lines.size(); ++i) {
    n += lines[i].size() == 66 && lines[i].find("THE") == std::string::npos;
  }
  return n;
}

// The nodal tables of "vd.out" that were written to their bottom node (label
// 1), by their time.
std::vector<double> complete_tables(const std::string& vd) {
  std::vector<double> times;
  double time = 0.0;
  bool open = false;
  for (const std::string& l : split_lines(vd)) {
    if (l.rfind("TIME = ", 0) == 0) {
      time = std::strtod(l.c_str() + 7, nullptr);
      open = true;
    } else if (open && l.rfind("   1 ", 0) == 0) {
      times.push_back(time);
      open = false;
    }
  }
  return times;
}

// The same layer continued from the final profile of `earlier`, which stopped
// at `from`, to the time `to`.
std::string continued_answers(const ProgramRun& earlier, double from, double to) {
  const std::vector<Pair> pairs = restart_profile(earlier);
  std::ostringstream a;
  a.precision(17);
  a << "7.0 -0.2 6.8e-7 4.0 0.1\n2\n2.65\n9.81\n10.0\n2\n2\n0.0\n1\n1.0\n"
    << from << "\n1\n"
    << to << "\n0.01\n1\n"
    << pairs.size() << "\n";
  for (const Pair& p : pairs) a << format_pair(p) << "\n";
  return a.str();
}

struct Request {
  const char* name;
  int signal_number;
  int status;
};

void PrintTo(const Request& r, std::ostream* os) {
  *os << r.name;
}

const Request kRequests[] = {{"SIGINT", SIGINT, 130}, {"SIGTERM", SIGTERM, 143}};

class InterruptedRun : public ::testing::TestWithParam<Request> {};

// The run ends at the end of the step in progress with the records of a
// normal end at the time it reached, one console line saying so, and its
// status; its final profile, continued to a later time, reaches the height of
// the run that was not interrupted.
TEST_P(InterruptedRun, EndsWithTheRecordsOfANormalEndAndContinues) {
  const Request& r = GetParam();
  RunningProgram program(long_run());
  ASSERT_TRUE(program.started());
  // The report of day 1 is on disk: the run is in its time loop.
  ASSERT_TRUE(program.wait_until([&] { return data_lines(program.file("ts.out")) >= 2; }));
  const ProgramRun run = program.stop_with(r.signal_number);
  EXPECT_EQ(run.status, r.status);
  EXPECT_EQ(run.errors, "");

  const std::string line = std::string(" RUN INTERRUPTED (") + r.name + ") AT TIME = ";
  const auto console = run.console_lines();
  ASSERT_FALSE(console.empty());
  ASSERT_EQ(console.back().rfind(line, 0), 0u) << console.back();
  const double stopped = std::strtod(console.back().c_str() + line.size(), nullptr);
  EXPECT_GE(stopped, 1.0);
  EXPECT_LT(stopped, 50000.0);
  int interrupted_lines = 0;
  for (const std::string& l : console) {
    interrupted_lines += l.find("INTERRUPTED") != std::string::npos;
  }
  EXPECT_EQ(interrupted_lines, 1);

  // The records of a normal end: the final report, the restart profile in
  // "input", the summary in "ts.out", every line ended.
  const auto input = run.lines("input");
  ASSERT_GE(input.size(), 2u);
  EXPECT_NE(input[input.size() - 2].find("FINAL HEIGHT OF SOIL"), std::string::npos);
  EXPECT_NE(input.back().find("STOPPING TIME"), std::string::npos);
  EXPECT_NEAR(end_record_value(run, "STOPPING TIME"), stopped, 1e-4 * stopped);
  EXPECT_EQ(restart_profile(run).size(), 51u);
  const std::string ts = run.file("ts.out");
  EXPECT_NE(split_lines(ts).back().find("THE TOTAL HEIGHT OF SOIL SOLID IS"), std::string::npos);
  const std::vector<double> tables = complete_tables(run.file("vd.out"));
  const auto series = time_series(run);
  ASSERT_EQ(tables.size(), series.size());
  EXPECT_NEAR(tables.back(), stopped, 1e-3 * stopped);
  EXPECT_NEAR(series.back().time, stopped, 1e-3 * stopped);
  for (const char* name : {"input", "vd.out", "ts.out", "tc.out"}) {
    EXPECT_EQ(run.file(name).back(), '\n') << name;
  }

  // Continued from its final profile to a later time, against the run that
  // was never interrupted.
  const double later = std::ceil(stopped) + 100.0;
  const ProgramRun continued = run_program(continued_answers(run, stopped, later));
  ASSERT_EQ(continued.status, 0) << continued.errors;
  std::ostringstream times;
  times << "1\n" << later << "\n";
  const ProgramRun uninterrupted = run_program(long_run(times.str()));
  ASSERT_EQ(uninterrupted.status, 0) << uninterrupted.errors;
  const double expected = end_record_value(uninterrupted, "FINAL HEIGHT OF SOIL");
  EXPECT_NEAR(end_record_value(continued, "FINAL HEIGHT OF SOIL"), expected, 0.005 * expected)
      << "stopped at day " << stopped << ", compared at day " << later;
}

INSTANTIATE_TEST_SUITE_P(Requests, InterruptedRun, ::testing::ValuesIn(kRequests),
                         [](const auto& info) { return std::string(info.param.name); });

class InterruptedDialog : public ::testing::TestWithParam<Request> {};

// While the dialog waits for an answer the run ends at once: the echo of the
// answers so far, no result file, the line saying so, and the status.
TEST_P(InterruptedDialog, EndsAtOnceWithTheEchoSoFar) {
  const Request& r = GetParam();
  std::string answers = long_run();
  answers.erase(answers.rfind("0.01\n"));  // the largest step is never answered
  RunningProgram program(answers, /*answers_through_pipe=*/true);
  ASSERT_TRUE(program.started());
  // The question is on the console and the program sleeps, waiting for it.
  ASSERT_TRUE(program.wait_until([&] {
    return program.file("console.txt").find("MAXDT=?") != std::string::npos &&
           program.state() == 'S';
  }));
  const ProgramRun run = program.stop_with(r.signal_number);
  EXPECT_EQ(run.status, r.status);
  EXPECT_EQ(run.errors, "");
  const auto console = run.console_lines();
  ASSERT_FALSE(console.empty());
  EXPECT_EQ(console.back(), std::string(" RUN INTERRUPTED (") + r.name + ") DURING THE DIALOG");
  const auto input = run.lines("input");
  ASSERT_FALSE(input.empty());
  EXPECT_EQ(input.back(), " 50000.    \tSPECIFIED TIME FOR OUTPUT");
  EXPECT_FALSE(run.has_file("vd.out"));
  EXPECT_FALSE(run.has_file("ts.out"));
}

INSTANTIATE_TEST_SUITE_P(Requests, InterruptedDialog, ::testing::ValuesIn(kRequests),
                         [](const auto& info) { return std::string(info.param.name); });

// A run killed outright between reports keeps the echo of its answers and
// every report completed before, each table with its time-series line.
// With --report the page of an interrupted run is written at its end like any
// other, and says that the run was interrupted.
TEST(InterruptedReportedRun, WritesThePageOfTheRunSoFar) {
  RunningProgram program(long_run(), false, {"--report"});
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(program.wait_until([&] { return data_lines(program.file("ts.out")) >= 2; }));
  const ProgramRun run = program.stop_with(SIGINT);
  EXPECT_EQ(run.status, 130);
  const std::string page = run.file("report.html");
  EXPECT_NE(page.find("<tr><th>How it ended</th><td>the run was interrupted</td></tr>"),
            std::string::npos)
      << page.substr(0, 1500);
  EXPECT_NE(page.find("<tr><th>Exit status</th><td>130</td></tr>"), std::string::npos);
  EXPECT_TRUE(run.has_file("charts/height-time.svg"));
}

TEST(KilledRun, KeepsTheEchoAndEveryCompletedReport) {
  RunningProgram program(long_run());
  ASSERT_TRUE(program.started());
  ASSERT_TRUE(program.wait_until([&] { return data_lines(program.file("ts.out")) >= 3; }));
  program.send(SIGKILL);
  const int raw = program.wait_for_end();
  ASSERT_TRUE(WIFSIGNALED(raw));
  EXPECT_EQ(WTERMSIG(raw), SIGKILL);
  const ProgramRun run = program.result();

  const auto input = run.lines("input");
  ASSERT_FALSE(input.empty());
  EXPECT_EQ(input.back(), "  51            NUMBER OF NODE") << "the echo, complete";
  EXPECT_EQ(input.front().substr(input.front().size() - 12), "A1,B1,C,D,Z1");

  const std::string ts = run.file("ts.out");
  ASSERT_FALSE(ts.empty());
  EXPECT_EQ(ts.back(), '\n');
  const auto series = time_series(run);
  ASSERT_GE(series.size(), 3u);
  const std::vector<double> tables = complete_tables(run.file("vd.out"));
  ASSERT_GE(tables.size(), series.size());
  for (std::size_t i = 0; i < series.size(); ++i) {
    EXPECT_NEAR(tables[i], series[i].time, 1e-3) << "report " << i;
    if (i < 4) {
      EXPECT_EQ(series[i].time, static_cast<double>(i)) << "report " << i;
    }
  }
}

}  // namespace
}  // namespace slurry1d::e2e
