#pragma once

namespace slurry1d {

// T has passed, or stands exactly on, the time `target`. For positive times
// these are the ratio tests T/target > 1 and T/target = 1; times at or below
// zero are compared directly, where a ratio would lose its meaning.
bool passed_time(double T, double target);
bool reached_time(double T, double target);

// The clock of a run, in nondimensional time K0 t / HTOT: the time T, the
// length DT of the step under way, the length DTPREV of the step before it,
// the step DTSAVE carried from one output interval into the next, and TMARK,
// the start of the step in which the soil began to crack (the starting time
// until then). Its operations are the only writers of these five values; each
// is the one expression by which the run has always moved them, so that every
// time it reaches is the same to the last bit.
//
// A clock with a step factor F > 1 takes every step F times shorter: the
// first step, the largest step, the step after the first crack and every step
// limit it is given are divided by F, and a step grows by 3F/(3F - 1) instead
// of 1.5. With F = 1 each length is taken as given and the growth is 1.5.
class Clock {
 public:
  Clock() = default;
  // At the starting time T0 (T and TMARK) with the first step DT, shortened by
  // the step factor.
  Clock(double T0, double DT, double step_factor = 1.0)
      : T_(T0),
        DT_(DT),
        TMARK_(T0),
        factor_(step_factor),
        growth_(step_factor == 1.0 ? 1.5 : 3.0 * step_factor / (3.0 * step_factor - 1.0)) {
    DT_ = shortened(DT);
  }

  double T() const { return T_; }
  double DT() const { return DT_; }
  double DTPREV() const { return DTPREV_; }
  double DTSAVE() const { return DTSAVE_; }
  double TMARK() const { return TMARK_; }
  // The factor by which a step grows while it is below the largest step.
  double growth() const { return growth_; }

  // An output interval begins: every interval after the first resumes with
  // the step carried over (DT = DTSAVE), and carries its first step on
  // (DTSAVE = DT).
  void begin_output_interval(bool first);
  // The step is taken: T = T + DT.
  void advance();
  // A step that passed `target` is shortened to end exactly on it.
  void land_on(double target);
  // A diverging step is halved; T goes back by the half removed.
  void halve();
  // Back to the start of the step: T = T - DT.
  void step_back();
  // The step under way becomes the previous one: DTPREV = DT.
  void remember_step();
  // The next step starts afresh with `length` (the first crack).
  void restart_step(double length);
  // The next step grows by the growth factor (by half), at most to
  // `largest`, and is carried into the next output interval.
  void grow(double largest);
  // A step longer than `limit` (a limit of 0 limits nothing) is shortened to
  // it, its end moving back with it.
  void limit_step(double limit);
  // The step is cut to end at `end` (the end of a filling stage), its start
  // kept.
  void cut_at(double end);
  // The start of the step under way is marked: TMARK = T - DT.
  void mark_step_start();

 private:
  double T_ = 0.0;
  double DT_ = 0.0;
  double DTPREV_ = 0.0;
  double DTSAVE_ = 0.0;
  double TMARK_ = 0.0;
  double factor_ = 1.0;
  double growth_ = 1.5;

  // A length the run asks for, as this clock takes it.
  double shortened(double length) const { return factor_ == 1.0 ? length : length / factor_; }
};

}  // namespace slurry1d
