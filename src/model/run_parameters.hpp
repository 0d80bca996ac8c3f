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
// and its elevation.
struct ProfilePair {
  double e = 0.0;
  double z = 0.0;
};

// Every answer of the console dialog and the values the set-up derives from
// them. Names follow the dialog's own short upper-case names.
struct RunParameters {
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
  double H0 = 0.0;  // initial height (replaced at set-up in some runs)
  int IFIL = 0;     // staged filling: 1 = yes, 2 = no
  int NS = 0;       // number of filling stages
  FixedArray<FillingStage, MAXSTAGE> stage;
  // Top boundary: 1 = velocity VT, 2 = head HT (never stored), 3 = surcharge LT.
  int ITOP = 0;
  double LT = 0.0, HT = 0.0, VT = 0.0;
  // Bottom boundary: 1 = velocity VB (impervious when 0), 2 = pressure head HB, 3 = pervious.
  int IBOT = 0;
  double VB = 0.0, HB = 0.0, LB = 0.0;
  double ME = 0.0;  // minimum void ratio
  double TS = 0.0;  // starting time
  int NO = 0;       // number of output times
  StageArray OPT;   // output times
  double MAXDT = 0.0;
  int ICONT = 0;                             // continue the last run: 1 = yes, 2 = no
  int ND = 0;                                // number of profile pairs of a continued run
  FixedArray<ProfilePair, MAXNODE> profile;  // pair 1 is the lowest point

  // Fixed values.
  int NNI = 51;
  double ZBOT = 0.0;

  // Derived at set-up.
  double E0 = 0.0;    // reference void ratio A1 Z1^B1
  double K0 = 0.0;    // reference permeability C E0^D
  double H0IN = 0.0;  // initial height as answered (raised during filling)
  double HTOT = 0.0;  // total nominal height, the length scale
  double DTMAX = 0.0;
  StageArray OPTN, TBFN, TEFN;  // nondimensional output and stage times
  double Z1N = 0.0;
  double T0N = 0.0;
};

}  // namespace slurry1d
