#pragma once

// Whether the program talks to a person. An interactive run asks a refused
// question again; a run fed from a file or a pipe stops instead, so a batch
// run never goes on with misaligned answers. A run whose standard error is a
// terminal shows how far it has come on one updating line there.

namespace slurry1d::platform {

// True when standard input is an interactive terminal (a console window on
// Windows), false when it is redirected from a file, a pipe or a device.
bool stdin_is_terminal();
// The same for standard output and standard error.
bool stdout_is_terminal();
bool stderr_is_terminal();

}  // namespace slurry1d::platform
