#!/bin/sh
# Builds slurry1d and runs every test. Whatever the tests need beyond the
# compiler, CMake and GoogleTest is installed from Debian's packages when it
# is missing. Usage: ./run-tests.sh [BUILD_DIR]   (default: build)
set -eu
cd "$(dirname "$0")"
build="${1:-build}"

. ./.ci/need.sh

# A JSON parser for the tests that read summary.json (the program itself
# needs none).
need /usr/include/nlohmann/json.hpp nlohmann-json3-dev

# The report's browser test: headless Chromium driven through chromedriver by
# a Node script, poppler's pdfinfo/pdftotext for the printed pages and xmllint
# for the SVG files.
need chromium chromium
need chromedriver chromium-driver
need node nodejs
need pdfinfo poppler-utils
need xmllint libxml2-utils
# With this set, the browser test fails instead of skipping when a tool is missing.
SLURRY1D_REQUIRE_BROWSER=1
export SLURRY1D_REQUIRE_BROWSER

cmake -S . -B "$build"
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
