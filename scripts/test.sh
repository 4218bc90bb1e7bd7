#!/usr/bin/env bash
# The test command: installs what is missing, builds every tree and runs every
# test: natively, under the sanitizers, the fuzzer for a bounded time, and the
# Windows build under Wine. Exits non-zero when anything fails.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test || exit 1

presets=(native asan fuzz windows)
for preset in "${presets[@]}"; do
    echo "== build: $preset"
    cmake --preset "$preset" >/dev/null || exit 1
    cmake --build --preset "$preset" || exit 1
done

# Windows tests need a display and are much quicker with one wineserver kept
# alive for the whole run.
cleanup() {
    build/windows/wine-run.sh --stop-server
    [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
    number=90
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$number"
    for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
fi
build/windows/wine-run.sh --start-server

failed=()
for preset in "${presets[@]}"; do
    echo "== test: $preset"
    ctest --preset "$preset" || failed+=("$preset")
done

if [ "${#failed[@]}" -gt 0 ]; then
    echo "FAILED in: ${failed[*]}"
    exit 1
fi
echo "All tests passed."
