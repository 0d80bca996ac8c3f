#include "solver/filling.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace slurry1d {

namespace {

// 1e-9 rounded to single precision: an added height below this fraction of
// the layer is not worth a re-mesh.
constexpr double MIN_ADDED_FRACTION = 9.999999717180685e-10;
// 1.000001 rounded to single precision: tolerance of the bracket search.
constexpr double BRACKET_RATIO = 1.0000009536743164;

// The old layer keeps at least a tenth of the spacings of a column of
// 10 NNI - 9 nodes, NNI - 1 nodes (50 of 501), and never fewer than two.
int least_old_nodes(int NNI) {
  return std::max(NNI - 1, 2);
}

// Time control of a stage that adds nothing (FRH <= 0): a step that passes
// the stage end is cut back to it and the next stage begins.
void control_time_without_filling(const RunScales& scales, Clock& clock, StageCursor& c) {
  const double TE = scales.TEFN[c.KSTG];
  if (c.KF7 != 0 && clock.T() > TE) {
    clock.cut_at(TE);
    c.KF7 = 0;
    c.KSTG = c.KSTG + 1;
  } else if (c.KF7 != 0 && clock.T() / TE == 1.0) {
    c.KF7 = 0;
    c.KSTG = c.KSTG + 1;
  } else {
    c.KF7 = 1;
  }
}

// Nominal height filled during the step by a gradual stage (FRH > 0, its step
// limit S not 0), added to A. Inside the stage each step is credited with the
// mean of its own and the previous step length; the step that ends the stage
// is cut back to the ending time and credited twice with half its length.
// Nothing is credited for a step that ends at or before the stage's beginning
// time: in a gap between two stages the cursor already stands on the next
// stage, and the gap must not be filled at its rate.
double credit_gradual_stage(const RunDefinition& def, const RunScales& scales, Clock& clock,
                            StageCursor& c, double S, double A) {
  const int ks = c.KSTG;
  const double FRH = def.stage[ks].FRH;
  const double TB = scales.TBFN[ks];
  const double TE = scales.TEFN[ks];

  clock.limit_step(S);
  if (c.KF7 != 0 && clock.T() >= TE) {
    clock.cut_at(TE);
    c.KF7 = 0;
  } else {
    c.KF7 = 1;
  }
  if (c.KF7 == 0 && clock.T() > TB) {
    A = FRH * 0.5 * clock.DT() * scales.HTOT / scales.K0 + A;
    clock.remember_step();
  }
  if (c.KF7 == 1 && clock.T() > TB) {
    A = (clock.DT() + clock.DTPREV()) * FRH / 2.0 * scales.HTOT / scales.K0 + A;
  }
  if (c.KF7 == 0 && clock.T() / TE == 1.0) {
    A = FRH * 0.5 * clock.DT() * scales.HTOT / scales.K0 + A;
    c.KSTG = c.KSTG + 1;
  }
  return A;
}

// Finds, for rising heights h above the base, the first old node j >= 2 with
// h / (Z(j) - ZBOT) <= BRACKET_RATIO. A node that failed for a lower
// non-negative height fails for every higher one, so the search resumes where
// it last stopped and the whole pass is linear; otherwise it starts again
// from node 2. Node 1 is never a divisor.
class HeightBracket {
 public:
  HeightBracket(const NodalArray& Z, int NN, double ZBOT) : Z_(Z), NN_(NN), ZBOT_(ZBOT) {}

  // The node found, or NN + 1 when none qualifies.
  int find(double h) {
    if (!(last_ >= 0.0 && h >= last_)) j_ = 2;
    last_ = h;
    while (j_ <= NN_ && !(h / (Z_[j_] - ZBOT_) <= BRACKET_RATIO)) ++j_;
    return j_;
  }

