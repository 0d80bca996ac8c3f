// Counts heap allocations while the time loop marches: all storage of a run is
// allocated before the first step, so the count must stay at zero.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <ostream>
#include <sstream>
#include <streambuf>

#include "driver/setup.hpp"
#include "driver/time_loop.hpp"
#include "progress/progress_line.hpp"
#include "progress/progress_observer.hpp"
#include "results/csv_results.hpp"
#include "support/run_fixture.hpp"

// The replacements below pair malloc with free; GCC cannot see that through
// the inlined library calls and warns of a mismatch.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {
std::atomic<long> g_allocations{0};
std::atomic<bool> g_counting{false};
}  // namespace

void* operator new(std::size_t size) {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
// The library's temporary buffers (std::stable_sort) take the nothrow form and
// give it back through the plain delete: it must come from malloc too.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1);
  return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace slurry1d {
namespace {

long allocations_while_marching(const std::string& answers, RunObserver* observer = nullptr) {
  testing::DiscardedOutputs sink;
  auto run = testing::set_up_from_answers(answers, sink.out);
  g_allocations = 0;
  g_counting = true;
  if (observer != nullptr) {
    march_in_time(*run, sink.out, *observer);
  } else {
    march_in_time(*run, sink.out);
  }
  g_counting = false;
  return g_allocations.load();
}

TEST(Allocation, TheTimeLoopAllocatesNothing) {
  EXPECT_EQ(allocations_while_marching(testing::self_weight_answers(30.0)), 0);
}

// Counts the events it receives.
struct CountingObserver : RunObserver {
  long steps = 0, reports = 0;
  void step_accepted(const StepAccepted&) override { ++steps; }
  void report_written(const ReportWritten&) override { ++reports; }
};

TEST(Allocation, NorDoesItsStreamOfEventsToSeveralObservers) {
  CountingObserver first, second;
  RunObservers observers;
  observers.add(first);
  observers.add(second);
  EXPECT_EQ(allocations_while_marching(testing::self_weight_answers(30.0), &observers), 0);
  EXPECT_GT(first.steps, 10);
  EXPECT_EQ(first.reports, 1);  // the end; the start was reported by the set-up
  EXPECT_EQ(second.steps, first.steps);
}

// The results as data of a run with three output times and of a drying run
// with its cracks: their tables were given their buffers at the set-up, and
// every step, crack record and report only writes into them.
long allocations_writing_tables(const std::string& answers, const std::filesystem::path& dir) {
  testing::DiscardedOutputs sink;
  results::CsvResults csv(dir);
  auto run = std::make_unique<Run>();
  std::istringstream in(answers);
  run_dialog(in, sink.out, false, run->def);
  set_up_run(*run, sink.out, csv);
  g_allocations = 0;
  g_counting = true;
  march_in_time(*run, sink.out, csv);
  g_counting = false;
  return g_allocations.load();
}

TEST(Allocation, NorDoTheResultsAsData) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "slurry1d-alloc-csv";
  std::filesystem::create_directories(dir);
  std::string answers = testing::self_weight_answers(30.0);
  answers.replace(answers.find("1\n30"), 2, "3\n10.0\n20.0\n");
  EXPECT_EQ(allocations_writing_tables(answers, dir), 0);
  EXPECT_GT(std::filesystem::file_size(dir / "history.csv"), 1000u);

  std::ifstream drying(std::filesystem::path(SLURRY1D_SOURCE_DIR).parent_path() / "examples" /
                       "drying_crust.txt");
  std::ostringstream text;
  text << drying.rdbuf();
  EXPECT_EQ(allocations_writing_tables(text.str(), dir), 0);
  EXPECT_GT(std::filesystem::file_size(dir / "cracks.csv"), 1000u);
  std::filesystem::remove_all(dir);
}

// Counts what reaches the terminal, keeping nothing.
class CountingBuffer : public std::streambuf {
 public:
  long written = 0;

 protected:
  int overflow(int c) override {
    ++written;
    return c == traits_type::eof() ? traits_type::not_eof(c) : c;
  }
  std::streamsize xsputn(const char*, std::streamsize n) override {
    written += n;
    return n;
  }
};

// The progress line drawn after every step, and the console passing below it.
TEST(Allocation, NorDoesTheProgressLineDrawnEveryStep) {
  CountingBuffer terminal_buffer;
  std::ostream terminal(&terminal_buffer);
  progress::ProgressLine line(terminal);
  progress::EveryFewSteps every_step(1);
  progress::ProgressObserver watcher(&line, nullptr, every_step);
  testing::DiscardedOutputs sink;
  progress::BelowProgressLine below(&sink.buffer, line);
  std::ostream console(&below);
  sink.out.console.attach(console);
  auto run = testing::set_up_from_answers(testing::self_weight_answers(30.0), sink.out);
  g_allocations = 0;
  g_counting = true;
  march_in_time(*run, sink.out, watcher);
  console.flush();
  g_counting = false;
  EXPECT_EQ(g_allocations.load(), 0);
  EXPECT_GT(terminal_buffer.written, 20 * 40);  // a line of some 40 characters per step
}

TEST(Allocation, TheCounterSeesAllocations) {
  g_allocations = 0;
  g_counting = true;
  // A call of the operator itself: clang may elide a new-expression whose
  // object is deleted unseen, and then nothing would be counted.
  void* p = ::operator new(sizeof(int));
  g_counting = false;
  ::operator delete(p);
  EXPECT_EQ(g_allocations.load(), 1);
}

}  // namespace
}  // namespace slurry1d
