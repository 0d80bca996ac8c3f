#pragma once

#include "model/fixed_array.hpp"

namespace slurry1d {

// 1e-20 rounded to single precision: the default of both iteration
// tolerances and the placeholder steady-state elevation.
inline constexpr double SINGLE_1E_20 = 9.999999682655225e-21;

// One filling stage: beginning time, ending time and the nominal filling rate
// (TBF < TEF) or the nominal height placed at once (TBF = TEF).
struct FillingStage {
  double TBF = 0.0;
  double TEF = 0.0;
  double FRH = 0.0;
};

// One point of a continued run's starting profile: the void ratio (absolute)
// and its elevation. Zero when value-initialised, like the table that holds
// MAXNODE of them (see FixedArray).
struct ProfilePair {
  double e;
  double z;
};

// The kind of condition at the top, by the code the dialog stores: the answer
// 1 (an evaporation rate VT) as Velocity, the answer 2 (a surcharge LT) as
// Surcharge. A head of water on top is never stored. The dialog takes no
// other answer; a code set otherwise acts by where it falls: below Head as a
// velocity top, above it as a surcharge, and it matches none of the named
// kinds.
enum class TopBoundary : int { Velocity = 1, Head = 2, Surcharge = 3 };

// The kind of condition at the base, by the code the dialog stores: the
// answers 1 (impervious) and 4 (a velocity VB) as Velocity, 2 (a pressure
// head HB) as Head, 3 as Pervious. The dialog takes no other answer; a code
// set otherwise acts like a pressure head above Velocity and like a velocity
// below it.
enum class BottomBoundary : int { Velocity = 1, Head = 2, Pervious = 3 };

constexpr int code(TopBoundary kind) {
  return static_cast<int>(kind);
}
constexpr int code(BottomBoundary kind) {
  return static_cast<int>(kind);
}

// Node NN is an unknown of the system with a gradient row: a velocity top,
// or a code below it.
constexpr bool top_has_velocity_row(TopBoundary kind) {
  return code(kind) < code(TopBoundary::Head);
}
// Node NN is held on the compression curve under the surcharge: a surcharge
// top, or a code above it.
constexpr bool top_node_fixed(TopBoundary kind) {
  return code(kind) > code(TopBoundary::Head);
}
// Node 1 is an unknown of the system with a gradient row: a velocity base, or
// a code below it. Every other base fixes node 1.
constexpr bool bottom_has_velocity_row(BottomBoundary kind) {
  return code(kind) < code(BottomBoundary::Head);
}

// The conditions at the two ends of the column. Only the value of the kind
// answered is asked; the others are 0. LB, a load on the base, is never asked.
struct BoundaryConditions {
  TopBoundary ITOP = TopBoundary{0};
  double LT = 0.0;  // surcharge on the top (stress)
  double VT = 0.0;  // velocity at the top; positive upward, an evaporation rate
  BottomBoundary IBOT = BottomBoundary{0};
  double VB = 0.0;  // velocity at the base (impervious when 0)
  double HB = 0.0;  // pressure head of water at the base
  double LB = 0.0;  // load on the base
};

// The run as the engineer defined it: every answer of the console dialog,
// constant once the dialog is over. Names follow the dialog's own short
// upper-case names. What the set-up derives from the answers and what the run
// changes are in RunScales, BoundaryState and Clock.
struct RunDefinition {
  // Constants of the 1-D compression and permeability laws:
  // e = A1 (s' + Z1)^B1,  k = C e^D.
  double A1 = 0.0, B1 = 0.0, C = 0.0, D = 0.0, Z1 = 0.0;
  int IDES = 0;  // 3-D desiccation: 1 = yes, 2 = no
  double ERROR = SINGLE_1E_20;
  double ERROR1 = SINGLE_1E_20;
  // 3-D shrinkage, cracking function a..d, crack-wall loss and crust void ratio.
  double A2 = 0.0, B2 = 0.0;
  double CRA = 0.0, CRB = 0.0, CRC = 0.0, CRD = 0.0;
  double ETA = 0.0, CV = 0.0;
  double GS = 0.0;  // specific gravity of the solids
  double GW = 0.0;  // unit weight of water
  double H0 = 0.0;  // initial height as answered
  int IFIL = 0;     // staged filling: 1 = yes, 2 = no
  int NS = 0;       // number of filling stages
  FixedArray<FillingStage, MAXSTAGE> stage;
  BoundaryConditions bc;
  double ME = 0.0;  // minimum void ratio
  double TS = 0.0;  // starting time
  int NO = 0;       // number of output times
  StageArray OPT;   // output times
  double MAXDT = 0.0;
  int ICONT = 0;                             // continue the last run: 1 = yes, 2 = no
  int ND = 0;                                // number of profile pairs of a continued run
  FixedArray<ProfilePair, MAXNODE> profile;  // pair 1 is the lowest point
};

}  // namespace slurry1d
