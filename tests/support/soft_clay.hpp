#pragma once

// The soft clay of the soil and solver tests.

#include <cmath>

#include "soil/soil.hpp"

namespace slurry1d::testing {

// e = 2.5 (s' + 0.5)^-0.2, k = 1e-6 e^4, a 3-D curve slightly flatter than
// the 1-D one, a cracking function a..d and a crack-wall loss, in a layer of
// 10 units.
inline Soil soft_clay() {
  Soil s;
  s.A1 = 2.5;
  s.B1 = -0.2;
  s.Z1 = 0.5;
  s.C = 1e-6;
  s.D = 4.0;
  s.A2 = 2.1;
  s.B2 = -0.15;
  s.CRA = 1.2;
  s.CRB = 0.05;
  s.CRC = 0.8;
  s.CRD = 2.0;
  s.ETA = 0.3;
  s.GS = 2.65;
  s.GW = 9.81;
  s.HTOT = 10.0;
  s.E0 = s.A1 * std::pow(s.Z1, s.B1);
  s.K0 = s.C * std::pow(s.E0, s.D);
  return s;
}

}  // namespace slurry1d::testing
