#!/usr/bin/env bash
# Times a run in the real window under Wine against the floor (the same
# pieces appended straight to a lone edit box), and how long the window keeps
# a caller waiting meanwhile.
#
# Usage: bench/window_run.sh [BUILD_DIR] [ARGS...]
#   BUILD_DIR  a build tree configured with the windows preset (default
#              build/windows); the benchmark is brought up to date first
#   ARGS       passed on: line counts (default 20000 100000), --rounds=R,
#              --limit-seconds=S (see bench/window/window_run_benchmark.cpp)
#
# Wine's edit box re-measures its text on every insertion, so both sides grow
# with the square of the size: 100,000 lines take several minutes each.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$root/build/windows
if [[ $# -gt 0 && $1 != -* && ! $1 =~ ^[0-9]+$ ]]; then
    build=$1
    shift
fi

die() { echo "window_run.sh: $*" >&2; exit 1; }

[[ -f $build/CMakeCache.txt ]] || die "$build is not a configured build tree (try: cmake --preset windows)"
[[ -x $build/wine-run.sh ]] || die "no wine-run.sh in $build: configure it with the windows preset"
cmake --build "$build" --target window_run_benchmark >&2
"$build/wine-run.sh" "$build/bench/window/window_run_benchmark.exe" "$@"
