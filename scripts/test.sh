#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Orbeta with its tests and runs every test: unit, GUI
# (offscreen), interop (LibreOffice, Wine) and end-to-end (the real program under Xvfb), once in a
# plain build and once with AddressSanitizer and UndefinedBehaviorSanitizer; fuzzes the RTF
# reader; builds the Debian package and checks that it would install. Prints how long each stage
# took. The build folders stay, so a second run in the same clone rebuilds only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBETA_TEST_BUILD:-$root/build-test}
"$root/scripts/setup-debian.sh" test
jobs=$(nproc)

stage_names=()
stage_seconds=()
stage_started=0
stage() { # stage NAME: ends the stage before, starts this one
    stage_end
    echo "== $1"
    stage_names+=("$1")
    stage_started=$SECONDS
}
stage_end() {
    if [ ${#stage_names[@]} -gt ${#stage_seconds[@]} ]; then
        stage_seconds+=($((SECONDS - stage_started)))
    fi
}
report_stages() {
    stage_end
    echo "== time by stage"
    for i in "${!stage_names[@]}"; do
        printf '  %4d s  %s\n' "${stage_seconds[$i]:-0}" "${stage_names[$i]}"
    done
    printf '  %4d s  in all\n' "$SECONDS"
}
trap report_stages EXIT

# Line tables only: stack traces keep their file and line, and each file compiles a quarter
# faster than with full debugging information.
configure=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
           "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
           "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_DEBUG=-g1")

stage "build with the tests"
cmake -S "$root" -B "$build" "${configure[@]}" -DORBETA_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$jobs"

stage "unit, GUI, interop and end-to-end tests"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

stage "the Debian package"
rm -f "$build"/orbeta_*.deb
package=$(cd "$build" && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
[ -f "$package" ] || { echo "cpack made no package"; exit 1; }
dpkg-deb --info "$package" | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/  \1:/p'
apt-get install --simulate --no-install-recommends "$package" >/dev/null
echo "  $(basename "$package") installs with its dependencies"

stage "build with AddressSanitizer and UndefinedBehaviorSanitizer"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0
# Unoptimised: it compiles in half the time, and the sanitizers find as much.
cmake -S "$root" -B "$build-sanitize" "${configure[@]}" -DCMAKE_BUILD_TYPE=Debug \
      -DORBETA_SANITIZE=ON -DORBETA_BUILD_BENCH=OFF >/dev/null
cmake --build "$build-sanitize" -j"$jobs"

stage "the same tests with the sanitizers"
ctest --test-dir "$build-sanitize" --output-on-failure -j"$jobs"

stage "build the fuzz targets (clang, libFuzzer with the sanitizers)"
CC=clang CXX=clang++ cmake -S "$root" -B "$build-fuzz" "${configure[@]}" -DORBETA_FUZZ=ON >/dev/null
cmake --build "$build-fuzz" -j"$jobs" --target rtf_reader_fuzzer rtf_tokens_fuzzer

stage "fuzz the RTF reader, each target on its own core"
ctest --test-dir "$build-fuzz" --output-on-failure -L fuzz -j"$jobs"
