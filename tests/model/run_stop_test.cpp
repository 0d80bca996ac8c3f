// The stop of a run: where its message goes, its exit status and the reason
// it gives the end of the run.

#include "model/run_stop.hpp"

#include <gtest/gtest.h>

namespace slurry1d {
namespace {

TEST(RunStop, EachKindHasItsStatusPlaceAndDefaultReason) {
  struct Case {
    StopKind kind;
    int status;
    bool console;
    EndReason reason;
  };
  for (const Case& c : {Case{StopKind::RefusedRun, 2, true, EndReason::RefusedRun},
                        Case{StopKind::CannotGoOn, 3, true, EndReason::Unstable},
                        Case{StopKind::BadInput, 2, false, EndReason::RefusedInput},
                        Case{StopKind::Failure, 3, false, EndReason::NumericalFailure},
                        Case{StopKind::FileError, 4, false, EndReason::FileError},
                        Case{StopKind::Interrupted, 130, true, EndReason::Interrupted},
                        Case{StopKind::Terminated, 143, true, EndReason::Interrupted}}) {
    const RunStop stop(c.kind, {"line"});
    EXPECT_EQ(stop.exit_status(), c.status) << static_cast<int>(c.kind);
    EXPECT_EQ(stop.on_console(), c.console) << static_cast<int>(c.kind);
    EXPECT_EQ(stop.reason(), c.reason) << static_cast<int>(c.kind);
  }
}

TEST(RunStop, AStopOfTheProgramsOwnNamesItsReason) {
  const RunStop stop(StopKind::CannotGoOn, EndReason::TooManyNodes, {"a", "b"});
  EXPECT_EQ(stop.reason(), EndReason::TooManyNodes);
  EXPECT_EQ(stop.exit_status(), 3);
  ASSERT_EQ(stop.lines().size(), 2u);
  EXPECT_STREQ(stop.what(), "a");
}

}  // namespace
}  // namespace slurry1d
