#include "model/column_geometry.hpp"

namespace slurry1d {

namespace {

// The void ratio of element k from the void ratios of its nodes, in the
// forms the column is stacked with.
double mean_of(const NodalArray& e, int k) {
  return (e[k] + e[k + 1]) / 2.0;
}
double scaled_sum_halved(double E0, const NodalArray& r, int k) {
  return E0 * (r[k] + r[k + 1]) / 2.0;
}
double scaled_mean(double E0, const NodalArray& r, int k) {
  return E0 * ((r[k] + r[k + 1]) / 2.0);
}

enum class SpanOrder { SwellFirst, LengthFirst };

// Elevations of nodes 2..last from Z(1) = ZBOT, element k at the void ratio
// void_ratio(k); returns the saturated weight of the elements, summed upward.
template <SpanOrder order, typename VoidRatio>
double stack(const ColumnGeometry& g, SoilColumn& col, int last, VoidRatio void_ratio) {
  col.Z[1] = g.ZBOT;
  double weight = 0.0;
  for (int k = 1; k <= last - 1; ++k) {
    const double e = void_ratio(k);
    const double dz =
        order == SpanOrder::SwellFirst ? g.span(e, col.DXI[k]) : g.span_length_first(e, col.DXI[k]);
    col.Z[k + 1] = col.Z[k] + dz;
    weight += g.saturated_weight(col.Z[k + 1] - col.Z[k], e);
  }
  return weight;
}

}  // namespace

double ColumnGeometry::stack_on_void_ratios(SoilColumn& col) const {
  return stack<SpanOrder::SwellFirst>(*this, col, col.NN,
                                      [&](int k) { return mean_of(col.ER, k); });
}

double ColumnGeometry::stack_on_mid_step_void_ratios(SoilColumn& col) const {
  return stack<SpanOrder::SwellFirst>(*this, col, col.NN,
                                      [&](int k) { return scaled_sum_halved(E0, col.EMID, k); });
}

void ColumnGeometry::stack_on_scaled_void_ratios(SoilColumn& col) const {
  stack<SpanOrder::SwellFirst>(*this, col, col.NN,
                               [&](int k) { return scaled_mean(E0, col.EN, k); });
}

double ColumnGeometry::stack_uncracked(SoilColumn& col, int last) const {
  return stack<SpanOrder::LengthFirst>(*this, col, last, [&](int k) { return mean_of(col.ER, k); });
}

void ColumnGeometry::stack_uncracked_on_scaled_void_ratios(SoilColumn& col, int last) const {
  stack<SpanOrder::LengthFirst>(*this, col, last,
                                [&](int k) { return scaled_sum_halved(E0, col.EN, k); });
}

void ColumnGeometry::stack_fresh(SoilColumn& col) const {
  col.Z[1] = ZBOT;
  for (int i = 1; i <= col.NN - 1; ++i) col.Z[i + 1] = col.Z[i] + nominal_span(col.DXI[i]);
}

double ColumnGeometry::column_weight(const SoilColumn& col) const {
  double wsum = 0.0;
  for (int i = 1; i <= col.NN - 1; ++i) {
    const double eavg = (col.EN[i] + col.EN[i + 1]) * E0 / 2.0;
    wsum += saturated_unit_weight(eavg) * (col.Z[i + 1] - col.Z[i]);
  }
  return wsum;
}

ColumnGeometry column_geometry(const RunDefinition& def, const RunScales& scales) {
  ColumnGeometry g;
  g.E0 = scales.E0;
  g.HTOT = scales.HTOT;
  g.ZBOT = scales.ZBOT;
  g.GS = def.GS;
  g.GW = def.GW;
  return g;
}

}  // namespace slurry1d
