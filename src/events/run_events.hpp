#pragma once

// The stream of events out of a run: what the set-up built, every accepted
// time step, every "tc.out" record, every report and the end. Features that
// follow a run from outside (results as data, pictures, a progress line, a
// summary, verification) implement RunObserver and are handed to the run;
// the time loop itself does not change for them.
//
// Every event is a small struct passed as a const reference; the references
// it holds are valid during the call only (copy what is needed later). All
// times are dimensional (HTOT T/K0, the units of the answers), as are lengths,
// stresses and flows. Nodes are numbered from the base, node 1, to the top,
// node NN; scaled void ratios EN are e/E0.

#include <array>
#include <span>
#include <string>

#include "model/clock.hpp"
#include "model/node_addition.hpp"
#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/run_stop.hpp"
#include "model/soil_column.hpp"
#include "output/crack_record.hpp"
#include "output/state_report.hpp"
#include "soil/soil.hpp"

namespace slurry1d {

// Fires once per run, when the set-up has built the column, solved the steady
// state, held back the deferred boundaries and refined the ends; before the
// report at the starting time.
struct RunSetUp {
  const RunDefinition& def;   // the answers
  const RunScales& scales;    // E0, K0, HTOT, the nondimensional times, the heights
  const Soil& soil;           // the constants and the constitutive relations
  const SoilColumn& column;   // the initial column; ESS and ZSS hold the steady-state profile
  bool steady_state_known;    // the steady state was solved (new runs without desiccation)
  double steady_height;       // its height ZSS(NN) - ZSS(1); 0 when not known
  double start_time;          // TS
  double last_output_time;    // OPT(NO); TS when no output time is asked for
  const NodeAddition& added;  // the refinement of the ends at set-up: the steady-state profile
                              // covers the column's nodes before it, NN less the nodes added
};

// Fires after every accepted time step: one per step line of the console, and
// one for a step that ends the run before its step line (four quiet steps,
// the unstable stop, the minimum void ratio). Before the stop conditions are
// applied and before the report of an output time the step reaches.
struct StepAccepted {
  long step;                   // number of the accepted step in the run, from 1
  int output_index;            // IOUT: the output time OPT(IOUT) the step marches towards
  const Clock& clock;          // the run's clock, nondimensional; DT is the next step's length
  double time;                 // time at the end of the step
  double step_length;          // the length of the step
  int passes;                  // passes of the iteration, as the step line counts them
  int halvings;                // times the step was halved before it converged
  double marching_difference;  // the step line's marching difference DSQ/NN
  const SoilColumn& column;    // the column at the end of the step
  double height;               // Z(NN) - Z(1)
  double nominal_height;       // H0IN: the initial height, raised by staged filling with
                               // the filled top (the nominal height placed so far)
  double QTOP;                 // cumulated outflow at the top (0 in desiccation runs)
  double QBOT;                 // cumulated outflow at the base (0 in desiccation runs)
  double crust;                // crust thickness: top down to the first node at or above CV
  int crack_tip;               // NN1, the lowest cracked node; NN + 1 without a crack
  double crack_depth;          // Z(NN) - Z(NN1); 0 without a crack
  double evaporated;           // VEVAP: volume evaporated or drained through the surfaces
};

// Which "tc.out" record of a desiccation run.
enum class CrackRecordKind {
  Deepened,    // after a step in which an existing crack deepened
  OutputTime,  // at an output time before the last, with a crack
  End,         // at the end of the run (every end but the minimum void ratio)
};

// Fires after each "tc.out" record is written.
struct CrackRecorded {
  CrackRecordKind kind;
  const CrackRecord& record;  // the values of the record, unrounded
  double crust;               // crust thickness at the record: top down to the first node at or
                              // above CV
};

// Which report: one per "TIME =" block of "vd.out".
enum class ReportKind {
  Start,       // the starting time, written by the set-up
  OutputTime,  // an output time before the last
  End,         // every end of the run that writes its records
};

// Fires after each report ("vd.out" block, "ts.out" line, console time line).
// report.figures holds the time and what the "ts.out" line shows, and the
// water table WT the pressures are hydrostatic to. The report's nodal arrays
// hold the reported column (the nodes the last boundary refinement added left
// out, ER clamped at ME in the later tables); for every node of the column,
// unclamped, read the column: e = E0 EN (soil.E0), the solid content
// GS/(e + GS), the effective stress of the compression curve, the
// permeability soil.permeability(e), the 3-D shrinkage factor
// soil.shrinkage_ratio(EN, ECR); compute_water_pressures() gives the report's
// pore pressures of every node (runs without desiccation), their excess being
// UP - (WT - Z) GW.
struct ReportWritten {
  ReportKind kind;
  int output_index;           // the output time's index for OutputTime; 0 at Start; at End the
                              // output times reached so far
  const ReportWork& report;   // what the report computed
  const SoilColumn& column;   // the whole column reported
  const Soil& soil;           // the constants and the constitutive relations
  const RunDefinition& def;   // the answers (IDES, ME, GS, GW, ...)
  bool steady_state_known;    // column.ESS and ZSS hold a solved steady state
  const NodeAddition& added;  // the nodes the last refinement added, which the report leaves out:
                              // with KBOTADD = 1 nodes 2..NBOTADD + 1, with KTOPADD = 1 the
                              // NTOPADD nodes below the top
};

// Fires once at the end of every run whose set-up began, after the result
// files are closed: the reason, the time, the program's exit status. A run
// refused or interrupted during the dialog has no events at all.
struct RunEnded {
  EndReason reason;
  int exit_status;                       // what the program returns
  double time;                           // the time the run ended at (TS before the clock ran)
  int node;                              // MinimumVoidRatio: the node that reached ME; else 0
  int output_times_reached;              // OPT(1..n) reached; OPT(n+1..NO) were not
  std::span<const std::string> message;  // the stop's message lines; none for an answer
  const RunDefinition& def;              // the answers: OPT, NO, H0
  const SoilColumn& column;              // the column at the end; NN = 0 when it was never built
  double height;                         // its height Z(NN) - Z(1)
  const RunScales& scales;               // E0, K0, HTOT as far as the set-up derived them (all 0
                                         // when it ended before computing them)
};

// Receives the events of a run. Every method does nothing unless overridden.
class RunObserver {
 public:
  RunObserver() = default;
  RunObserver(const RunObserver&) = default;
  RunObserver& operator=(const RunObserver&) = default;
  virtual ~RunObserver() = default;

  virtual void run_set_up(const RunSetUp&) {}
  virtual void step_accepted(const StepAccepted&) {}
  virtual void crack_recorded(const CrackRecorded&) {}
  virtual void report_written(const ReportWritten&) {}
  virtual void run_ended(const RunEnded&) {}
};

// An observer that ignores every event: the run of nobody's interest.
RunObserver& no_observer();

// Several observers at once: each event goes to every observer in the order
// they were added. Holds at most `capacity` observers without allocating.
class RunObservers final : public RunObserver {
 public:
  static constexpr int capacity = 8;

  // Adds an observer, which must outlive the run; returns false when full.
  bool add(RunObserver& observer);
  bool empty() const { return count_ == 0; }

  void run_set_up(const RunSetUp& e) override;
  void step_accepted(const StepAccepted& e) override;
  void crack_recorded(const CrackRecorded& e) override;
  void report_written(const ReportWritten& e) override;
  void run_ended(const RunEnded& e) override;

 private:
  std::span<RunObserver* const> observers() const {
    return std::span<RunObserver* const>(list_.data(), static_cast<std::size_t>(count_));
  }

  std::array<RunObserver*, capacity> list_{};
  int count_ = 0;
};

}  // namespace slurry1d
