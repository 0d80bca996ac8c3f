#!/bin/sh
# Builds slurry1d and runs every test. Whatever the tests need beyond the
# compiler, CMake and GoogleTest is installed from Debian's packages when it
# is missing. Usage: ./run-tests.sh [BUILD_DIR]   (default: build)
set -eu
cd "$(dirname "$0")"
build="${1:-build}"

. ./.ci/need.sh

# (Test tools are added here as the suite comes to need them.)

cmake -S . -B "$build"
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
