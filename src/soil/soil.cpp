#include "soil/soil.hpp"

namespace slurry1d {

Soil soil_of(const RunDefinition& def, const RunScales& scales) {
  Soil s;
  s.A1 = def.A1;
  s.B1 = def.B1;
  s.C = def.C;
  s.D = def.D;
  s.Z1 = def.Z1;
  s.A2 = def.A2;
  s.B2 = def.B2;
  s.CRA = def.CRA;
  s.CRB = def.CRB;
  s.CRC = def.CRC;
  s.CRD = def.CRD;
  s.ETA = def.ETA;
  s.CV = def.CV;
  s.GS = def.GS;
  s.GW = def.GW;
  s.E0 = scales.E0;
  s.K0 = scales.K0;
  s.HTOT = scales.HTOT;
  return s;
}

}  // namespace slurry1d
