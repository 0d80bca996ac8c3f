// Whole runs of the bundled examples: the program itself, started as a user
// starts it (a process of its own, the answers on its standard input, its
// files in a scratch directory), so that everything counts: loading, the run
// record, the set-up, the time loop and the writing of every line.
//
// For each example, medians of --runs runs: the wall time and the processor
// time of a run (the child's user and system time, which a busy machine
// inflates far less than the wall time), the node-passes of the run (the
// passes of each step times its nodes, counted in this process by an
// observer of the same run), the processor time per node-pass, and the floor
// it cannot go below, two std::pow per node (the permeability ratio and the
// slope of the compression curve), timed in processor time in this process
// between the runs on the void ratios of a consolidating column.
// With --callgrind, also the instructions of one run under callgrind and of
// the floor's loop, which stay the same on a busy machine.
//
// Usage: slurry1d_whole_run_bench [--runs N] [--callgrind] [--program EXE]
//        [EXAMPLE.txt ...]
// (all examples by default; --program runs another build of the program, for
// a comparison: the node-passes are this build's, the same where the two
// write the same results). POSIX only, like the program's end-to-end tests.

#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <valgrind/callgrind.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/time_loop.hpp"
#include "support/run_fixture.hpp"

namespace slurry1d {
namespace {

namespace fs = std::filesystem;
using WallClock = std::chrono::steady_clock;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Counts the node-passes of a run: every pass of a step (ITER + 1 of them,
// the passes that did not converge and the one that did) over its nodes.
class PassCounter : public RunObserver {
 public:
  void step_accepted(const StepAccepted& s) override {
    node_passes_ += static_cast<double>(s.passes + 1) * s.column.NN;
  }
  double node_passes() const { return node_passes_; }

 private:
  double node_passes_ = 0.0;
};

double node_passes_of(const std::string& answers) {
  testing::DiscardedOutputs sink;
  auto run = testing::set_up_from_answers(answers, sink.out);
  PassCounter counter;
  march_in_time(*run, sink.out, counter);
  return counter.node_passes();
}

// Runs `program` in `dir` on the answers file; stdout and stderr discarded.
// With a non-empty `wrapper` (valgrind and its options) the program runs
// under it and its stderr goes to `wrapper_log`. Returns the processor time
// of the child (user and system) in milliseconds: on a busy machine it
// counts the run's own work only, unlike the wall time.
double run_program_in(const fs::path& dir, const std::string& program, const fs::path& answers,
                      const std::vector<std::string>& wrapper = {},
                      const fs::path& wrapper_log = {}) {
  std::fflush(nullptr);  // nothing buffered may be written twice
  const pid_t pid = fork();
  if (pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    if (freopen(answers.c_str(), "r", stdin) == nullptr) _exit(127);
    if (freopen("/dev/null", "w", stdout) == nullptr) _exit(127);
    const char* err = wrapper.empty() ? "/dev/null" : wrapper_log.c_str();
    if (freopen(err, "w", stderr) == nullptr) _exit(127);
    std::vector<char*> argv;
    for (const std::string& w : wrapper) argv.push_back(const_cast<char*>(w.c_str()));
    argv.push_back(const_cast<char*>(program.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// The floor: the two powers of every node on the mid-element void ratios of
// the self-weight example's column at 1000 days.
struct Floor {
  std::vector<double> r;
  double D = 0.0, scale = 0.0, exponent = 0.0;

  Floor() {
    testing::DiscardedOutputs sink;
    auto run = testing::set_up_from_answers(testing::self_weight_answers(1000.0), sink.out);
    march_in_time(*run, sink.out);
    const SoilColumn& col = run->col;
    for (int i = 1; i < col.NN; ++i) r.push_back((col.EN[i] + col.EN[i + 1]) / 2.0);
    D = run->soil.D;
    scale = run->soil.E0 / run->soil.A1;
    exponent = 1.0 / run->soil.B1 - 1.0;
  }
  // Two powers per node over the column, `rounds` times.
  double sweep(int rounds) const {
    double sum = 0.0;
    for (int k = 0; k < rounds; ++k) {
      for (const double x : r) sum += std::pow(x, D) + std::pow(x * scale, exponent);
    }
    return sum;
  }
  // Nanoseconds of processor time per node, timed over `rounds` sweeps.
  double ns_per_node(int rounds) const {
    const double a = thread_cpu_ns();
    volatile double sink = sweep(rounds);
    (void)sink;
    const double b = thread_cpu_ns();
    return (b - a) / (static_cast<double>(rounds) * static_cast<double>(r.size()));
  }
  static double thread_cpu_ns() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
  }
};

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const std::size_t n = v.size();
  return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

// "==123== Collected : 456" in callgrind's log.
double collected_instructions(const fs::path& log) {
  std::ifstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    const auto at = line.find("Collected : ");
    if (at != std::string::npos) return std::strtod(line.c_str() + at + 12, nullptr);
  }
  return 0.0;
}

struct Options {
  std::string program = SLURRY1D_EXE;
  int runs = 5;
  bool callgrind = false;
  std::vector<fs::path> examples;
};

Options options_of(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--runs" && i + 1 < argc) {
      o.runs = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--program" && i + 1 < argc) {
      o.program = argv[++i];
    } else if (a == "--callgrind") {
      o.callgrind = true;
    } else {
      o.examples.emplace_back(a);
    }
  }
  if (o.examples.empty()) {
    for (const auto& e : fs::directory_iterator(SLURRY1D_EXAMPLES)) {
      if (e.path().extension() == ".txt") o.examples.push_back(e.path());
    }
    std::sort(o.examples.begin(), o.examples.end());
  }
  return o;
}

constexpr int FLOOR_ROUNDS = 20;

// The floor's loop alone between the client requests that switch callgrind's
// instrumentation on and off: this program runs itself so under callgrind
// (--instr-atstart=no) to count the instructions of two powers per node.
int floor_only() {
  const Floor f;
  CALLGRIND_START_INSTRUMENTATION;
  volatile double sink = f.sweep(FLOOR_ROUNDS);
  CALLGRIND_STOP_INSTRUMENTATION;
  (void)sink;
  return 0;
}

// Instructions per node of the floor, from a run of this program under
// callgrind in its floor-only mode.
double floor_instructions_per_node(const fs::path& scratch, const char* self, std::size_t nodes) {
  const fs::path log = scratch / "floor.log";
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (freopen("/dev/null", "w", stdout) == nullptr ||
        freopen(log.c_str(), "w", stderr) == nullptr)
      _exit(127);
    const std::string out = "--callgrind-out-file=" + (scratch / "floor.cg").string();
    execlp("valgrind", "valgrind", "--tool=callgrind", "--instr-atstart=no", out.c_str(), self,
           "--floor-only", static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return collected_instructions(log) / (static_cast<double>(nodes) * FLOOR_ROUNDS);
}

}  // namespace
}  // namespace slurry1d

int main(int argc, char** argv) {
  using namespace slurry1d;
  if (argc > 1 && std::string(argv[1]) == "--floor-only") return floor_only();
  const Options o = options_of(argc, argv);
  const fs::path scratch =
      fs::temp_directory_path() / ("slurry1d-bench-" + std::to_string(getpid()));
  fs::create_directories(scratch);

  const Floor floor;
  const double floor_instr =
      o.callgrind ? floor_instructions_per_node(scratch, argv[0], floor.r.size()) : 0.0;

  std::printf("two std::pow per node (the floor)%s\n",
              o.callgrind ? ", instructions counted by callgrind" : "");
  std::printf("%-20s %5s %10s %10s %12s %11s %11s %6s", "example", "runs", "wall_ms", "cpu_ms",
              "node_passes", "ns/n-pass", "floor_ns", "ratio");
  if (o.callgrind)
    std::printf(" %14s %11s %11s %6s", "instructions", "instr/n-p", "floor_in", "ratio");
  std::printf("\n");

  for (const fs::path& example : o.examples) {
    const fs::path answers = fs::absolute(example);
    const double passes = node_passes_of(read_file(answers));
    std::vector<double> wall_ms;
    std::vector<double> cpu_ms;
    std::vector<double> floor_ns;
    for (int k = 0; k < o.runs; ++k) {
      const auto a = WallClock::now();
      cpu_ms.push_back(run_program_in(scratch, o.program, answers));
      const auto b = WallClock::now();
      wall_ms.push_back(std::chrono::duration<double, std::milli>(b - a).count());
      floor_ns.push_back(floor.ns_per_node(200));
    }
    // Medians; the time per node-pass is processor time, like the floor's.
    const double cpu = median(cpu_ms);
    const double per_pass = cpu * 1e6 / passes;
    const double fl = median(floor_ns);
    std::printf("%-20s %5d %10.1f %10.1f %12.0f %11.2f %11.2f %6.2f", example.stem().c_str(),
                o.runs, median(wall_ms), cpu, passes, per_pass, fl, per_pass / fl);
    if (o.callgrind) {
      const fs::path log = scratch / "run.log";
      run_program_in(
          scratch, o.program, answers,
          {"valgrind", "--tool=callgrind", "--callgrind-out-file=" + (scratch / "run.cg").string()},
          log);
      const double instr = collected_instructions(log);
      std::printf(" %14.0f %11.1f %11.1f %6.2f", instr, instr / passes, floor_instr,
                  instr / passes / floor_instr);
    }
    std::printf("\n");
    std::fflush(stdout);
  }
  fs::remove_all(scratch);
  return 0;
}
