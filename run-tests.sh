#!/bin/sh
# Builds slurry1d and runs every test. Whatever the tests need beyond the
# compiler, CMake and GoogleTest is installed from Debian's packages when it
# is missing. Usage: ./run-tests.sh [BUILD_DIR]   (default: build)
set -eu
cd "$(dirname "$0")"
build="${1:-build}"

# need COMMAND PACKAGE...: install PACKAGE... when COMMAND is not on the PATH.
need() {
  command -v "$1" >/dev/null 2>&1 && return 0
  shift
  echo "== installing $* from Debian's packages"
  if [ "$(id -u)" -eq 0 ]; then apt_get="apt-get"; else apt_get="sudo apt-get"; fi
  $apt_get update -qq || true
  DEBIAN_FRONTEND=noninteractive $apt_get install -y -qq --no-install-recommends "$@"
}

# (Test tools are added here as the suite comes to need them.)

cmake -S . -B "$build"
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
