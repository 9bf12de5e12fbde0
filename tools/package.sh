#!/usr/bin/env bash
# Installs what is missing, builds the two programs and packs them with CPack as a Debian package;
# prints the package's path.
#
#   tools/package.sh [BUILD_DIR]        (default: build-package)
#
# The package gets a build folder of its own, compiled with the flags that Debian builds its own
# packages with (dpkg-buildflags, all hardening features: fortified functions, stack protector,
# read-only relocations bound at start), which the development build does without.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
# The test libraries too: the project's configuration looks for them.
kodexa_install_missing "${KODEXA_BUILD_PACKAGES[@]}" googletest libgtest-dev libbenchmark-dev \
    libsqlite3-dev >&2
build=${1:-build-package}

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cppflags=$(dpkg-buildflags --get CPPFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKODEXA_BENCH=OFF \
    -DCMAKE_C_FLAGS="$cppflags $(dpkg-buildflags --get CFLAGS)" \
    -DCMAKE_CXX_FLAGS="$cppflags $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >&2
cmake --build "$build" -j 2 --target Kodexa cpvquery kodexa_install_files >&2
rm -f "$build"/kodexa_*.deb
# The package's files and folders take their modes from the staged installation.
umask 022
(cd "$build" && cpack -G DEB >&2)
realpath "$build"/kodexa_*.deb
