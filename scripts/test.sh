#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Orbeta with its tests and runs every test: unit, GUI
# (offscreen) and end-to-end (the real program under Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBETA_TEST_BUILD:-$root/build-test}
"$root/scripts/setup-debian.sh" test
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBETA_BUILD_TESTS=ON
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
