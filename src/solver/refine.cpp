#include "solver/refine.hpp"

#include <cmath>

#include "model/run_stop.hpp"

namespace slurry1d {

namespace {

// Elevations of the two lowest and the two highest nodes before any split.
struct EndElevations {
  double Zb1, Zb2, Zt1, Zt2;
};

[[noreturn]] void stop_for_capacity() {
  throw RunStop(StopKind::CannotGoOn,
                {"INAPPROPRIATE COMBINATION OF BOUNDARY CONDITIONS AND MATERIAL PROPERTIES!",
                 "PLEASE ADJUST THE BOUNDARY CONDITION OR MODIFY THE MATRIAL PROPERTIES!"});
}

// Thickness of the boundary layer at a node where the pore water moves at the
// velocity v: a tenth of the distance over which the void ratio, falling at
// the gradient that v implies, would reach ME.
double layer_estimate(const Soil& soil, double ME, double v, double r) {
  const double sp = soil.compression_slope(r);
  const double q = (r - ME / soil.E0) / 10.0;
  const double g = soil.boundary_gradient(v, r, sp);
  return q / g;
}

// Number of nodes that split an end element of scaled length dxi into parts no
// thicker than the estimate h, as a real so that a huge quotient cannot
// overflow: the quotient truncated toward zero, 0 when negative. A zero
// estimate splits nothing but still counts as a split.
double split_count(double dxi, double h) {
  if (h <= 0.0) return 0.0;
  const double n = std::trunc(dxi / h);
  return n > 0.0 ? n : 0.0;
}

// Whether the strict test asks for a split; false for a NaN estimate and for
// an estimate of +infinity.
bool needs_split(double h, double dxi) {
  return h < dxi;
}

// Scaled length of an element spanning dz in elevation at the mean of the
// scaled void ratios of its nodes.
double element_length(const ColumnGeometry& geometry, double dz, double ra, double rb) {
  const double em = (ra + rb) * (geometry.E0 * 0.5);
  return geometry.scaled_length(dz, em);
}

// Inserts n nodes in the bottom element: everything above it moves up by n,
// the new nodes interpolate between node 1 and the old node 2, and the n + 1
// elements below the old node 2 share its elevation span.
void split_bottom_element(const ColumnGeometry& geometry, SoilColumn& col, int n,
                          const EndElevations& e) {
  auto& EN = col.EN;
  auto& DXI = col.DXI;
  for (int k = col.NN; k >= n + 2; --k) {
    DXI[k] = DXI[k - n];
    EN[k] = EN[k - n];
  }
  const double parts = static_cast<double>(n + 1);
  const double step = (EN[n + 2] - EN[1]) / parts;
  for (int j = 2; j <= n + 1; ++j) {
    EN[j] = static_cast<double>(j - 1) * step + EN[1];
  }
  const double dz = (e.Zb2 - e.Zb1) / parts;
  for (int j = 1; j <= n + 1; ++j) {
    DXI[j] = element_length(geometry, dz, EN[j], EN[j + 1]);
  }
}

// Inserts m nodes in the top element (the column already holds its new NN):
// the old top value moves to the new top node, the new nodes interpolate
// between it and the old node below the top, and the m + 1 elements above that
// node share the old top element's elevation span.
void split_top_element(const ColumnGeometry& geometry, SoilColumn& col, int m,
                       const EndElevations& e) {
  auto& EN = col.EN;
  auto& DXI = col.DXI;
  const int T = col.NN;
  EN[T] = EN[T - m];
  const double parts = static_cast<double>(m + 1);
  const double step = (EN[T] - EN[T - m - 1]) / parts;
  for (int k = T - 1; k >= T - m; --k) {
    EN[k] = EN[T] - static_cast<double>(T - k) * step;
  }
  const double dz = (e.Zt1 - e.Zt2) / parts;
  for (int k = T - 1; k >= T - m - 1; --k) {
    DXI[k] = element_length(geometry, dz, EN[k + 1], EN[k]);
  }
}

// Elevations after n nodes were added at the bottom and m at the top: the new
// nodes evenly spaced in the split elements, the old interior nodes moved up
// by n places.
void rebuild_elevations(SoilColumn& col, int n, int m, const EndElevations& e) {
  auto& Z = col.Z;
  const int NN = col.NN;
  Z[NN] = e.Zt1;
  Z[1] = e.Zb1;
  const double top_step = (e.Zt1 - e.Zt2) / static_cast<double>(m + 1);
  for (int k = NN - 1; k >= NN - m; --k) {
    Z[k] = e.Zt1 - static_cast<double>(NN - k) * top_step;
  }
  for (int k = NN - m - 1; k >= n + 2; --k) {
    Z[k] = Z[k - n];
  }
  const double bottom_step = (e.Zb2 - e.Zb1) / static_cast<double>(n + 1);
  for (int k = n + 1; k >= 2; --k) {
    Z[k] = static_cast<double>(k - 1) * bottom_step + e.Zb1;
  }
}

// Effective stress of a column of buoyant soil under the water table at the
// top node: LT at the top, the buoyant weight of each element added downward,
// LB added at the base.
void rebuild_hydrostatic_stress(const ColumnGeometry& geometry, const BoundaryConditions& bc,
                                SoilColumn& col) {
  const auto& EN = col.EN;
  const auto& Z = col.Z;
  auto& SIGE = col.SIGE;
  SIGE[col.NN] = bc.LT;
  for (int k = col.NN - 1; k >= 1; --k) {
    const double em = (EN[k + 1] + EN[k]) * (geometry.E0 * 0.5);
    SIGE[k] = geometry.buoyant_weight_unit_first(Z[k + 1] - Z[k], em) + SIGE[k + 1];
  }
  SIGE[1] = SIGE[1] + bc.LB;
}

// The split count for an end element, or the capacity stop when the column
// would pass MAXNODE nodes with it.
int checked_count(double count, int NN) {
  if (static_cast<double>(NN) + count > static_cast<double>(MAXNODE)) stop_for_capacity();
  return static_cast<int>(count);
}

}  // namespace

void refine_boundary_elements(const Soil& soil, const ColumnGeometry& geometry,
                              const BoundaryConditions& bc, double ME, SoilColumn& col,
                              NodeAddition& added, RecordWriter& console) {
  added = NodeAddition{};
  const EndElevations ends{col.Z[1], col.Z[2], col.Z[col.NN], col.Z[col.NN - 1]};

  if (bc.IBOT == BottomBoundary::Velocity) {
    const double hB = layer_estimate(soil, ME, bc.VB, col.EN[2]);
    if (needs_split(hB, col.DXI[1])) {
      const int n = checked_count(split_count(col.DXI[1], hB), col.NN);
      added.NBOTADD = n;
      col.NN += n;
      added.KBOTADD = 1;
      split_bottom_element(geometry, col, n, ends);
    }
  }

  if (bc.ITOP == TopBoundary::Velocity) {
    const double hT = -layer_estimate(soil, ME, bc.VT, col.EN[col.NN]);
    if (needs_split(hT, col.DXI[col.NN - 1])) {
      const int m = checked_count(split_count(col.DXI[col.NN - 1], hT), col.NN);
      added.NTOPADD = m;
      col.NN += m;
      added.KTOPADD = 1;
      split_top_element(geometry, col, m, ends);
    }
  }

  rebuild_elevations(col, added.NBOTADD, added.NTOPADD, ends);
  rebuild_hydrostatic_stress(geometry, bc, col);

  console.free("ADDITIONAL NODES ADDED AT TOP    = ", added.NTOPADD);
  console.free("ADDITIONAL NODES ADDED AT BOTTOM = ", added.NBOTADD);
  console.free("TOTAL NUMBER OF NODES\t    = ", col.NN);
}

}  // namespace slurry1d
