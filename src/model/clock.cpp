#include "model/clock.hpp"

namespace slurry1d {

bool passed_time(double T, double target) {
  return target > 0.0 ? T / target > 1.0 : T > target;
}
bool reached_time(double T, double target) {
  return target > 0.0 ? T / target == 1.0 : T == target;
}

void Clock::begin_output_interval(bool first) {
  if (!first) DT_ = DTSAVE_;
  DTSAVE_ = DT_;
}

void Clock::advance() {
  T_ = T_ + DT_;
}

void Clock::land_on(double target) {
  if (!passed_time(T_, target)) return;
  DT_ = target - T_ + DT_;
  T_ = target;
}

void Clock::halve() {
  T_ = T_ - DT_ / 2.0;
  DT_ = DT_ / 2.0;
}

void Clock::step_back() {
  T_ = T_ - DT_;
}

void Clock::remember_step() {
  DTPREV_ = DT_;
}

void Clock::restart_step(double length) {
  DT_ = shortened(length);
}

void Clock::grow(double largest) {
  const double cap = shortened(largest);
  DT_ = growth_ * DT_;
  if (DT_ > cap) DT_ = cap;
  DTSAVE_ = DT_;
}

void Clock::limit_step(double limit) {
  const double longest = shortened(limit);
  if (longest != 0.0 && DT_ > longest) {
    T_ = (T_ - DT_) + longest;
    DT_ = longest;
  }
}

void Clock::cut_at(double end) {
  DT_ = end - (T_ - DT_);
  T_ = end;
}

void Clock::mark_step_start() {
  TMARK_ = T_ - DT_;
}

}  // namespace slurry1d
