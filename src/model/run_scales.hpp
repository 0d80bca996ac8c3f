#pragma once

#include "model/fixed_array.hpp"

namespace slurry1d {

// The scales of a run and the heights its set-up and its course change. The
// set-up derives the scales from the answers and they stay fixed from then on:
// lengths are divided by HTOT, times multiplied by K0/HTOT, stresses divided
// by GW HTOT.
struct RunScales {
  double E0 = 0.0;              // reference void ratio A1 Z1^B1, the void ratio of fresh soil
  double K0 = 0.0;              // reference permeability C E0^D
  double HTOT = 0.0;            // total nominal height the layer receives, the length scale
  double DTMAX = 0.0;           // largest step, nondimensional
  StageArray OPTN, TBFN, TEFN;  // nondimensional output and stage times
  double Z1N = 0.0;             // nondimensional stress offset Z1/(GW HTOT)
  double T0N = 0.0;             // nondimensional starting time

  // The initial nominal height of the column: as answered, replaced at set-up
  // by a thin first layer in a filling run without height, or the nominal
  // height of a continued run's profile.
  double H0 = 0.0;
  // The height as answered; staged filling raises it with the filled top.
  double H0IN = 0.0;
  // Elevation of the base: 0, or the lowest pair of a continued run.
  double ZBOT = 0.0;
  // Elevation of the head of water on top: 0 unless the head-driven steady
  // state sets it.
  double HT = 0.0;

  // A nondimensional time in the units of the input: HTOT T / K0.
  double dimensional_time(double T) const { return HTOT * T / K0; }
};

}  // namespace slurry1d
