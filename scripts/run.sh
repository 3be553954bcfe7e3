#!/bin/sh
# Sets up a fresh Debian machine, builds the program and starts it. Once set
# up and built, it goes straight to the program: the package set-up runs again
# only when the package list changed, and the configure step only when there
# is no build yet (the build re-runs it itself when a CMakeLists.txt changed).
set -eu
cd "$(dirname "$0")/.."
stamp=build/.packages-set-up
if [ ! -f "$stamp" ] || [ scripts/packages.txt -nt "$stamp" ]; then
    ./scripts/setup.sh
    mkdir -p build
    touch "$stamp"
fi
if [ ! -f build/build.ninja ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# The program and what it loads; the tests and benchmarks are built by the
# test command.
cmake --build build --target Tidewick_HDMI OrvelCap5 OrvelGraphics regsvr
# The capture library is created by class identifier: register it (again,
# so the registration names this build's library).
build/bin/regsvr /s build/bin/OrvelCap5.so
# X11 rather than Wayland: the program places its windows itself.
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-xcb}"
exec build/bin/Tidewick_HDMI "$@"
