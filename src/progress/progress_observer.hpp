#pragma once

// Follows a run for the person who started it: one updating line on the
// terminal with the time reached against the last output time, the steps and
// the nodes, and at the end one line that says how and when the run ended.
//
//   progress::ProgressLine line(std::cerr);
//   progress::FewTimesASecond pace;
//   progress::ProgressObserver watcher(&line, &std::cerr, pace);
//   const int status = run_program(answers, out, controls, dir, watcher);
//   watcher.program_ended(status);   // the line of a run refused in its dialog

#include <chrono>
#include <optional>
#include <ostream>

#include "events/run_events.hpp"
#include "progress/progress_line.hpp"

namespace slurry1d::progress {

// When the progress line is drawn again.
class RedrawPace {
 public:
  RedrawPace() = default;
  RedrawPace(const RedrawPace&) = default;
  RedrawPace& operator=(const RedrawPace&) = default;
  virtual ~RedrawPace() = default;
  // Whether the line is due after accepted step `step` (counted from 1).
  virtual bool due(long step) = 0;
};

// Every `steps` steps, from the first.
class EveryFewSteps final : public RedrawPace {
 public:
  explicit EveryFewSteps(long steps) : steps_(steps < 1 ? 1 : steps) {}
  bool due(long step) override;

 private:
  long steps_;
  std::optional<long> last_;
};

// At most a few times a second: the first step, then whenever a quarter of a
// second has passed, the clock being looked at every 16 steps.
class FewTimesASecond final : public RedrawPace {
 public:
  bool due(long step) override;

 private:
  std::optional<std::chrono::steady_clock::time_point> last_;
};

class ProgressObserver final : public RunObserver {
 public:
  // `line`: the progress line to draw, or null for none. `outcome`: where the
  // line on how the run ended goes (after the progress line is cleared), or
  // null for none. `pace` says when the line is drawn again.
  ProgressObserver(ProgressLine* line, std::ostream* outcome, RedrawPace& pace)
      : line_(line), outcome_(outcome), pace_(pace) {}

  void run_set_up(const RunSetUp& e) override;
  void step_accepted(const StepAccepted& e) override;
  void run_ended(const RunEnded& e) override;

  // Once the program's run is over with `exit_status`: the outcome line of a
  // run that ended before its set-up began, which no event tells.
  void program_ended(int exit_status);

 private:
  void draw(const StepAccepted& e);

  ProgressLine* line_;
  std::ostream* outcome_;
  RedrawPace& pace_;
  double start_time_ = 0.0;
  double last_output_time_ = 0.0;
  std::optional<double> steady_height_;
  bool ended_ = false;
  bool set_up_ = false;
};

}  // namespace slurry1d::progress
