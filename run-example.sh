#!/bin/sh
# Builds slurry1d and runs one of the bundled answer files in a directory of
# its own under runs/, with the options given after it (for instance the ones
# the README's table of examples gives for 1 %, or --verify).
# Usage: ./run-example.sh [examples/<name>.txt [options...]]
set -eu
cd "$(dirname "$0")"
example="${1:-examples/self_weight.txt}"
[ $# -gt 0 ] && shift
name="$(basename "$example" .txt)"
cmake -S . -B build >/dev/null && cmake --build build -j2 --target slurry1d >/dev/null
mkdir -p "runs/$name"
status=0
(cd "runs/$name" && ../../build/slurry1d "$@" < "../../$example" > console.txt) || status=$?
tail -n 8 "runs/$name/console.txt"
echo
echo "exit status $status; the files of this run are in $(pwd)/runs/$name:"
echo "  input (answers echoed, final profile), vd.out (profiles), ts.out (time series),"
echo "  tc.out (cracks), console.txt (what the program printed)"
exit "$status"
