#!/usr/bin/env bash
# Times sievra against mawk and grep doing the same job, with wc -l as the
# floor (reading the file once), side by side in one run.
#
# Usage: bench/compare.sh [BUILD_DIR] [RUNS]
#   BUILD_DIR  a configured build tree holding cli/sievra (default build/native);
#              sievra is brought up to date with cmake --build first
#   RUNS       timed runs per tool, interleaved round by round (default 5)
#
# The machine may be shared and noisy, so every tool runs once per round and
# the table shows each tool's median; ratios are of medians from this run.
set -euo pipefail
export LC_ALL=C  # one decimal point for EPOCHREALTIME, awk and sort

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=${1:-$root/build/native}
runs=${2:-5}
corpus=$here/corpus

die() { echo "compare.sh: $*" >&2; exit 1; }

"$root/scripts/install-deps.sh" bench >&2

[[ -f $build/CMakeCache.txt ]] || die "$build is not a configured build tree (try: cmake --preset native)"
cmake --build "$build" --target sievra >&2
sievra=$build/cli/sievra
[[ -x $sievra ]] || die "no sievra in $build/cli"

if [[ ! -f $corpus/original.txt || ! -f $corpus/removal.txt ||
      ! -f $corpus/original-lf.txt || ! -f $corpus/removal-lf.txt ]]; then
    echo "Making the corpus in $corpus" >&2
    python3 "$here/make_corpus.py" "$corpus"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Each tool is a function; its arguments go before the command, so the same
# function runs bare for timing and under GNU time for peak memory. Output
# goes to /dev/null, except grep's: GNU grep given /dev/null stops at the
# first line it would print, so it writes a file.
run_sievra() { "$@" "$sievra" "$corpus/original.txt" "$corpus/removal.txt" >/dev/null; }
run_sievra936() { "$@" "$sievra" --code-page=936 "$corpus/original.txt" "$corpus/removal.txt" >/dev/null; }
run_mawk() { "$@" mawk 'NR==FNR{a[$0];next} !($0 in a)' "$corpus/removal-lf.txt" "$corpus/original-lf.txt" >/dev/null; }
run_grep() { "$@" grep -vxFf "$corpus/removal-lf.txt" "$corpus/original-lf.txt" >"$scratch/grep.out"; }
run_wc() { "$@" wc -l "$corpus/original.txt" >/dev/null; }
names=("sievra" "sievra --code-page=936" "mawk" "grep -vxFf" "wc -l")
functions=(run_sievra run_sievra936 run_mawk run_grep run_wc)
mawk_index=2
wc_index=4

# --- The outputs must agree before any figure means something. ---------------
# sievra writes CR LF and leaves the original's last line without a break;
# mawk writes LF after every line.
"$sievra" "$corpus/original.txt" "$corpus/removal.txt" >"$scratch/sievra.out"
"$sievra" --code-page=936 "$corpus/original.txt" "$corpus/removal.txt" >"$scratch/sievra936.out"
mawk 'NR==FNR{a[$0];next} !($0 in a)' "$corpus/removal-lf.txt" "$corpus/original-lf.txt" >"$scratch/mawk.out"
sed 's/\r$//' "$scratch/sievra.out" >"$scratch/sievra-lf.out"
if [[ -s $scratch/sievra-lf.out && $(tail -c 1 "$scratch/sievra-lf.out" | wc -l) -eq 0 ]]; then
    echo >>"$scratch/sievra-lf.out"
fi
mismatch() {
    trap - EXIT  # keep the outputs for a look
    diff "$1" "$2" | head -n 20 >&2 || true
    die "MISMATCH: $3 (outputs kept in $scratch)"
}
cmp -s "$scratch/sievra-lf.out" "$scratch/mawk.out" ||
    mismatch "$scratch/sievra-lf.out" "$scratch/mawk.out" "sievra's output differs from mawk's"
cmp -s "$scratch/sievra.out" "$scratch/sievra936.out" ||
    mismatch "$scratch/sievra.out" "$scratch/sievra936.out" "sievra --code-page=936 differs from sievra on an ASCII corpus"
kept=$(wc -l <"$scratch/mawk.out")
echo "Outputs agree: $kept of $(wc -l <"$corpus/original-lf.txt") lines kept." >&2
rm -f "$scratch"/*.out

# --- Peak memory: one run each under GNU time (also warms the page cache). ----
declare -a peak_kib
for i in "${!functions[@]}"; do
    "${functions[$i]}" /usr/bin/time -f %M -o "$scratch/peak"
    peak_kib[$i]=$(tail -n 1 "$scratch/peak")
done

# --- Times: RUNS rounds, each tool once per round. ----------------------------
declare -a seconds
for ((round = 0; round < runs; round++)); do
    for i in "${!functions[@]}"; do
        start=$EPOCHREALTIME
        "${functions[$i]}"
        end=$EPOCHREALTIME
        seconds[$i]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }') "
    done
done

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -a med
for i in "${!functions[@]}"; do med[$i]=$(median <<<"${seconds[$i]}"); done
# "mawk/tool": how many times faster than mawk; "tool/wc": how many times
# the floor's time.
printf '\n%-24s %10s %9s %10s %9s\n' "tool" "median s" "peak MiB" "mawk/tool" "tool/wc"
for i in "${!functions[@]}"; do
    awk -v name="${names[$i]}" -v t="${med[$i]}" -v kib="${peak_kib[$i]}" \
        -v mawk="${med[$mawk_index]}" -v wc="${med[$wc_index]}" \
        'BEGIN { printf "%-24s %10.4f %9.1f %9.1fx %8.1fx\n", name, t, kib / 1024, mawk / t, t / wc }'
done
printf '\nMedians of %d interleaved runs each. grep writes to a file: given /dev/null\n' "$runs"
printf 'GNU grep stops at the first line it would print.\n'
