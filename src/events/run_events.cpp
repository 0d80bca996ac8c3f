#include "events/run_events.hpp"

namespace slurry1d {

RunObserver& no_observer() {
  static RunObserver none;
  return none;
}

bool RunObservers::add(RunObserver& observer) {
  if (count_ == capacity) return false;
  list_[static_cast<std::size_t>(count_++)] = &observer;
  return true;
}

void RunObservers::run_set_up(const RunSetUp& e) {
  for (RunObserver* o : observers()) o->run_set_up(e);
}

void RunObservers::step_accepted(const StepAccepted& e) {
  for (RunObserver* o : observers()) o->step_accepted(e);
}

void RunObservers::crack_recorded(const CrackRecorded& e) {
  for (RunObserver* o : observers()) o->crack_recorded(e);
}

void RunObservers::report_written(const ReportWritten& e) {
  for (RunObserver* o : observers()) o->report_written(e);
}

void RunObservers::run_ended(const RunEnded& e) {
  for (RunObserver* o : observers()) o->run_ended(e);
}

}  // namespace slurry1d