 private:
  const NodalArray& Z_;
  int NN_;
  double ZBOT_;
  int j_ = 2;
  double last_ = -1.0;
};

// Node counts of the added and of the old layer: the added layer gets about
// its share of NN - 1 equal spacings, at least one node, and the old layer
// keeps at least `least_old` nodes.
struct LayerSplit {
  int Na;
  int Nk;
};

LayerSplit split_nodes(int NN, double A, double Da, int least_old) {
  const double share = std::trunc(A / Da);
  int Na = 1;
  if (share >= 1.0) Na = share < static_cast<double>(NN) ? static_cast<int>(share) : NN;
  int Nk = NN - Na;
  if (Nk < least_old) Nk = least_old;
  Na = NN - Nk;
  return {Na, Nk};
}

// Re-meshes the column with the same number of nodes: the old layer, from ZBOT
// to its top, over Nk (at least `least_old`) evenly spaced nodes whose void
// ratios interpolate the old profile, and the added nominal height A at the
// void ratio E0 over the Na nodes above it.
void remesh_with_added_layer(const ColumnGeometry& geometry, SoilColumn& col, double A,
                             int least_old, FillingWork& w) {
  const int NN = col.NN;
  assert(NN > least_old && "the re-mesh needs more nodes than the old layer keeps");
  const double ZBOT = geometry.ZBOT;
  const double E0 = geometry.E0;
  const double HTOT = geometry.HTOT;
  const auto& Z = col.Z;
  const auto& EN = col.EN;
  auto& DXI = col.DXI;
  auto& Zw = w.Zw;
  auto& Ew = w.Ew;

  const double height = Z[NN] - ZBOT;
  const LayerSplit split =
      split_nodes(NN, A, (A + Z[NN] - ZBOT) / static_cast<double>(NN - 1), least_old);
  const int Nk = split.Nk;
  const double Da = A / static_cast<double>(split.Na);
  const double Db = height / static_cast<double>(Nk - 1);

  Zw[1] = ZBOT;
  Ew[1] = EN[1];
  for (int k = 2; k <= Nk; ++k) Zw[k] = Db + Zw[k - 1];
  for (int k = Nk + 1; k <= NN; ++k) {
    Zw[k] = Da + Zw[k - 1];
    Ew[k] = 1.0;
    DXI[k - 1] = Da / HTOT;
  }

  HeightBracket bracket(Z, NN, ZBOT);
  for (int k = 2; k <= Nk; ++k) {
    const int j = bracket.find(Zw[k] - ZBOT);
    if (j > NN) continue;
    Ew[k] = ((Z[j] - Zw[k]) * EN[j - 1] + (Zw[k] - Z[j - 1]) * EN[j]) / (Z[j] - Z[j - 1]);
    DXI[k - 1] = geometry.scaled_length_of_halves(Db, E0 * Ew[k - 1] / 2.0, E0 * Ew[k] / 2.0);
  }
  Ew[Nk] = EN[NN];

  col.EN.copy_from(Ew, NN);
  col.Z.copy_from(Zw, NN);
}

}  // namespace

void advance_filling(const RunDefinition& def, const RunScales& scales, int NNI, Clock& clock,
                     SoilColumn& col, StageCursor& cursor, FillingWork& work) {
  // Past the last stage there is nothing to fill and no stage end to reach.
  if (cursor.KSTG > def.NS) {
    cursor.KF7 = 1;
    return;
  }
  double A = 0.0;
  double S = (scales.TEFN[cursor.KSTG] - scales.TBFN[cursor.KSTG]) / 20.0;
  if (S > scales.DTMAX) S = scales.DTMAX;
  clock.limit_step(S);

  // Instantaneous stages place their height at once; the loop goes on with the
  // next stage, with the step limit of the first (so a further stage with
  // material is taken the same way, its amount replacing the earlier one).
  for (;;) {
    const double FRH = cursor.KSTG <= def.NS ? def.stage[cursor.KSTG].FRH : -1.0;
    if (A != 0.0 && FRH <= 0.0) break;
    if (A == 0.0 && FRH <= 0.0) {
      control_time_without_filling(scales, clock, cursor);
      return;
    }
    if (S != 0.0) {
      A = credit_gradual_stage(def, scales, clock, cursor, S, A);
      if (!(A / (col.Z[col.NN] - scales.ZBOT) > MIN_ADDED_FRACTION)) return;
      break;
    }
    A = FRH;
    cursor.KSTG = cursor.KSTG + 1;
  }
  remesh_with_added_layer(column_geometry(def, scales), col, A, least_old_nodes(NNI), work);
}

}  // namespace slurry1d
