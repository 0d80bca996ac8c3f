#pragma once

#include <istream>

#include "driver/answer_overrides.hpp"
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
//
// An answer set in `overrides` replaces the real answer of that name, and the
// echo records it: from an answer file the value there is read and set aside;
// at a terminal the prompt shows the value set and asks nothing for it. A set
// value that a check refuses ends the dialog with RunStop (BadInput) naming
// the option, and so does, once the last question is answered, a set value
// that this run never asked.
void run_dialog(std::istream& in, Outputs& out, bool interactive, RunDefinition& p,
                int NNI = STANDARD_NNI, const AnswerOverrides& overrides = {});

}  // namespace slurry1d
