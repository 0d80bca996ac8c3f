#pragma once

#include <cstdlib>
#include <new>

#include "model/boundary_state.hpp"
#include "model/clock.hpp"
#include "model/column_geometry.hpp"
#include "model/fixed_array.hpp"
#include "model/run_controls.hpp"
#include "model/run_definition.hpp"
#include "model/run_scales.hpp"
#include "model/soil_column.hpp"
#include "output/state_report.hpp"
#include "soil/soil.hpp"
#include "solver/filling.hpp"
#include "solver/refine.hpp"
#include "solver/regrid.hpp"
#include "solver/solver_state.hpp"
#include "steady/steady_state.hpp"

namespace slurry1d {

// The variables of the time loop, the velocities through the ends and the
// crack bookkeeping, carried from step to step.
struct LoopState {
  int IOUT = 1;       // current output time
  int ISTEP = 1;      // step within the output interval
  int ITER = 0;       // iteration count of the step
  int KIT = 0;        // 0 on the first pass of a step, 1 on repeated passes
  int NHALF = 0;      // halvings of the current step
  double FONE = 1.0;  // error level of the previous pass
  double ESQ = 0.0;   // change between two iterates
  double DSQ = 0.0;   // change over the step
  double DMARCH = 0.0;
  int NFAST = 0;
  int NQUIET = 0;
  double ZTOPP = 0.0;       // top elevation at the end of the previous step
  long accepted_steps = 0;  // steps accepted since the start of the run

  int KF4 = 0;  // 1 once cracking has begun
  int KF5 = 0;  // 1 once the step has been reset at the first crack
  StageCursor stage;

  double VTC = 0.0, VBC = 0.0;    // velocities through the end elements
  double VTC0 = 0.0, VBC0 = 0.0;  // and their values at the start of the step
  double QTOP = 0.0, QBOT = 0.0;  // cumulated outflows

  double TEFT = 0.0, TEFB = 0.0;  // exposure times of the top and bottom surfaces
  double VEVAP = 0.0;             // evaporated volume per unit plan area
  double VSOIL = 0.0, VCRACK = 0.0;
  double HCRK = 0.0;  // top elevation when cracking began

  int ISTEADY = 0;
  NodeAddition added;
};

// Everything a run owns, created once before the dialog and alive until the
// program ends. It is large (some forty nodal arrays' worth), so it lives on
// the heap; nothing in it is ever reallocated.
//
// Its memory comes zeroed from the system (calloc): every array starts at 0.0
// like a value-initialised one, but the pages of entries a run never reaches
// are never touched, and the compiler drops the zeroing stores of the
// value-initialisation after calloc. A run of 500 nodes touches a few pages
// of each array instead of all 6.5 MB.
struct Run {
  static void* operator new(std::size_t size) {
    void* p = std::calloc(1, size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  static void operator delete(void* p) noexcept { std::free(p); }

  RunControls controls;      // nodes and step factor, set before the dialog
  RunDefinition def;         // the answers, constant after the dialog
  RunScales scales;          // derived by the set-up; heights the run changes
  Soil soil;                 // built by the set-up once the scales are known
  BoundaryState boundaries;  // velocity conditions held back
  Clock clock;
  SoilColumn col;      // the physical state of the layer
  SolverState solver;  // iterates, tridiagonal system and snapshots of a step
  LoopState loop;
  RegridWork regrid_work;
  FillingWork filling_work;
  SteadyWork steady_work;
  ReportWork report_work;

  // The boundary conditions that act now.
  BoundaryConditions acting_boundaries() const { return boundaries.acting(def.bc); }
  // The lengths and weights of the column.
  ColumnGeometry geometry() const { return column_geometry(def, scales); }
};

}  // namespace slurry1d
