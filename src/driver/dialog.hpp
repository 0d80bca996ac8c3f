#pragma once

#include <istream>

#include "model/run_controls.hpp"
#include "model/run_definition.hpp"
#include "output/record_writer.hpp"

namespace slurry1d {

// The console dialog: asks every question in order on out.console, reads the
// answers from in, fills p and writes one echo record per answer into
// out.input (already open). Unreadable answers and the end of the input throw
// RunStop (StopKind::BadInput) with a message naming the question. Answers
// beyond a capacity or limit are refused: asked again when interactive (the
// console is a terminal), RunStop (BadInput) otherwise. The two staged-filling
// checks of the top boundary end the run with RunStop (StopKind::RefusedRun).
// The echo of a new run records NNI, the node parameter of the run's column.
void run_dialog(std::istream& in, Outputs& out, bool interactive, RunDefinition& p,
                int NNI = STANDARD_NNI);

}  // namespace slurry1d
