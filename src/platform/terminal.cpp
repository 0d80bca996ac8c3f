#include "platform/terminal.hpp"

#include <cstdio>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace slurry1d::platform {

#ifdef _WIN32

// A console has a console mode; the NUL device, which _isatty counts as a
// character device, and pipes from a terminal emulator have none.
bool stdin_is_terminal() {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

#else

bool stdin_is_terminal() {
  return isatty(fileno(stdin)) != 0;
}

#endif

}  // namespace slurry1d::platform
