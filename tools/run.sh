#!/usr/bin/env bash
# Installs what is missing, builds Kodexa and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
kodexa_install_missing "${KODEXA_BUILD_PACKAGES[@]}" googletest libgtest-dev libbenchmark-dev libsqlite3-dev \
    libxcb-xtest0-dev

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target Kodexa
exec build/app/Kodexa "$@"
