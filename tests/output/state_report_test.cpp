#include "output/state_report.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "output/fields.hpp"
#include "soil/soil.hpp"

namespace slurry1d {
namespace {

std::vector<std::string> report_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The six E 11.4 fields of a "ts.out" data line.
double ts_field(const std::string& line, int k) {
  return std::stod(line.substr(static_cast<std::size_t>(11 * k), 11));
}

// Field k (0 = label) of a vd.out node row: I 4, then E 12.4 fields.
double row_field(const std::string& row, int k) {
  return std::stod(row.substr(static_cast<std::size_t>(4 + 12 * (k - 1)), 12));
}
int row_label(const std::string& row) {
  return std::stoi(row.substr(0, 4));
}

// A fresh uniform column of 501 nodes, 10 high, at E0 = 2 (e = 2 (s' + 1)^-0.2,
// k = 0.001 e^3), in water of unit weight 10 with GS = 1: no buoyant weight,
// so no flow and a hydrostatic pore pressure.
class ReportRun {
 public:
  ReportRun() {
    p.A1 = 2.0;
    p.B1 = -0.2;
    p.Z1 = 1.0;
    p.C = 1e-3;
    p.D = 3.0;
    p.GS = 1.0;
    p.GW = 10.0;
    p.IDES = 2;
    scales.E0 = p.A1 * std::pow(p.Z1, p.B1);
    scales.K0 = p.C * std::pow(scales.E0, p.D);
    scales.HTOT = 10.0;
    scales.H0 = 10.0;
    p.ME = 0.5;
    set_nodes(501);
    col.ESS.fill(scales.E0, MAXNODE);
    col.ZSS.fill(SINGLE_1E_20, MAXNODE);
    out.console.attach(console);
    out.vd.attach(vd);
    out.ts.attach(ts);
    input.attach(input_text);
  }

  // NN nodes at E0, equally spaced over the height 10.
  void set_nodes(int NN) {
    col.NN = NN;
    col.NN2 = NN + 1;
    for (int i = 1; i <= NN; ++i) {
      col.EN[i] = 1.0;
      col.Z[i] = (i - 1) * (10.0 / (NN - 1));
      col.DXI[i] = i < NN ? 1.0 / (NN - 1) : 0.0;
    }
  }

  // The time in the units of the input is T HTOT / K0.
  void at_time(double time) { ctx.T = time * scales.K0 / scales.HTOT; }

  // The report of the soil as p now holds it.
  void report() { write_state_report(p, soil_of(p, scales), scales, col, ctx, work, out); }
  void restart() { write_restart_profile(scales, ctx.T, work, input); }

  // Node rows of the vd.out table: the lines that start with an I 4 label.
  std::vector<std::string> rows() const {
    std::vector<std::string> result;
    for (const std::string& line : report_lines(vd.str())) {
      if (line.size() > 4 && std::isdigit(static_cast<unsigned char>(line[3]))) {
        result.push_back(line);
      }
    }
    return result;
  }

 private:
  std::unique_ptr<RunDefinition> p_ptr = std::make_unique<RunDefinition>();
  std::unique_ptr<RunScales> scales_ptr = std::make_unique<RunScales>();
  std::unique_ptr<SoilColumn> col_ptr = std::make_unique<SoilColumn>();
  std::unique_ptr<ReportWork> work_ptr = std::make_unique<ReportWork>();

