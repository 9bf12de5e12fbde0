#!/usr/bin/env bash
# Looks at Kodexa through the desktop's real accessibility stack, as a screen reader does: on a
# virtual X server with a private session bus and its own AT-SPI bus, it starts the program,
# prints the accessible tree of its windows and logs the events a screen reader hears while
# tools/accessibility_probe.py drives the program from the keyboard (a search, sorting, Ctrl+Enter
# into the tree, the about box). A developer's tool, not part of the tests.
#
#   tools/accessibility_probe.sh [--orca] [BUILD_DIR [LOG]]     (defaults: build, BUILD_DIR/accessibility-probe.log)
#
# --orca also runs the Orca screen reader with its debug log, BUILD_DIR/orca-debug.log, whose
# "SPEECH OUTPUT" lines are what it would say. Its speech output is switched off (without a sound
# card speech-dispatcher blocks Orca), which leaves what it says in the log alone.
#
# Needs (Debian packages): xvfb (xvfb-run), dbus (dbus-run-session, dbus-send), openbox (a window
# manager, which gives the program's windows the keyboard focus), at-spi2-core
# (at-spi-bus-launcher, at-spi2-registryd; its registry synthesises the keys through the X
# server's XTEST extension, so no xdotool), python3-pyatspi for /usr/bin/python3; orca for --orca.
set -euo pipefail
cd "$(dirname "$0")/.."

orca=no
if [ "${1:-}" = "--orca" ]; then
    orca=yes
    shift
fi

if [ "${1:-}" = "--inside" ]; then
    # Inside the X server and the private session bus: the accessibility bus, then the probe.
    program=$2 log=$3 orca=$4 orca_log=$5
    # A window manager activates the program's windows, as on a desktop; without one nothing has
    # the keyboard focus.
    openbox >/dev/null 2>&1 &
    helpers=($!)
    /usr/libexec/at-spi-bus-launcher --launch-immediately &
    helpers+=($!)
    for _ in $(seq 50); do
        # Asks without starting the service, which the launcher above is about to provide.
        if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q "boolean true"; then
            break
        fi
        sleep 0.1
    done
    /usr/libexec/at-spi2-registryd &
    helpers+=($!)
    # Tells toolkits that assistive technology is listening (Qt also has QT_LINUX_ACCESSIBILITY_ALWAYS_ON).
    dbus-send --session --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
        string:org.a11y.Status string:IsEnabled variant:boolean:true
    if [ "$orca" = yes ]; then
        home=$(mktemp -d /tmp/kodexa-orca-home.XXXXXX)
        HOME=$home /usr/bin/python3 tools/accessibility_probe.py --run-orca "$orca_log" >/dev/null 2>&1 &
        helpers=($! "${helpers[@]}")
        sleep 3
    fi
    status=0
    /usr/bin/python3 tools/accessibility_probe.py "$program" --log "$log" || status=$?
    kill "${helpers[@]}" 2>/dev/null || true
    wait 2>/dev/null || true
    if [ "$orca" = yes ]; then
        rm -rf "$home"
    fi
    exit $status
fi

build=${1:-build}
log=${2:-$build/accessibility-probe.log}

missing=()
command -v xvfb-run >/dev/null || missing+=("xvfb")
command -v dbus-run-session >/dev/null || missing+=("dbus")
command -v openbox >/dev/null || missing+=("openbox")
[ -x /usr/libexec/at-spi-bus-launcher ] && [ -x /usr/libexec/at-spi2-registryd ] || missing+=("at-spi2-core")
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || missing+=("python3-pyatspi")
if [ "$orca" = yes ]; then
    command -v orca >/dev/null || missing+=("orca")
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "accessibility_probe.sh: install the Debian packages ${missing[*]}" \
        "(all it uses: KODEXA_PROBE_PACKAGES in tools/packages.sh)" >&2
    exit 2
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target Kodexa -- -j2 >/dev/null
program=$(realpath "$build/app/Kodexa")
log=$(realpath -m "$log")
orca_log=$(realpath -m "$build/orca-debug.log")

xvfb-run -a -s "-screen 0 1280x1024x24" \
    dbus-run-session -- "$0" --inside "$program" "$log" "$orca" "$orca_log"
