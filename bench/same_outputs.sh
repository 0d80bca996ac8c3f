#!/bin/sh
# Runs two builds of the program on the same answer files and compares every
# byte they write: "input", "vd.out", "ts.out", "tc.out", verify.csv and
# anything else left in the run's directory, the console (stdout and stderr)
# and the exit status. A change meant to make the program faster must leave
# all of it as it was.
# Usage: bench/same_outputs.sh BASE_EXE NEW_EXE [-o "OPTIONS"] FILE...
# (-o applies its options to both runs of the files after it.) Prints one
# line per difference and a closing "N passed, N failed"; exit status 1 when
# anything differs.
set -u
absolute() { (cd "$(dirname "$1")" && echo "$(pwd)/$(basename "$1")"); }
base="$(absolute "$1")"
new="$(absolute "$2")"
shift 2
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
options=""
passed=0
failed=0
run_one() {  # run_one EXE DIR ANSWERS
  mkdir -p "$2"
  # shellcheck disable=SC2086
  (cd "$2" && "$1" $options < "$3" > stdout 2> stderr; echo "$?" > status)
}
for arg in "$@"; do
  case "$arg" in
    -o) options="__next__"; continue ;;
  esac
  if [ "$options" = "__next__" ]; then
    options="$arg"
    continue
  fi
  answers="$(absolute "$arg")"
  rm -rf "$scratch/a" "$scratch/b"
  run_one "$base" "$scratch/a" "$answers"
  run_one "$new" "$scratch/b" "$answers"
  if diff -r -q "$scratch/a" "$scratch/b" > "$scratch/diff"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "DIFFERS: $arg $options"
    sed 's/^/    /' "$scratch/diff"
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
