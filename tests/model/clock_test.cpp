// The clock of a run: each operation moves T, DT, DTPREV, DTSAVE and TMARK by
// its one expression, to the last bit, and nothing else writes them.

#include "model/clock.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace slurry1d {
namespace {

// The readings of a clock, compared as a whole.
struct Reading {
  double T, DT, DTPREV, DTSAVE, TMARK;
  bool operator==(const Reading&) const = default;
};

Reading read(const Clock& c) {
  return {c.T(), c.DT(), c.DTPREV(), c.DTSAVE(), c.TMARK()};
}

std::ostream& operator<<(std::ostream& os, const Reading& r) {
  return os << "T=" << r.T << " DT=" << r.DT << " DTPREV=" << r.DTPREV << " DTSAVE=" << r.DTSAVE
            << " TMARK=" << r.TMARK;
}

// Its values can be read, never assigned through what the clock hands out.
template <typename C>
concept WritableTime = requires(C& c) {
  c.T() = 1.0;
};
template <typename C>
concept WritableStep = requires(C& c) {
  c.DT() = 1.0;
};
static_assert(!WritableTime<Clock> && !WritableStep<Clock>);
static_assert(std::is_same_v<decltype(std::declval<const Clock&>().TMARK()), double>);

// A clock at 0.3 with a step of 0.1 whose earlier steps left DTPREV 0.07 and
// DTSAVE 0.2: every value distinct, so that a write to the wrong one shows.
Clock busy_clock() {
  Clock c(0.3, 0.2);
  c.begin_output_interval(true);  // DTSAVE = 0.2
  c.restart_step(0.07);
  c.remember_step();  // DTPREV = 0.07
  c.restart_step(0.1);
  return c;
}

TEST(Clock, StartsAtTheStartingTimeWithTheFirstStep) {
  const Clock c(0.25, 0.125);
  EXPECT_EQ(read(c), (Reading{0.25, 0.125, 0.0, 0.0, 0.25}));
  EXPECT_EQ(read(Clock{}), (Reading{0.0, 0.0, 0.0, 0.0, 0.0}));
}

TEST(Clock, EveryOperationWritesItsOwnValuesByItsOwnExpression) {
  const double T = 0.3, DT = 0.1, DTPREV = 0.07, DTSAVE = 0.2, TMARK = 0.3;
  ASSERT_EQ(read(busy_clock()), (Reading{T, DT, DTPREV, DTSAVE, TMARK}));
  struct Case {
    const char* what;
    void (*op)(Clock&);
    Reading after;
  };
  const std::vector<Case> cases = {
      {"advance", [](Clock& c) { c.advance(); }, {T + DT, DT, DTPREV, DTSAVE, TMARK}},
      {"halve", [](Clock& c) { c.halve(); }, {T - DT / 2.0, DT / 2.0, DTPREV, DTSAVE, TMARK}},
      {"step back", [](Clock& c) { c.step_back(); }, {T - DT, DT, DTPREV, DTSAVE, TMARK}},
      {"remember the step", [](Clock& c) { c.remember_step(); }, {T, DT, DT, DTSAVE, TMARK}},
      {"restart the step",
       [](Clock& c) { c.restart_step(0.013); },
       {T, 0.013, DTPREV, DTSAVE, TMARK}},
      {"grow", [](Clock& c) { c.grow(1.0); }, {T, 1.5 * DT, DTPREV, 1.5 * DT, TMARK}},
      {"grow to the largest step", [](Clock& c) { c.grow(0.12); }, {T, 0.12, DTPREV, 0.12, TMARK}},
      {"limit the step",
       [](Clock& c) { c.limit_step(0.03); },
       {(T - DT) + 0.03, 0.03, DTPREV, DTSAVE, TMARK}},
      {"limit by a longer step",
       [](Clock& c) { c.limit_step(0.5); },
       {T, DT, DTPREV, DTSAVE, TMARK}},
      {"limit of zero", [](Clock& c) { c.limit_step(0.0); }, {T, DT, DTPREV, DTSAVE, TMARK}},
      {"cut at a stage end",
       [](Clock& c) { c.cut_at(0.25); },
       {0.25, 0.25 - (T - DT), DTPREV, DTSAVE, TMARK}},
      {"mark the start of the step",
       [](Clock& c) { c.mark_step_start(); },
       {T, DT, DTPREV, DTSAVE, T - DT}},
      {"first output interval",
       [](Clock& c) { c.begin_output_interval(true); },
       {T, DT, DTPREV, DT, TMARK}},
      {"later output interval",
       [](Clock& c) { c.begin_output_interval(false); },
       {T, DTSAVE, DTPREV, DTSAVE, TMARK}},
      {"land before the target", [](Clock& c) { c.land_on(0.5); }, {T, DT, DTPREV, DTSAVE, TMARK}},
      {"land on the target", [](Clock& c) { c.land_on(0.3); }, {T, DT, DTPREV, DTSAVE, TMARK}},
      {"land past the target",
       [](Clock& c) { c.land_on(0.27); },
       {0.27, 0.27 - T + DT, DTPREV, DTSAVE, TMARK}},
  };
  for (const Case& c : cases) {
    Clock clock = busy_clock();
    c.op(clock);
    EXPECT_EQ(read(clock), c.after) << c.what;
  }
}

TEST(Clock, AHalvedStepEndsWhereItsFirstHalfEnded) {
  Clock c(1.0, 0.3);
  c.advance();
  c.halve();
  c.halve();
  EXPECT_EQ(c.DT(), 0.3 / 4.0);
  EXPECT_EQ(c.T(), (1.0 + 0.3) - 0.3 / 2.0 - 0.3 / 4.0);
  c.step_back();
  EXPECT_NEAR(c.T(), 1.0, 1e-15);
}

TEST(Clock, ALandedStepEndsExactlyOnTheOutputTime) {
  // Times that do not add up in binary: the step is shortened so that T is
  // the output time itself, to the bit.
  for (const auto& [T0, DT, target] : std::vector<std::tuple<double, double, double>>{
           {0.1, 0.7, 0.3}, {1.0 / 3.0, 0.5, 0.8}, {2.0, 1e-3, 2.0005}, {-0.4, 0.9, 0.0}}) {
    Clock c(T0, DT);
    c.advance();
    c.land_on(target);
    EXPECT_EQ(c.T(), target) << T0 << " " << DT;
    EXPECT_EQ(c.DT(), target - (T0 + DT) + DT) << T0 << " " << DT;
    EXPECT_TRUE(reached_time(c.T(), target));
  }
}

// A clock with step factor F takes every length it is given F times shorter
// and grows a step by 3F/(3F - 1); F = 1 is the clock above, bit for bit.
TEST(Clock, AStepFactorShortensEveryLengthItIsGiven) {
  for (const double F : {2.0, 4.0, 3.5}) {
    Clock c(0.3, 0.2, F);
    EXPECT_EQ(read(c), (Reading{0.3, 0.2 / F, 0.0, 0.0, 0.3})) << "first step, F = " << F;
    EXPECT_EQ(c.growth(), 3.0 * F / (3.0 * F - 1.0));

    c.restart_step(0.1);
    EXPECT_EQ(c.DT(), 0.1 / F) << "step after the first crack, F = " << F;
    c.grow(1.0);
    EXPECT_EQ(c.DT(), c.growth() * (0.1 / F)) << "growth, F = " << F;
    EXPECT_EQ(c.DTSAVE(), c.DT());
    c.grow(0.05);
    EXPECT_EQ(c.DT(), 0.05 / F) << "largest step, F = " << F;

    c.restart_step(0.1);
    c.advance();
    const double T = c.T();
    c.limit_step(0.08);
    EXPECT_EQ(c.DT(), 0.08 / F) << "step limit, F = " << F;
    EXPECT_EQ(c.T(), (T - 0.1 / F) + 0.08 / F);
  }
}

TEST(Clock, AStepFactorOfOneIsTheStandardClock) {
  Clock standard = busy_clock();
  Clock explicit_one(0.3, 0.2, 1.0);
  explicit_one.begin_output_interval(true);
  explicit_one.restart_step(0.07);
  explicit_one.remember_step();
  explicit_one.restart_step(0.1);
  EXPECT_EQ(explicit_one.growth(), 1.5);
  for (Clock* c : {&standard, &explicit_one}) {
    c->grow(1.0);
    c->advance();
    c->limit_step(0.11);
    c->grow(0.2);
  }
  EXPECT_EQ(read(explicit_one), read(standard));
  EXPECT_EQ(read(standard).DT, 1.5 * 0.11);
}

// While it grows, a refined step is a third of the elapsed time at its end
// divided by F, as the standard step (growth 1.5) is a third of it.
TEST(Clock, AGrowingStepStaysAThirdOfTheElapsedTimeDividedByTheFactor) {
  for (const double F : {1.0, 2.0, 8.0}) {
    Clock c(0.0, 1e-6, F);
    for (int step = 0; step < 60 * static_cast<int>(F); ++step) {
      c.advance();
      c.grow(1e9);
    }
    EXPECT_NEAR(c.DT() / (c.T() + c.DT()), 1.0 / (3.0 * F), 1e-9) << "F = " << F;
  }
}

TEST(ClockTimes, PassedAndReachedCompareByRatioForPositiveTargetsAndDirectlyOtherwise) {
  struct Case {
    double T, target;
    bool passed, reached;
  };
  const double just_above_one = std::nextafter(1.0, 2.0);
  const std::vector<Case> cases = {
      {1.0, 1.0, false, true},
      {just_above_one, 1.0, true, false},
      {0.5, 1.0, false, false},
      {std::nextafter(3.0, 4.0), 3.0, true, false},
      {std::nextafter(3.0, 2.0), 3.0, false, false},
      {0.0, 0.0, false, true},
      {0.1, 0.0, true, false},
      {-0.3, -0.2, false, false},
      {-0.1, -0.2, true, false},
      {-0.2, -0.2, false, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(passed_time(c.T, c.target), c.passed) << c.T << " " << c.target;
    EXPECT_EQ(reached_time(c.T, c.target), c.reached) << c.T << " " << c.target;
  }
}

}  // namespace
}  // namespace slurry1d
