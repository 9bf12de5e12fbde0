#!/usr/bin/env bash
# run_under_wm.sh WM|none PROGRAM [ARGS...]: runs PROGRAM on its own virtual X server (xvfb-run),
# under the window manager WM (started first, given two seconds, ended afterwards) or none, with
# QT_QPA_PLATFORM=xcb and KODEXA_WM set to WM. Exits 77 (skipped) when xvfb-run or WM is missing.
set -u
wm=$1
shift
command -v xvfb-run >/dev/null || { echo "xvfb-run is not installed"; exit 77; }
if [ "$wm" != none ]; then
    command -v "$wm" >/dev/null || { echo "$wm is not installed"; exit 77; }
fi
export KODEXA_WM=$wm
[ "$wm" = none ] && KODEXA_WM=
export QT_QPA_PLATFORM=xcb
exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    wm_pid=""
    if [ -n "$KODEXA_WM" ]; then
        "$KODEXA_WM" >/dev/null 2>&1 &
        wm_pid=$!
        sleep 2
    fi
    "$@"
    status=$?
    if [ -n "$wm_pid" ]; then
        kill "$wm_pid" 2>/dev/null
        sleep 1
        kill -9 "$wm_pid" 2>/dev/null
    fi
    exit $status
' run_under_wm "$@"
