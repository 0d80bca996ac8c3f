#pragma once

#include <optional>

#include "model/soil_column.hpp"
#include "soil/soil.hpp"
#include "solver/step_iterates.hpp"
#include "solver/tridiagonal.hpp"
#include "solver/uncracked_rows.hpp"

namespace slurry1d {

// Fills rows 2..NN-1 of the tridiagonal system of one iteration: the fully
// implicit finite-volume form of the finite-strain consolidation equation
//   (E0/(1+E0)) dr/dt = -dG/dz - d(F dr/dz)/dz
// over the control volume of half-elements around each node, with G the
// self-weight flux and F the diffusivity evaluated at the working void ratios
// EMID. Rows below the crack tip NN1 use the 1-D forms, rows above it the 3-D
// shrinkage forms, and row NN1 itself joins the two.
//
// On the first pass of a step (KIT != 1) the column's EN is first copied into
// the iterates' EMID (entries 1..NN); with KIT = 1 EMID is used as the driver
// left it.
// Above the crack tip the water lost through the crack walls follows the
// evaporation rate VT at the top.
// Reads: the soil, VT, the step DT (nondimensional); col.NN, NN1, EN, DXI,
// DXIC, Z, ECR, SIGV; the iterates' EOLD. Writes: sys.CL, CD, CU, RHS at rows
// 2..NN-1, the iterates' EMID.
void assemble_interior_rows(const Soil& soil, double VT, double DT, const SoilColumn& col,
                            StepIterates& it, TridiagonalSystem& sys, int KIT);

// What the rows need of one cracked element k: the soil follows the 3-D
// shrinkage curve, anchored to the 1-D curve at the element's crack-onset
// void ratio.
struct CrackedHalf {
  double q = 0.0;  // diffusivity_cracked / DXIC(k)
  double g = 0.0;  // gravity_flux_cracked at the element's middle
};

// The rows of assemble_interior_rows one at a time, in ascending order from
// row 2 (fill(2), fill(3), ...), each by the form its place relative to the
// crack tip NN1 asks for: so that a caller can eliminate each row as soon as
// it is final. EMID is taken as the caller left it.
class InteriorRows {
 public:
  InteriorRows(const Soil& soil, double VT, double DT, const SoilColumn& col, StepIterates& it,
               TridiagonalSystem& sys);
  ~InteriorRows();
  InteriorRows(const InteriorRows&) = delete;
  InteriorRows& operator=(const InteriorRows&) = delete;

  void fill(int i) {
    if (uncracked_ && i < col_.NN1) {
      uncracked_->fill(i);
      return;
    }
    fill_first_or_at_the_tip(i);
  }

 private:
  void fill_first_or_at_the_tip(int i);
  void fill_cracked(int i);

  const Soil& soil_;
  double VT_;
  double DT_;
  const SoilColumn& col_;
  StepIterates& it_;
  TridiagonalSystem& sys_;
  std::optional<UncrackedRows> uncracked_;  // the rows below the crack tip
  bool cracked_begun_ = false;
  CrackedHalf below_;  // of the last cracked row filled
  double Q0_ = 0.0;    // the clamped shrinkage ratio of its node
};

}  // namespace slurry1d
