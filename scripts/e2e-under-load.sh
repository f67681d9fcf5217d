#!/usr/bin/env bash
# Runs the end-to-end tests three times in a row while two other processes keep both cores
# busy: a test that waits for time rather than for the program fails here first. Run it before
# landing a change to the end-to-end tests. Usage: scripts/e2e-under-load.sh [BUILD_FOLDER]
# (build-test by default, as scripts/test.sh leaves it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-test}
rounds=${ORBETA_LOAD_ROUNDS:-3}
[ -f "$build/CTestTestfile.cmake" ] || { echo "no build in $build: run scripts/test.sh first" >&2; exit 2; }

load=()
stop_load() { [ ${#load[@]} -eq 0 ] || kill "${load[@]}" 2>/dev/null || true; }
trap stop_load EXIT
for _ in 1 2; do
    sh -c 'while :; do :; done' &
    load+=($!)
done

for round in $(seq "$rounds"); do
    echo "== round $round of $rounds, with two busy processes"
    ctest --test-dir "$build" --output-on-failure -L e2e
done
echo "== the end-to-end tests passed $rounds times under load"
