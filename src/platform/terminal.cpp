#include "platform/terminal.hpp"

#include "platform/native.hpp"

namespace slurry1d::platform {

#ifdef _WIN32

// A console has a console mode; the NUL device, which _isatty counts as a
// character device, and pipes from a terminal emulator have none.
bool stdin_is_terminal() {
  const HANDLE handle = stdin_handle();
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

#else

bool stdin_is_terminal() {
  return isatty(fileno(stdin)) != 0;
}

#endif

}  // namespace slurry1d::platform
