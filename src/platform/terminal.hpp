#pragma once

// Whether the program talks to a person. An interactive run asks a refused
// question again; a run fed from a file or a pipe stops instead, so a batch
// run never goes on with misaligned answers.

namespace slurry1d::platform {

// True when standard input is an interactive terminal (a console window on
// Windows), false when it is redirected from a file, a pipe or a device.
bool stdin_is_terminal();

}  // namespace slurry1d::platform
