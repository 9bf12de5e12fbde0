#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the full build with the GUI
# tests (offscreen), then the logic without widgets under AddressSanitizer and
# UndefinedBehaviorSanitizer together with short fuzzing runs.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
kodexa_install_missing "${KODEXA_BUILD_PACKAGES[@]}" "${KODEXA_TEST_PACKAGES[@]}"

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# The print tests start a private CUPS server; here, where cups is installed, one that cannot start
# fails them instead of letting them fall back to Qt's PDF output.
export KODEXA_REQUIRE_CUPS=1

echo "== Full build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Logic under AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer"
CC=clang CXX=clang++ cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DKODEXA_LOGIC_ONLY=ON -DKODEXA_SANITIZE=ON -DKODEXA_FUZZ=ON -DKODEXA_BENCH=OFF >/dev/null
cmake --build build-sanitize -j "$jobs"
ctest --test-dir build-sanitize --output-on-failure -j "$jobs"
