#pragma once

// The geometry of the column. Every element carries its nominal length: the
// thickness its solids would take at the void ratio E0 of fresh soil, stored
// in DXI divided by the length scale HTOT. At the void ratio e an element
// spans
//
//   dz = (1 + e)/(1 + E0) HTOT DXI,  and back  HTOT DXI = (1 + E0) dz/(1 + e),
//
// and carries the saturated weight dz (e + GS) GW/(1 + e) (the buoyant weight
// with GS - 1 in place of e + GS). The program evaluates these in several
// orders of operations, and the bits of every elevation depend on the order:
// each order has a name of its own here, and every caller uses the one its
// results were always computed by.

#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/soil_column.hpp"

namespace slurry1d {

// Nominal length, in length units, of an element of span dz at the void
// ratio e: (E0 + 1) dz / (e + 1).
inline double nominal_length(double E0, double dz, double e) {
  return (E0 + 1.0) * dz / (e + 1.0);
}

// The lengths and weights of the column of a run: the reference void ratio
// E0, the length scale HTOT, the base elevation ZBOT, the specific gravity of
// the solids GS and the unit weight of water GW.
struct ColumnGeometry {
  double E0 = 0.0;
  double HTOT = 0.0;
  double ZBOT = 0.0;
  double GS = 0.0;
  double GW = 0.0;

  // ---- one element

  // Span of an element of scaled nominal length DXI at the void ratio e,
  // the swelling factor first: (e + 1)/(E0 + 1) DXI HTOT.
  double span(double e, double DXI) const { return (e + 1.0) / (E0 + 1.0) * DXI * HTOT; }
  // The same, the length first: HTOT DXI (e + 1)/(E0 + 1).
  double span_length_first(double e, double DXI) const {
    return HTOT * DXI * (e + 1.0) / (E0 + 1.0);
  }
  // Span of an element of nominal length h in length units: h (1 + e)/(1 + E0).
  double span_of_nominal_length(double h, double e) const { return h * (1.0 + e) / (1.0 + E0); }
  // Span of an element at the void ratio E0: HTOT DXI.
  double nominal_span(double DXI) const { return HTOT * DXI; }

  // Scaled nominal length of an element of span dz at the void ratio e:
  // ((E0 + 1) dz/(e + 1)) / HTOT.
  double scaled_length(double dz, double e) const { return nominal_length(E0, dz, e) / HTOT; }
  // The same for the void ratio lower + upper given in its two halves, the
  // one added to the upper half: (E0 + 1)(dz/(lower + (upper + 1)))/HTOT.
  double scaled_length_of_halves(double dz, double lower, double upper) const {
    return (E0 + 1.0) * (dz / (lower + (upper + 1.0))) / HTOT;
  }

  // Saturated weight of an element of span dz at the void ratio e:
  // dz (e + GS) GW/(e + 1).
  double saturated_weight(double dz, double e) const { return dz * (e + GS) * GW / (e + 1.0); }
  // The saturated unit weight (e + GS) GW/(e + 1).
  double saturated_unit_weight(double e) const { return (e + GS) * GW / (e + 1.0); }
  // Buoyant weight of an element of span dz at the void ratio e:
  // dz (GS - 1) GW/(e + 1).
  double buoyant_weight(double dz, double e) const { return dz * (GS - 1.0) * GW / (e + 1.0); }
  // The same, the buoyant unit weight first: (GS - 1) GW dz/(e + 1).
  double buoyant_weight_unit_first(double dz, double e) const {
    return (GS - 1.0) * GW * dz / (e + 1.0);
  }

  // ---- the column: elevations stacked from Z(1) = ZBOT

  // Nodes 2..NN on elements at the mean of the absolute void ratios ER of
  // their nodes (the passes of a run without desiccation). Returns the
  // saturated weight of the column.
  double stack_on_void_ratios(SoilColumn& col) const;
  // Nodes 2..NN on elements at E0 times the sum of the mid-step void ratios
  // EMID of their nodes, halved (the passes of staged filling). Returns the
  // saturated weight.
  double stack_on_mid_step_void_ratios(SoilColumn& col) const;
  // Nodes 2..NN on elements at E0 times the mean of the void ratios EN of
  // their nodes (the accepted step without desiccation).
  void stack_on_scaled_void_ratios(SoilColumn& col) const;
  // Nodes 2..last below a crack tip, the length first, on elements at the
  // mean of ER (the passes of a desiccation run). Returns their saturated
  // weight.
  double stack_uncracked(SoilColumn& col, int last) const;
  // Nodes 2..last below a crack tip, the length first, on elements at E0
  // times the sum of EN, halved (the accepted step of a desiccation run).
  void stack_uncracked_on_scaled_void_ratios(SoilColumn& col, int last) const;
  // Nodes 2..NN at the void ratio E0 (a column of fresh soil).
  void stack_fresh(SoilColumn& col) const;

  // Total vertical stress at the base: the saturated unit weight of every
  // element, at E0 times the sum of EN halved, times its span.
  double column_weight(const SoilColumn& col) const;
};

// The geometry of a run's column: E0, HTOT and ZBOT of the scales, GS and GW
// of the answers.
ColumnGeometry column_geometry(const RunDefinition& def, const RunScales& scales);

}  // namespace slurry1d
