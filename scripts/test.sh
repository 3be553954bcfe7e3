#!/bin/sh
# Sets up a fresh Debian machine, builds everything and runs all tests.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
t0=$(date +%s)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
t1=$(date +%s)
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600
echo "test.sh: configure and build $((t1 - t0)) s, tests $(($(date +%s) - t1)) s"
