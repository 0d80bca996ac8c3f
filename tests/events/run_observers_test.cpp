// Several observers at once: every event reaches each of them, in the order
// they were added, and the fan-out holds a fixed number without allocating.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "events/run_events.hpp"
#include "support/event_records.hpp"

namespace slurry1d {
namespace {

// Notes each event it receives, with its own name, into a shared log.
struct Logger : RunObserver {
  std::string name;
  std::string* log;
  Logger(std::string n, std::string* l) : name(std::move(n)), log(l) {}
  void run_set_up(const RunSetUp&) override { *log += name + "S "; }
  void step_accepted(const StepAccepted& e) override {
    *log += name + "a" + std::to_string(e.step) + " ";
  }
  void crack_recorded(const CrackRecorded&) override { *log += name + "c "; }
  void report_written(const ReportWritten&) override { *log += name + "R "; }
  void run_ended(const RunEnded&) override { *log += name + "E "; }
};

using Records = testing::EventRecords;

void send_every_event(RunObserver& o, const Records& r) {
  o.run_set_up(RunSetUp{*r.def, *r.scales, r.soil, *r.col, false, 0.0, 0.0, 0.0, r.added});
  o.step_accepted(StepAccepted{7, 1, r.clock, 0.5, 0.25, 3, 0, 1e-9, *r.col, 1.0, 1.0, 0.0, 0.0,
                               0.0, r.col->NN + 1, 0.0, 0.0});
  o.crack_recorded(CrackRecorded{CrackRecordKind::Deepened, r.crack, 0.0});
  o.report_written(
      ReportWritten{ReportKind::OutputTime, 1, *r.work, *r.col, r.soil, *r.def, false, r.added});
  o.run_ended(RunEnded{EndReason::QuietSteps, 0, 1.0, 0, 1, {}, *r.def, *r.col, 0.0, *r.scales});
}

TEST(RunObservers, EveryEventReachesEachObserverInTheOrderAdded) {
  const Records r;
  std::string log;
  Logger first("1", &log), second("2", &log);
  RunObservers observers;
  EXPECT_TRUE(observers.empty());
  ASSERT_TRUE(observers.add(first));
  ASSERT_TRUE(observers.add(second));
  EXPECT_FALSE(observers.empty());
  send_every_event(observers, r);
  EXPECT_EQ(log, "1S 2S 1a7 2a7 1c 2c 1R 2R 1E 2E ");
}

TEST(RunObservers, NoObserverIsANoOp) {
  const Records r;
  RunObservers none;
  RunObserver plain;
  send_every_event(none, r);
  send_every_event(plain, r);
  SUCCEED();
}

TEST(RunObservers, HoldsUpToItsCapacity) {
  std::string log;
  Logger one("x", &log);
  RunObservers observers;
  for (int i = 0; i < RunObservers::capacity; ++i) ASSERT_TRUE(observers.add(one)) << i;
  EXPECT_FALSE(observers.add(one));
  const Records r;
  send_every_event(observers, r);
  // Eight deliveries of each of the five events, none of the refused ninth.
  std::string expected;
  for (const char* e : {"xS ", "xa7 ", "xc ", "xR ", "xE "}) {
    for (int i = 0; i < RunObservers::capacity; ++i) expected += e;
  }
  EXPECT_EQ(log, expected);
}

}  // namespace
}  // namespace slurry1d
