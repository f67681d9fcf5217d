#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Orbeta with its tests and runs every test: unit, GUI
# (offscreen), interop (LibreOffice, Wine) and end-to-end (the real program under Xvfb), once in a
# plain build and once with AddressSanitizer and UndefinedBehaviorSanitizer; fuzzes the RTF
# reader; builds the Debian package and checks that it would install.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBETA_TEST_BUILD:-$root/build-test}
"$root/scripts/setup-debian.sh" test
jobs=$(nproc)

echo "== build and run the unit, GUI, interop and end-to-end tests"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBETA_BUILD_TESTS=ON
cmake --build "$build" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

echo "== the Debian package"
(cd "$build" && cpack -G DEB >/dev/null)
package=$(ls "$build"/orbeta_*.deb)
dpkg-deb --info "$package" | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/  \1:/p'
apt-get install --simulate --no-install-recommends "$package" >/dev/null
echo "  $(basename "$package") installs with its dependencies"

echo "== the same tests with AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
cmake -S "$root" -B "$build-sanitize" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBETA_SANITIZE=ON \
      -DORBETA_BUILD_BENCH=OFF
cmake --build "$build-sanitize" -j"$jobs"
ctest --test-dir "$build-sanitize" --output-on-failure -j"$jobs"

echo "== fuzz the RTF reader (clang, libFuzzer with address and undefined-behaviour sanitizers)"
CC=clang CXX=clang++ cmake -S "$root" -B "$build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORBETA_FUZZ=ON
cmake --build "$build-fuzz" -j"$jobs" --target rtf_reader_fuzzer
ctest --test-dir "$build-fuzz" --output-on-failure -L fuzz
