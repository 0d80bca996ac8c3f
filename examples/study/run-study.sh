#!/bin/sh
# A 3 x 3 study of the permeability law k = C e^D of a fresh tailings slurry
# (base.txt: 10 m on an impervious base, self-weight consolidation for up to
# 10,000 days): three values of C and three of D, every run in a directory of
# its own under runs/, run side by side by GNU parallel, then compared.
#
# Usage: examples/study/run-study.sh [WORK_DIR]   (default: runs/study)
# SLURRY1D names the program (default: build/slurry1d of this checkout).
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
slurry1d="${SLURRY1D:-$here/../../build/slurry1d}"
work="${1:-runs/study}"
mkdir -p "$work"
cp "$here/base.txt" "$work/"
cd "$work"
rm -rf runs comparison

# parallel's exit status counts the runs that did not give their answer; the
# comparison lists them with how they ended.
parallel "$slurry1d" --csv --quiet --set C={1} --set D={2} -o runs/C{1}_D{2} base.txt \
  ::: 3.4e-7 6.8e-7 1.36e-6 ::: 3.5 4.0 4.5 || echo "runs without an answer: $?"
"$slurry1d" compare runs/* -o comparison
