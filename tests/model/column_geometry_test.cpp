// The geometry of the column: spans and nominal lengths of elements in each
// of their orders of evaluation, the stacked elevations and weights of the
// column, and the column weight of the set-up.

#include "model/column_geometry.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace slurry1d {
namespace {

ColumnGeometry clay_geometry() {
  return ColumnGeometry{5.3, 12.5, 0.75, 2.65, 9.81};
}

// A column with the mid-step void ratios the stacking of staged filling reads.
struct VariedColumn : SoilColumn {
  NodalArray EMID{};
};

// Twelve nodes whose void ratios vary from node to node, in every form the
// stacking reads: EN (and the void ratio E0 EN), EMID.
std::unique_ptr<VariedColumn> varied_column(const ColumnGeometry&) {
  auto col = std::make_unique<VariedColumn>();
  col->NN = 12;
  for (int i = 1; i <= 13; ++i) {
    col->EN[i] = 0.41 + 0.037 * i + 0.011 * std::sin(3.0 * i);
    col->EMID[i] = 0.97 * col->EN[i] + 0.013;
    col->DXI[i] = 0.031 + 0.0017 * std::cos(2.0 * i);
    col->Z[i] = -1.0;
  }
  return col;
}

TEST(ColumnGeometry, IsTheScalesOfTheRunAndTheUnitWeightsOfItsAnswers) {
  auto def = std::make_unique<RunDefinition>();
  auto scales = std::make_unique<RunScales>();
  def->GS = 2.7;
  def->GW = 9.8;
  scales->E0 = 4.5;
  scales->HTOT = 7.0;
  scales->ZBOT = -1.25;
  const ColumnGeometry g = column_geometry(*def, *scales);
  EXPECT_EQ(g.E0, 4.5);
  EXPECT_EQ(g.HTOT, 7.0);
  EXPECT_EQ(g.ZBOT, -1.25);
  EXPECT_EQ(g.GS, 2.7);
  EXPECT_EQ(g.GW, 9.8);
}

TEST(ColumnGeometry, SpansAndNominalLengthsInvertEachOther) {
  const ColumnGeometry g = clay_geometry();
  for (const double e : {0.8, 2.4, 5.3, 7.0}) {
    for (const double DXI : {1e-3, 0.02, 0.5}) {
      const double dz = g.span(e, DXI);
      EXPECT_NEAR(g.span_length_first(e, DXI), dz, 1e-15 * dz);
      EXPECT_NEAR(g.scaled_length(dz, e), DXI, 1e-15 * DXI) << e << " " << DXI;

      EXPECT_NEAR(g.scaled_length_of_halves(dz, e / 4.0, 3.0 * e / 4.0), DXI, 1e-15 * DXI);
      EXPECT_NEAR(nominal_length(g.E0, dz, e), g.HTOT * DXI, 1e-14 * DXI);
      EXPECT_NEAR(g.span_of_nominal_length(g.HTOT * DXI, e), dz, 1e-14 * dz);
    }
  }
  // At E0 an element spans its nominal length.
  EXPECT_EQ(g.span(g.E0, 0.25), g.nominal_span(0.25));
  EXPECT_EQ(g.nominal_span(0.25), 12.5 * 0.25);
}

TEST(ColumnGeometry, WeightsAreTheSaturatedAndBuoyantUnitWeightsTimesTheSpan) {
  const ColumnGeometry g = clay_geometry();
  const double e = 3.0, dz = 0.2;
  EXPECT_NEAR(g.saturated_weight(dz, e), dz * (e + 2.65) * 9.81 / (1.0 + e), 1e-14);
  EXPECT_NEAR(g.saturated_unit_weight(e) * dz, g.saturated_weight(dz, e), 1e-14);
  EXPECT_NEAR(g.buoyant_weight(dz, e), g.saturated_weight(dz, e) - dz * 9.81, 1e-14);
  EXPECT_NEAR(g.buoyant_weight_unit_first(dz, e), g.buoyant_weight(dz, e), 1e-15);
}

// Every element formula against its expression written out in its order, and
// against the other order of the same algebra: the first must agree to the
// bit, and the sample must be rich enough that the other order differs
// somewhere, or the check would prove nothing.
struct ElementOrder {
  const char* name;
  std::function<double(const ColumnGeometry&, double, double)> function, written, other;
};

TEST(ColumnGeometry, EveryElementFormulaKeepsItsOrderOfEvaluation) {
  const std::vector<ElementOrder> cases = {
      {"span", [](const ColumnGeometry& g, double e, double d) { return g.span(e, d); },
       [](const ColumnGeometry& g, double e, double d) {
         return (e + 1.0) / (g.E0 + 1.0) * d * g.HTOT;
       },
       [](const ColumnGeometry& g, double e, double d) { return g.span_length_first(e, d); }},
      {"span_length_first",
       [](const ColumnGeometry& g, double e, double d) { return g.span_length_first(e, d); },
       [](const ColumnGeometry& g, double e, double d) {
         return g.HTOT * d * (e + 1.0) / (g.E0 + 1.0);
       },
       [](const ColumnGeometry& g, double e, double d) { return g.span(e, d); }},
      {"scaled_length",
       [](const ColumnGeometry& g, double e, double d) { return g.scaled_length(d, e); },
       [](const ColumnGeometry& g, double e, double d) {
         return ((g.E0 + 1.0) * d / (e + 1.0)) / g.HTOT;
       },
       [](const ColumnGeometry& g, double e, double d) {
         return (g.E0 + 1.0) * (d / (e + 1.0)) / g.HTOT;
       }},
      {"scaled_length_of_halves",
       [](const ColumnGeometry& g, double e, double d) {
         return g.scaled_length_of_halves(d, 0.3 * e, 0.7 * e);
       },
       [](const ColumnGeometry& g, double e, double d) {
         return (g.E0 + 1.0) * (d / (0.3 * e + (0.7 * e + 1.0))) / g.HTOT;
       },
       [](const ColumnGeometry& g, double e, double d) {
         return g.scaled_length(d, 0.3 * e + 0.7 * e);
       }},
      {"saturated_weight",
       [](const ColumnGeometry& g, double e, double d) { return g.saturated_weight(d, e); },
       [](const ColumnGeometry& g, double e, double d) {
         return d * (e + g.GS) * g.GW / (e + 1.0);
       },
       [](const ColumnGeometry& g, double e, double d) { return g.saturated_unit_weight(e) * d; }},
      {"buoyant_weight",
       [](const ColumnGeometry& g, double e, double d) { return g.buoyant_weight(d, e); },
       [](const ColumnGeometry& g, double e, double d) {
         return d * (g.GS - 1.0) * g.GW / (e + 1.0);
       },
       [](const ColumnGeometry& g, double e, double d) {
         return g.buoyant_weight_unit_first(d, e);
       }},
  };
  const ColumnGeometry g = clay_geometry();
  for (const ElementOrder& c : cases) {
    int other_differs = 0;
    for (int i = 1; i <= 60; ++i) {
      for (int j = 1; j <= 30; ++j) {
        const double e = 0.3 + 0.117 * i;
        const double d = 0.0013 * j + 1e-4 * i;
        const double got = c.function(g, e, d);
        ASSERT_EQ(got, c.written(g, e, d)) << c.name << " e=" << e << " d=" << d;
        if (got != c.other(g, e, d)) ++other_differs;
      }
    }
    EXPECT_GT(other_differs, 0) << c.name << ": the sample cannot tell the orders apart";
  }
}

// A stacking of the column against its recurrence written out.
struct StackCase {
  const char* name;
  int last;  // 0 for the whole column
  std::function<double(const ColumnGeometry&, VariedColumn&)> stack;
  std::function<double(const ColumnGeometry&, const VariedColumn&, int)> void_ratio;
  bool length_first;
  bool weighs;
};

TEST(ColumnGeometry, EveryStackingFollowsItsOwnRecurrence) {
  const std::vector<StackCase> cases = {
      {"on void ratios", 0,
       [](const ColumnGeometry& g, VariedColumn& c) { return g.stack_on_void_ratios(c); },
       [](const ColumnGeometry& g, const VariedColumn& c, int k) {
         return (g.E0 * c.EN[k] + g.E0 * c.EN[k + 1]) / 2.0;
       },
       false, true},
      {"on mid-step void ratios", 0,
       [](const ColumnGeometry& g, VariedColumn& c) {
         return g.stack_on_mid_step_void_ratios(c, c.EMID);
       },
       [](const ColumnGeometry& g, const VariedColumn& c, int k) {
         return g.E0 * (c.EMID[k] + c.EMID[k + 1]) / 2.0;
       },
       false, true},
      {"on scaled void ratios", 0,
       [](const ColumnGeometry& g, VariedColumn& c) {
         g.stack_on_scaled_void_ratios(c);
         return 0.0;
       },
       [](const ColumnGeometry& g, const VariedColumn& c, int k) {
         return g.E0 * ((c.EN[k] + c.EN[k + 1]) / 2.0);
       },
       false, false},
      {"uncracked", 8,
       [](const ColumnGeometry& g, VariedColumn& c) { return g.stack_uncracked(c, 8); },
       [](const ColumnGeometry& g, const VariedColumn& c, int k) {
         return (g.E0 * c.EN[k] + g.E0 * c.EN[k + 1]) / 2.0;
       },
       true, true},
      {"uncracked on scaled void ratios", 8,
       [](const ColumnGeometry& g, VariedColumn& c) {
         g.stack_uncracked_on_scaled_void_ratios(c, 8);
         return 0.0;
       },
       [](const ColumnGeometry& g, const VariedColumn& c, int k) {
         return g.E0 * (c.EN[k] + c.EN[k + 1]) / 2.0;
       },
       true, false},
  };
  const ColumnGeometry g = clay_geometry();
  for (const StackCase& c : cases) {
    auto col = varied_column(g);
    const int last = c.last == 0 ? col->NN : c.last;
    const double weight = c.stack(g, *col);
    double z = g.ZBOT;
    double w = 0.0;
    EXPECT_EQ(col->Z[1], g.ZBOT) << c.name;
    for (int k = 1; k <= last - 1; ++k) {
      const double e = c.void_ratio(g, *col, k);
      const double next = z + (c.length_first ? g.HTOT * col->DXI[k] * (e + 1.0) / (g.E0 + 1.0)
                                              : (e + 1.0) / (g.E0 + 1.0) * col->DXI[k] * g.HTOT);
      w += (next - z) * (e + g.GS) * g.GW / (e + 1.0);
      z = next;
      ASSERT_EQ(col->Z[k + 1], z) << c.name << " node " << k + 1;
    }
    if (c.weighs) {
      EXPECT_EQ(weight, w) << c.name;
    }
    for (int k = last + 1; k <= 13; ++k) EXPECT_EQ(col->Z[k], -1.0) << c.name << " node " << k;
  }
}

TEST(ColumnGeometry, AFreshColumnStacksItsNominalLengths) {
  const ColumnGeometry g = clay_geometry();
  auto col = varied_column(g);
  g.stack_fresh(*col);
  double z = g.ZBOT;
  for (int k = 1; k <= col->NN - 1; ++k) {
    z = z + g.HTOT * col->DXI[k];
    ASSERT_EQ(col->Z[k + 1], z) << k;
  }
  EXPECT_EQ(col->Z[col->NN + 1], -1.0);
}

TEST(ColumnWeight, SumsTheSaturatedWeightOfEveryElement) {
  ColumnGeometry g;
  g.E0 = 4.0;
  g.GS = 2.7;
  g.GW = 10.0;
  auto col = std::make_unique<SoilColumn>();
  col->NN = 3;
  col->EN[1] = 0.5;
  col->EN[2] = 0.75;
  col->EN[3] = 1.0;
  col->Z[1] = 1.0;
  col->Z[2] = 1.5;
  col->Z[3] = 2.25;
  col->Z[4] = 100.0;  // past the top: not an element
  const double e1 = (0.5 + 0.75) * 4.0 / 2.0;
  const double e2 = (0.75 + 1.0) * 4.0 / 2.0;
  const double expected =
      (e1 + 2.7) * 10.0 / (e1 + 1.0) * 0.5 + (e2 + 2.7) * 10.0 / (e2 + 1.0) * 0.75;
  EXPECT_EQ(g.column_weight(*col), expected);
}

}  // namespace
}  // namespace slurry1d