 public:
  RunDefinition& p = *p_ptr;
  RunScales& scales = *scales_ptr;
  SoilColumn& col = *col_ptr;
  ReportWork& work = *work_ptr;
  ReportContext ctx;
  Outputs out;
  RecordWriter input;
  std::ostringstream console, vd, ts, input_text;
};

// ---------------------------------------------------------------------------
// Initial-state table

TEST(StateReport, InitialTableOfFreshColumn) {
  ReportRun run;
  run.report();
  const std::vector<std::string> lines = report_lines(run.vd.str());
  ASSERT_EQ(lines.size(), 1u + 3u + 51u);
  EXPECT_EQ(lines[0], "TIME =       0.000    ");
  EXPECT_EQ(lines[1], "                  INITIAL STATE                     STEADY STATE");
  EXPECT_EQ(lines[2], "                      VOID       SOLID      WATER             VOID");
  EXPECT_EQ(lines[3],
            " -NODE--ELEVATION-   -RATIO-   -CONTENT-  -PRESSURE-  -ELEVATION-   -RATIO-");
  // Node 501 at the top (label 51), down to node 1 (label 1), every tenth node.
  for (int r = 0; r < 51; ++r) {
    const std::string& row = lines[4 + static_cast<std::size_t>(r)];
    ASSERT_EQ(row.size(), 76u) << row;
    EXPECT_EQ(row_label(row), 51 - r);
    const int i = 501 - 10 * r;
    EXPECT_EQ(row.substr(4, 12), format_E(12, 4, run.col.Z[i])) << i;
  }
  // Base: elevation 0, e = E0 = 2, solid content 1/3, water pressure 10 x 10,
  // steady state as set up (placeholder elevation, E0).
  EXPECT_EQ(lines.back(),
            "   1  0.0000E+00  0.2000E+01  0.3333E+00  0.1000E+03  0.1000E-19  0.2000E+01");
  EXPECT_EQ(lines[4],
            "  51  0.1000E+02  0.2000E+01  0.3333E+00  0.0000E+00  0.1000E-19  0.2000E+01");
  EXPECT_EQ(run.work.M, 501);
}

// With 500 nodes the rows are nodes 500, 490, ..., 10: the labels run from
// (500 - 1) / 10 + 1 = 50 down to 1, the lowest row being node 10.
TEST(StateReport, LabelsOfColumnNotEndingOnATenth) {
  ReportRun run;
  run.set_nodes(500);
  run.report();
  const std::vector<std::string> rows = run.rows();
  ASSERT_EQ(rows.size(), 50u);
  EXPECT_EQ(row_label(rows.front()), 50);
  EXPECT_EQ(row_label(rows.back()), 1);
  EXPECT_EQ(rows.back().substr(4, 12), format_E(12, 4, run.col.Z[10]));
}

// The initial table shows the steady-state columns and never the comparison.
TEST(StateReport, InitialTableShowsSteadyStateColumns) {
  ReportRun run;
  for (int i = 1; i <= 501; ++i) {
    run.col.ZSS[i] = 0.5 * run.col.Z[i];
    run.col.ESS[i] = 1.0 + i * 1e-3;
  }
  run.ctx.ISTEADY = 1;
  run.scales.T0N = run.ctx.T = 3.0;
  run.report();
  const std::vector<std::string> rows = run.rows();
  ASSERT_EQ(rows.size(), 51u);
  EXPECT_DOUBLE_EQ(row_field(rows[0], 5), 5.0);
  EXPECT_NEAR(row_field(rows[0], 6), 1.501, 1e-12);
  EXPECT_NEAR(row_field(rows[1], 6), 1.491, 1e-12);
  EXPECT_EQ(run.console.str().find("DIFFERENCE"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Regular table

TEST(StateReport, RegularTableHeadingsAndAlpha) {
  ReportRun run;
  run.at_time(25.0);
  run.report();
  const std::vector<std::string> lines = report_lines(run.vd.str());
  ASSERT_EQ(lines.size(), 1u + 2u + 51u);
  EXPECT_EQ(lines[0], "TIME =       25.00    ");
  EXPECT_EQ(lines[1], "                     VOID        SOLID      WATER ALPHA");
  EXPECT_EQ(lines[2], " -NODE--ELEVATION-  -RATIO-    -CONTENT-  -PRESSURE-    -VALUES-");
  EXPECT_EQ(lines.back(), "   1  0.0000E+00  0.2000E+01  0.3333E+00  0.1000E+03  0.1000E+01");
  EXPECT_EQ(lines[3].size(), 64u);
}

// A void ratio at or below ME is shown as ME and left at ME in ER for the
// restart profile, while its solid content comes from the unclamped value.
// Only the reported nodes are clamped.
TEST(StateReport, RegularTableClampsAtMinimumVoidRatio) {
  ReportRun run;
  run.col.EN[1] = 0.1;    // e = 0.2 < ME = 0.5
  run.col.EN[11] = 0.25;  // e = ME exactly
  run.col.EN[2] = 0.1;    // not reported
  run.at_time(1.0);
  run.report();
  const std::vector<std::string> rows = run.rows();
  ASSERT_EQ(rows.size(), 51u);
  EXPECT_EQ(row_field(rows[50], 2), 0.5);
  EXPECT_EQ(row_field(rows[50], 3), std::stod(format_E(12, 4, 1.0 / 1.2)));
  EXPECT_EQ(row_field(rows[49], 2), 0.5);
  EXPECT_EQ(row_field(rows[49], 3), std::stod(format_E(12, 4, 1.0 / 1.5)));
  EXPECT_EQ(run.work.ER[1], 0.5);
  EXPECT_EQ(run.work.ER[2], 0.2);
}

// The initial table does not clamp.
TEST(StateReport, InitialTableDoesNotClamp) {
  ReportRun run;
  run.col.EN[1] = 0.1;
  run.report();
  EXPECT_EQ(row_field(run.rows().back(), 2), 0.2);
  EXPECT_EQ(run.work.ER[1], 0.2);
}

// With 3-D desiccation there is no pressure, and the shrinkage factor is 1
// below the crack tip of the previous step and min(1, R) from it upward.
TEST(StateReport, DesiccationPressuresAndAlpha) {
  ReportRun run;
  run.p.IDES = 1;
  run.col.NN2 = 401;
  for (int i = 1; i <= 501; ++i) {
    run.col.EN[i] = 0.5;                    // e = 1
    run.col.ECR[i] = i >= 461 ? 0.5 : 1.5;  // e above the onset (R > 1) at the top
  }
  run.at_time(1.0);
  run.report();
  const double R = soil_of(run.p, run.scales).shrinkage_ratio(0.5, 1.5);
  ASSERT_LT(R, 1.0);
  const std::vector<std::string> rows = run.rows();
  for (const std::string& row : rows) {
    const int i = (row_label(row) - 1) * 10 + 1;
    EXPECT_EQ(row_field(row, 4), 0.0) << row;
    const double alpha = i < 401 ? 1.0 : (i >= 461 ? 1.0 : R);
    EXPECT_EQ(row.substr(52, 12), format_E(12, 4, alpha)) << row;
  }
  EXPECT_EQ(run.work.ALPHA[400], 1.0);
  EXPECT_EQ(run.work.ALPHA[401], R);
  EXPECT_EQ(run.work.ALPHA[461], 1.0);
}

// ---------------------------------------------------------------------------
// Nodes added in the last step

// Column of NN nodes whose elevation and void ratio identify the node.
void mark_nodes(ReportRun& run, int NN) {
  run.set_nodes(NN);
  for (int i = 1; i <= NN; ++i) {
    run.col.Z[i] = i * 0.01;
    run.col.EN[i] = 1.0 - i * 1e-4;
  }
}

TEST(StateReport, LeavesOutAddedNodes) {
  struct Case {
    const char* what;
    NodeAddition added;
    int NN;
    // original node shown at report positions 501, 491 and 1
    int top, next, base;
  };
  const Case cases[] = {
      {"none", {0, 0, 0, 0}, 501, 501, 491, 1},
      {"bottom", {0, 1, 0, 3}, 504, 504, 494, 1},
      {"top", {1, 0, 3, 0}, 504, 504, 491, 1},
      {"both", {1, 1, 3, 3}, 507, 507, 494, 1},
      // a flag with no node inserted changes nothing
      {"flags only", {1, 1, 0, 0}, 501, 501, 491, 1},
  };
  for (const Case& c : cases) {
    ReportRun run;
    mark_nodes(run, c.NN);
    run.ctx.added = c.added;
    run.at_time(1.0);
    run.report();
    EXPECT_EQ(run.work.M, 501) << c.what;
    const std::vector<std::string> rows = run.rows();
    ASSERT_EQ(rows.size(), 51u) << c.what;
    EXPECT_EQ(row_label(rows.front()), 51) << c.what;
    EXPECT_EQ(row_label(rows.back()), 1) << c.what;
    const int shown[3] = {c.top, c.next, c.base};
    const std::string* shown_rows[3] = {&rows[0], &rows[1], &rows[50]};
    for (int k = 0; k < 3; ++k) {
      const int node = shown[k];
      EXPECT_EQ(shown_rows[k]->substr(4, 12), format_E(12, 4, node * 0.01)) << c.what << k;
      EXPECT_EQ(shown_rows[k]->substr(16, 12), format_E(12, 4, (1.0 - node * 1e-4) * run.scales.E0))
          << c.what << k;
    }
    // The column itself is untouched; the line of "ts.out" shows its true top.
    EXPECT_EQ(run.col.Z[c.NN], c.NN * 0.01) << c.what;
    EXPECT_EQ(ts_field(run.ts.str(), 1), std::stod(format_E(11, 4, c.NN * 0.01))) << c.what;
  }
}

// After a step that added nodes the restart profile pairs every void ratio
// with the elevation of its own node and ends at the true top.
TEST(StateReport, RestartProfileAfterAddedNodes) {
  ReportRun run;
  mark_nodes(run, 507);
  run.ctx.added = {1, 1, 3, 3};
  run.at_time(40.0);
  run.report();
  run.restart();
  const std::vector<std::string> lines = report_lines(run.input_text.str());
  ASSERT_EQ(lines.size(), 51u + 2u);
  const int shown_top = 507, shown_next = 494;
  auto pair_line = [&](int node) {
    std::string line(1, ' ');
    line += format_free_real((1.0 - node * 1e-4) * run.scales.E0);
    line += ' ';
    line += format_free_real(node * 0.01);
    return line;
  };
  EXPECT_EQ(lines[0], pair_line(shown_top));
  EXPECT_EQ(lines[1], pair_line(shown_next));
  EXPECT_EQ(lines[50], pair_line(1));
  for (int r = 1; r < 50; ++r)
    EXPECT_EQ(lines[static_cast<std::size_t>(r)], pair_line(504 - 10 * r));
  EXPECT_EQ(lines[51], " 5.0700    \t\tFINAL HEIGHT OF SOIL");
  EXPECT_EQ(lines[52], " 40.000    \t\tSTOPPING TIME");
}

// Without added nodes the profile is every tenth node with the clamped void
// ratios of the last report, read back to the same doubles.
TEST(StateReport, RestartProfileRoundTrips) {
  ReportRun run;
  for (int i = 1; i <= 501; ++i) run.col.EN[i] = 0.3 + i * 1.234567e-4;
  run.col.EN[1] = 0.01;  // below ME
  run.at_time(123456.0);
  run.report();
  run.restart();
  const std::vector<std::string> lines = report_lines(run.input_text.str());
  ASSERT_EQ(lines.size(), 53u);
  for (int r = 0; r < 51; ++r) {
    const int i = 501 - 10 * r;
    std::istringstream in(lines[static_cast<std::size_t>(r)]);
    double e = 0.0, z = 0.0;
    in >> e >> z;
    EXPECT_EQ(e, i == 1 ? 0.5 : run.col.EN[i] * run.scales.E0) << i;
    EXPECT_EQ(z, run.col.Z[i]) << i;
  }
  EXPECT_EQ(lines[51], " 10.000    \t\tFINAL HEIGHT OF SOIL");
  EXPECT_EQ(lines[52], " .12346E+06\t\tSTOPPING TIME");
}

// ---------------------------------------------------------------------------
// Water pressure

// In a column without flow the pore pressure is hydrostatic below the water
// table, which is the top of the soil or the head HT when that is higher.
TEST(StateReport, HydrostaticPressure) {
  for (const double HT : {0.0, 12.5}) {
    ReportRun run;
    run.scales.HT = HT;
    run.report();
    const double WT = std::max(HT, 10.0);
    for (int i = 1; i <= 501; ++i) {
      ASSERT_NEAR(run.work.UP[i], (WT - run.col.Z[i]) * 10.0, 1e-11) << i;
    }
  }
}

// Fresh slurry carries its whole weight in the pore water: the pressure equals
// the total stress, the saturated unit weight (GS + e) GW / (1 + e) times the
// depth.
TEST(StateReport, FreshSlurryPressureIsTotalStress) {
  ReportRun run;
  run.p.GS = 2.7;
  run.report();
  const double gamma_sat = (2.7 + run.scales.E0) * 10.0 / (1.0 + run.scales.E0);
  for (int i = 1; i <= 501; i += 50) {
    EXPECT_NEAR(run.work.UP[i], (10.0 - run.col.Z[i]) * gamma_sat, 1e-10) << i;
  }
}

// A void-ratio gradient that balances the buoyant weight leaves no excess
// pressure: the pressure is hydrostatic although GS > 1.
TEST(StateReport, BalancedGradientLeavesHydrostaticPressure) {
  ReportRun run;
  run.p.GS = 2.7;
  // Each element at the gradient of zero flow for its mid-element void ratio,
  // found by a few fixed-point passes per element.
  run.col.EN[501] = 1.0;
  for (int i = 500; i >= 1; --i) {
    run.col.EN[i] = run.col.EN[i + 1];
    for (int pass = 0; pass < 60; ++pass) {
      const double r = (run.col.EN[i] + run.col.EN[i + 1]) / 2.0;
      const double sp = soil_of(run.p, run.scales).compression_slope(r);
      const double gradient = -(run.p.GS - 1.0) * run.p.GW * run.scales.HTOT /
                              (run.scales.E0 * (1.0 + run.scales.E0) * sp);
      run.col.EN[i] = run.col.EN[i + 1] - gradient * run.col.DXI[i];
    }
  }
  run.at_time(1.0);
  run.report();
  // Against 156 at the base if the slurry carried its weight in the water.
  for (int i = 1; i <= 501; i += 50) {
    EXPECT_NEAR(run.work.UP[i], (10.0 - run.col.Z[i]) * 10.0, 1e-9) << i;
  }
  EXPECT_GT(run.col.EN[501] - run.col.EN[1], 0.05);  // a real gradient
}

// ---------------------------------------------------------------------------
// "ts.out" line, crust and console

TEST(StateReport, TimeSeriesLineLayout) {
  ReportRun run;
  run.ctx.QTOP = -0.25;
  run.ctx.QBOT = 0.5;
  run.report();
  EXPECT_EQ(run.ts.str(), " 0.0000E+00 0.1000E+02 0.3333E+01-0.2500E+00 0.5000E+00 0.0000E+00\n");
}

// The average dry density is GW GS / (1 + e) weighted by element height,
// over the full column down to ZBOT = 0.
TEST(StateReport, AverageDryDensity) {
  ReportRun run;
  run.p.GS = 2.7;
  for (int i = 1; i <= 501; ++i) run.col.EN[i] = i <= 251 ? 0.5 : 1.0;  // e = 1 below, 2 above
  run.at_time(7.0);
  run.report();
  // Elements 1..250 (5 high) at e = 1, element 251 (0.02 high) between e = 1
  // and e = 2, so at its mean 1.5, elements 252..500 (4.98 high) at e = 2.
  const double expected = (5.0 * 27.0 / 2.0 + 0.02 * 27.0 / 2.5 + 4.98 * 27.0 / 3.0) / 10.0;
  EXPECT_EQ(run.ts.str().substr(22, 11), format_E(11, 4, expected));
  EXPECT_EQ(run.ts.str().substr(22, 11), " 0.1125E+02");
}

TEST(StateReport, CrustThickness) {
  struct Case {
    const char* what;
    double CV;
    int wet_from;  // highest node at or above CV (0: none)
    double crust;
  };
  // The column is at e = 2; nodes above wet_from dry to e = 0.6.
  const Case cases[] = {
      {"no crust void ratio", 0.0, 401, 0.0}, {"wet top", 1.0, 501, 0.0},
      {"top at CV exactly", 2.0, 501, 0.0},   {"dried top fifth", 1.0, 401, 2.0},
      {"dried throughout", 1.0, 0, 10.0},
  };
  for (const Case& c : cases) {
    ReportRun run;
    run.p.CV = c.CV;
    for (int i = c.wet_from + 1; i <= 501; ++i) run.col.EN[i] = 0.3;
    run.at_time(1.0);
    run.report();
    EXPECT_EQ(run.ts.str().substr(55, 11), format_E(11, 4, c.crust)) << c.what;
  }
}

// Console: the time, a line of two blanks, and once a steady state is known
// the height comparison before them (not at the starting time).
TEST(StateReport, ConsoleLines) {
  struct Case {
    const char* what;
    int ISTEADY;
    double T0N;  // the report is at T = 25 time units
    bool compares;
  };
  const Case cases[] = {
      {"steady state known", 1, 0.0, true},
      {"no steady state", 0, 0.0, false},
      {"starting time", 1, -1.0, false},
  };
  for (const Case& c : cases) {
    ReportRun run;
    for (int i = 1; i <= 501; ++i) run.col.ZSS[i] = 0.8 * run.col.Z[i];
    run.ctx.ISTEADY = c.ISTEADY;
    run.at_time(25.0);
    run.scales.T0N = c.T0N < 0.0 ? run.ctx.T : c.T0N;
    run.report();
    const std::string time_lines = "TIME =       25.00    \n   \n";
    const std::string comparison =
        "THE DIFFERENCE OF FINAL SAMPLE HEIGHT BETWEEN THE  STEADY STATE AND CURRENT STATE IS"
        "     25.00 %\n"
        " -FINAL STEADY STATE INFORMATION IS AVAILABLE-\n";
    EXPECT_EQ(run.console.str(), (c.compares ? comparison : std::string()) + time_lines) << c.what;
  }
}

// The comparison uses the reported top, which is the true top also when nodes
// were added below it.
TEST(StateReport, HeightComparisonAfterTopAddition) {
  ReportRun run;
  mark_nodes(run, 504);
  run.ctx.added = {1, 0, 3, 0};
  for (int i = 1; i <= 504; ++i) run.col.ZSS[i] = 4.0;
  run.ctx.ISTEADY = 1;
  run.at_time(1.0);
  run.report();
  // 100 (5.04 - 4) / 4 = 26.00
  const std::string console = run.console.str();
  EXPECT_EQ(console.substr(0, console.find('\n')),
            "THE DIFFERENCE OF FINAL SAMPLE HEIGHT BETWEEN THE  STEADY STATE AND CURRENT STATE IS"
            "     26.00 %");
}

}  // namespace
}  // namespace slurry1d
