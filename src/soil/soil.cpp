#include "soil/soil.hpp"

namespace slurry1d {

Soil soil_of(const RunParameters& p) {
  Soil s;
  s.A1 = p.A1;
  s.B1 = p.B1;
  s.C = p.C;
  s.D = p.D;
  s.Z1 = p.Z1;
  s.A2 = p.A2;
  s.B2 = p.B2;
  s.CRA = p.CRA;
  s.CRB = p.CRB;
  s.CRC = p.CRC;
  s.CRD = p.CRD;
  s.ETA = p.ETA;
  s.CV = p.CV;
  s.GS = p.GS;
  s.GW = p.GW;
  s.E0 = p.E0;
  s.K0 = p.K0;
  s.HTOT = p.HTOT;
  return s;
}

}  // namespace slurry1d
