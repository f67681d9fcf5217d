#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Orbeta with its tests and runs every test: unit, GUI
# (offscreen) and end-to-end (the real program under Xvfb).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBETA_TEST_BUILD:-$root/build-test}
"$root/scripts/setup-debian.sh" test
jobs=$(nproc)

echo "== build and run the unit, GUI, interop and end-to-end tests"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBETA_BUILD_TESTS=ON
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

echo "== fuzz the RTF reader (clang, libFuzzer with address and undefined-behaviour sanitizers)"
CC=clang CXX=clang++ cmake -S "$root" -B "$build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBETA_FUZZ=ON
cmake --build "$build-fuzz" -j"$jobs" --target rtf_reader_fuzzer
ctest --test-dir "$build-fuzz" --output-on-failure -L fuzz
