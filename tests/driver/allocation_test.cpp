// Counts heap allocations while the time loop marches: all storage of a run is
// allocated before the first step, so the count must stay at zero.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <ostream>
#include <streambuf>

#include "driver/time_loop.hpp"
#include "progress/progress_line.hpp"
#include "progress/progress_observer.hpp"
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
