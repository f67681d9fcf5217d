#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Orbeta with its tests and runs every test: unit, GUI
# (offscreen), interop (LibreOffice, Wine) and end-to-end (the real program under Xvfb), once in a
# plain build and once with AddressSanitizer and UndefinedBehaviorSanitizer; fuzzes the RTF
# reader; builds the Debian package and checks that it would install. Prints how long each stage
# took. The build folders stay, so a second run in the same clone rebuilds only what changed.
#
# The tests of one build run while the next build compiles beside them, at a lower priority:
# the tests keep the processor they need, and the compiler takes what they leave (the end-to-end
# tests mostly wait for windows). The minute of fuzzing runs beside the sanitizer tests the same
# way.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORBETA_TEST_BUILD:-$root/build-test}
"$root/scripts/setup-debian.sh" test
jobs=$(nproc)
logs="$build-logs"
mkdir -p "$logs"

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
# Work that ran beside a stage: its name and how long it took, reported with the stages.
beside_names=()
beside_seconds=()
report_stages() {
    # Work still beside a stage that failed ends with it.
    if [ -n "${beside_pid:-}" ] && kill -0 "$beside_pid" 2>/dev/null; then
        kill -- -"$beside_pid" 2>/dev/null || true
    fi
    stage_end
    echo "== time by stage"
    for i in "${!stage_names[@]}"; do
        printf '  %4d s  %s\n' "${stage_seconds[$i]:-0}" "${stage_names[$i]}"
    done
    for i in "${!beside_names[@]}"; do
        printf '  %4d s  (beside) %s\n' "${beside_seconds[$i]}" "${beside_names[$i]}"
    done
    printf '  %4d s  in all\n' "$SECONDS"
}
trap report_stages EXIT

# beside NAME LOG COMMAND...: runs COMMAND in the background at a low priority, in a process
# group of its own, its output in LOG; sets beside_pid. finish_beside waits for it, shows its
# output and fails if it failed.
beside() {
    local name=$1 log=$2
    shift 2
    beside_name=$name
    beside_log=$log
    beside_started=$SECONDS
    (exec setsid nice -n 15 "$@") >"$log" 2>&1 &
    beside_pid=$!
}
finish_beside() {
    local status=0
    wait "$beside_pid" || status=$?
    beside_pid=
    beside_names+=("$beside_name")
    beside_seconds+=($((SECONDS - beside_started)))
    echo "-- $beside_name: $([ $status -eq 0 ] && echo done || echo FAILED)"
    if [ $status -ne 0 ]; then
        tail -n 200 "$beside_log"
        echo "(all of it in $beside_log)"
        exit $status
    fi
}

# Line tables only: stack traces keep their file and line, and each file compiles a quarter
# faster than with full debugging information. The libraries compile a batch of files at a time,
# and lld links: the two full builds take half the time they would otherwise.
configure=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
           "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
           "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_DEBUG=-g1"
           -DORBETA_UNITY_BUILD=ON -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0

stage "build with the tests"
cmake -S "$root" -B "$build" "${configure[@]}" -DORBETA_BUILD_TESTS=ON >/dev/null
cmake --build "$build" -j"$jobs"

stage "unit, GUI, interop and end-to-end tests"
# Unoptimised: it compiles in half the time, and the sanitizers find as much.
cmake -S "$root" -B "$build-sanitize" "${configure[@]}" -DCMAKE_BUILD_TYPE=Debug \
      -DORBETA_SANITIZE=ON -DORBETA_BUILD_BENCH=OFF >/dev/null
beside "build with AddressSanitizer and UndefinedBehaviorSanitizer" "$logs/build-sanitize.log" \
       cmake --build "$build-sanitize" -j"$jobs"
ctest --test-dir "$build" --output-on-failure -j"$jobs"

stage "the Debian package"
rm -f "$build"/orbeta_*.deb
package=$(cd "$build" && cpack -G DEB | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')
[ -f "$package" ] || { echo "cpack made no package"; exit 1; }
dpkg-deb --info "$package" | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/  \1:/p'
apt-get install --simulate --no-install-recommends "$package" >/dev/null
echo "  $(basename "$package") installs with its dependencies"

stage "finish the sanitizer build"
finish_beside

stage "the same tests with the sanitizers"
CC=clang CXX=clang++ cmake -S "$root" -B "$build-fuzz" "${configure[@]}" -DORBETA_FUZZ=ON >/dev/null
beside "build the fuzz targets (clang, libFuzzer with the sanitizers) and fuzz each for a minute" \
       "$logs/fuzz.log" bash -c "$(printf '%q ' cmake --build "$build-fuzz" -j"$jobs" \
           --target rtf_reader_fuzzer rtf_tokens_fuzzer) && $(printf '%q ' ctest --test-dir \
           "$build-fuzz" --verbose -L fuzz -j"$jobs")"
ctest --test-dir "$build-sanitize" --output-on-failure -j"$jobs"

stage "finish fuzzing"
finish_beside
grep -o "Done [0-9]* runs in [0-9]* second(s)" "$logs/fuzz.log" | sed 's/^/  fuzzing: /' || true
