#!/usr/bin/env bash
# The run command: installs what is missing, builds KorvelSievraV3 for Windows
# and starts it under Wine: on the desktop when there is one ($DISPLAY), else
# on a virtual display, with a screenshot saved once the window is up.
# Ctrl-C closes the window the way its close box does.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset windows >/dev/null
cmake --build --preset windows --target KorvelSievra
wine_run=build/windows/wine-run.sh
program=build/windows/app/KorvelSievra.exe

interrupted=""
close_program() {
    interrupted=1
    # taskkill without /f asks the window to close, as its close box would.
    "$wine_run" taskkill /im KorvelSievra.exe >/dev/null 2>&1 || true
}

# The program runs in a session of its own, so a Ctrl-C reaches only this
# script, which then closes the window properly.
wait_for_program() {
    local status=0
    wait "$program_pid" || status=$?
    # A Ctrl-C interrupts the wait; the program is closing: wait for its own status.
    if [ -n "$interrupted" ]; then
        status=0
        wait "$program_pid" || status=$?
    fi
    echo "KorvelSievraV3 ended with exit code $status."
    return "$status"
}

if [ -n "${DISPLAY:-}" ]; then
    echo "Starting KorvelSievraV3 on display $DISPLAY. Ctrl-C closes it."
    setsid "$wine_run" "$program" &
    program_pid=$!
    trap close_program INT
    wait_for_program
    exit
fi

number=90
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
export DISPLAY=":$number"
echo "No display: starting KorvelSievraV3 on a virtual display ($DISPLAY, 1280x1024)."
setsid Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
trap '"$wine_run" --stop-server; kill "$xvfb" 2>/dev/null' EXIT
for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done

setsid "$wine_run" "$program" &
program_pid=$!
trap close_program INT

screenshot=build/KorvelSievraV3.png
for _ in $(seq 300); do
    if scripts/screenshot.sh "$screenshot" KorvelSievraV3 2>/dev/null; then
        echo "The window is up; its screenshot is $screenshot."
        break
    fi
    kill -0 "$program_pid" 2>/dev/null || break
    sleep 0.2
done
echo "Press Ctrl-C to close it."
wait_for_program
