#!/usr/bin/env bash
# Stops the private CUPS server that start-cups.sh started in SCRATCH_DIR, by its PID, and removes
# the server's folder.
#
#   stop-cups.sh SCRATCH_DIR
set -euo pipefail
scratch=${1:?usage: stop-cups.sh SCRATCH_DIR}
pidfile=$scratch/run/cupsd.pid
if [ -f "$pidfile" ]; then
    pid=$(cat "$pidfile")
    if kill -0 "$pid" 2>/dev/null; then
        kill "$pid"
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -0 "$pid" 2>/dev/null && kill -9 "$pid"
    fi
    rm -f "$pidfile"
fi
# Only a folder that start-cups.sh made is removed.
if [ -f "$scratch/run/server-dir" ]; then
    server=$(cat "$scratch/run/server-dir")
    case $(basename "$server") in
    kodexa-cups.*) [ -d "$server" ] && rm -rf "$server" ;;
    esac
    rm -f "$scratch/run/server-dir" "$scratch/out" "$scratch/log"
fi
