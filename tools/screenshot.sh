#!/usr/bin/env bash
# Takes pictures of Kodexa's windows on a virtual X server (1280 x 1024, 24 bit, no window manager,
# so windows have no frames): the splash, the main window at start, after a search and a sort, the
# status window, the about box, the tree page after a double-click on a grid row, the keyword
# search after a buyer's words and the Merkliste with three of its results; then the
# report's preview (100 %, Fit to Page, Fit to Page Width) and output options, with a private CUPS
# server (tests/report/cups) as the system's printer.
#
#   tools/screenshot.sh [BUILD_DIR [OUT_DIR]]      (defaults: build, BUILD_DIR/screenshots)
#
# Configures BUILD_DIR when it holds no build yet, then builds the kodexa_screenshots target.
# Needs xvfb (xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build/screenshots}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target kodexa_screenshots -- -j2
cmake --build "$build" --target report_screenshots -- -j2

mkdir -p "$out"
rm -f "$out"/*.png
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/tools/kodexa_screenshots" "$out"

cups=$(mktemp -d /tmp/kodexa-screenshot-cups.XXXXXX)
tests/report/cups/start-cups.sh "$cups" >/dev/null || true
CUPS_SERVER=$cups/run/cups.sock xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/tests/report/report_screenshots" "$out"
tests/report/cups/stop-cups.sh "$cups"
rm -rf "$cups"
