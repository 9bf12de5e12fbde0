#!/usr/bin/env bash
# Peak resident memory of Kodexa as a user starts it: runs the program on a virtual X server (xvfb),
# waits past the five-second start-up splash until the main window is up, and prints the peak
# (VmHWM) and current (VmRSS) resident set of the process.
#
#   tools/measure_memory.sh [BUILD_DIR [SECONDS]]      (defaults: build, 8)
#
# Needs xvfb (xvfb-run) and a built Kodexa target.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
seconds=${2:-8}
program=$build/app/Kodexa
[ -x "$program" ] || { echo "measure_memory: $program not found; build the Kodexa target first" >&2; exit 1; }

xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    "$1" &
    pid=$!
    sleep "$2"
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "measure_memory: Kodexa ended before it was measured" >&2
        exit 1
    fi
    grep -E "^(VmHWM|VmRSS):" "/proc/$pid/status"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
' measure "$program" "$seconds"
