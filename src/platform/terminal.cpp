#include "platform/terminal.hpp"

#include "platform/native.hpp"

namespace slurry1d::platform {

#ifdef _WIN32

namespace {

// A console has a console mode; the NUL device, which _isatty counts as a
// character device, and pipes from a terminal emulator have none.
bool is_console(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

HANDLE handle_of(FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

bool stdin_is_terminal() {
  return is_console(stdin_handle());
}

bool stdout_is_terminal() {
  return is_console(handle_of(stdout));
}

bool stderr_is_terminal() {
  return is_console(handle_of(stderr));
}

#else

bool stdin_is_terminal() {
  return isatty(fileno(stdin)) != 0;
}

bool stdout_is_terminal() {
  return isatty(fileno(stdout)) != 0;
}

bool stderr_is_terminal() {
  return isatty(fileno(stderr)) != 0;
}

#endif

}  // namespace slurry1d::platform
