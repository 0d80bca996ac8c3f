#include "progress/progress_observer.hpp"

#include <array>
#include <string>
#include <string_view>

#include "progress/run_outcome.hpp"

namespace slurry1d::progress {

bool EveryFewSteps::due(long step) {
  if (last_ && step - *last_ < steps_) return false;
  last_ = step;
  return true;
}

bool FewTimesASecond::due(long step) {
  constexpr long kLookEvery = 16;
  constexpr auto kInterval = std::chrono::milliseconds(250);
  if (last_ && step % kLookEvery != 0) return false;
  const auto now = std::chrono::steady_clock::now();
  if (last_ && now - *last_ < kInterval) return false;
  last_ = now;
  return true;
}

void ProgressObserver::run_set_up(const RunSetUp& e) {
  set_up_ = true;
  start_time_ = e.start_time;
  last_output_time_ = e.last_output_time;
  if (e.steady_state_known) steady_height_ = e.steady_height;
}

void ProgressObserver::step_accepted(const StepAccepted& e) {
  if (line_ == nullptr || !pace_.due(e.step)) return;
  draw(e);
}

void ProgressObserver::draw(const StepAccepted& e) {
  std::array<char, ProgressLine::CAPACITY> text;
  const std::size_t length = progress_text(
      text, ProgressFigures{e.time, start_time_, last_output_time_, e.step, e.column.NN});
  line_->draw(std::string_view(text.data(), length));
}

void ProgressObserver::run_ended(const RunEnded& e) {
  ended_ = true;
  if (line_ != nullptr) line_->hide();
  if (outcome_ == nullptr) return;
  *outcome_ << outcome_line(e, steady_height_) << '\n';
  outcome_->flush();
}

void ProgressObserver::program_ended(int exit_status) {
  if (ended_) return;
  ended_ = true;
  if (line_ != nullptr) line_->hide();
  if (outcome_ == nullptr) return;
  *outcome_ << outcome_before_run(exit_status) << '\n';
  outcome_->flush();
}

}  // namespace slurry1d::progress
