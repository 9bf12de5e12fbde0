#!/usr/bin/env bash
# Shows the status window, the splash and the about box (tests/about/WindowGallery.cpp) under each
# window manager given (default: those of openbox, xfwm4, metacity, marco, fluxbox and icewm that
# are installed), each on its own virtual X server, and saves a picture of the screen and what the
# window manager allows each window (_NET_WM_ALLOWED_ACTIONS) to OUT_DIR/WM.png and OUT_DIR/WM.txt.
#
#   tools/wm_check.sh [BUILD_DIR [OUT_DIR [WM...]]]      (defaults: build, BUILD_DIR/wm-check)
#
# Needs xvfb, imagemagick (import), x11-utils (xprop), xdotool and dbus (xfwm4 and marco keep their
# settings behind a session bus; marco also needs mate-settings-daemon-common); the window managers
# come from Debian's packages of the same names.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-$build/wm-check}
shift $(($# < 2 ? $# : 2))
managers=("$@")
if [ ${#managers[@]} -eq 0 ]; then
    for wm in openbox xfwm4 metacity marco fluxbox icewm; do
        command -v "$wm" >/dev/null && managers+=("$wm")
    done
fi

cmake --build "$build" --target window_gallery -- -j2 >/dev/null
gallery=$(realpath "$build/tests/about/window_gallery")
mkdir -p "$out"
out=$(realpath "$out")

for wm in "${managers[@]}"; do
    echo "== $wm"
    options=""
    [ "$wm" = xfwm4 ] && options="--compositor=off"
    WM=$wm OPTIONS=$options GALLERY=$gallery OUT=$out xvfb-run -a -s "-screen 0 1700x1200x24" dbus-run-session bash -c '
        "$WM" $OPTIONS >/dev/null 2>&1 &
        wm_pid=$!
        sleep 2
        "$GALLERY" 8 >/dev/null 2>&1 &
        gallery_pid=$!
        sleep 4
        timeout 20 import -window root "$OUT/$WM.png"
        {
            echo "window manager: $WM"
            for id in $(xdotool search --name "^(Status|Über)\$"); do
                echo "-- $(xdotool getwindowname "$id") at $(xdotool getwindowgeometry "$id" | tr "\n" " ")"
                xprop -id "$id" _NET_WM_ALLOWED_ACTIONS _NET_WM_WINDOW_TYPE _MOTIF_WM_HINTS _NET_WM_STATE
            done
        } > "$OUT/$WM.txt" 2>&1
        wait "$gallery_pid" || true
        kill "$wm_pid" 2>/dev/null || true
        sleep 1
        kill -9 "$wm_pid" 2>/dev/null || true
    '
    cat "$out/$wm.txt"
done
echo "pictures in $out"
