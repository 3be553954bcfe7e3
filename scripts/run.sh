#!/bin/sh
# Sets up a fresh Debian machine, builds the program and starts it.
set -eu
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build
# The capture library is created by class identifier: register it (again,
# so the registration names this build's library).
build/bin/regsvr /s build/bin/OrvelCap5.so
# X11 rather than Wayland: the program places its windows itself.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
exec build/bin/Tidewick_HDMI "$@"
