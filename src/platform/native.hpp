#pragma once

// The operating system's own interface, for the sources of this folder only:
// Windows headers without their min and max macros, or the POSIX headers.

#include <cstdio>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace slurry1d::platform {

#ifdef _WIN32
// The Windows handle behind the C library's standard input (the one std::cin
// reads), INVALID_HANDLE_VALUE when there is none.
inline HANDLE stdin_handle() {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdin)));
}
#endif

}  // namespace slurry1d::platform
