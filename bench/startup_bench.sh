#!/usr/bin/env bash
# Start-up time, resident memory and idle wake-ups of orbeta beside a minimal Qt calendar
# program, side by side over several runs, under Xvfb with a window manager. Orbeta starts in an
# empty memo folder, or in MEMO_FOLDER (a month of large memos, say: bench/memo_folder).
# Usage: bench/startup_bench.sh BUILD_DIR [RUNS [MEMO_FOLDER]]
set -euo pipefail
build=$(realpath "$1")
runs=${2:-11}
memos=${3:+$(realpath "$3")}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
exec {fd}<> <(:)
Xvfb -displayfd "$fd" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
read -r -t 10 display <&"$fd"
export DISPLAY=":$display"
openbox --sm-disable >/dev/null 2>&1 &
sleep 1

probe="$build/bench/window_probe"
cd "$work"
run_orbeta() { (cd "${memos:-$work}" && "$probe" Orbeta 83 170 5 "$build/src/orbeta") >>"$work/orbeta.txt"; }
run_minimal() { "$probe" Minimal 83 170 5 "$build/bench/minimal_calendar" >>"$work/minimal.txt"; }
# The same minimal program showing its calendar in Japanese: it loads a Japanese font, as Orbeta
# must, which the first one never does.
run_minimal_ja() {
    LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8 "$probe" Minimal 83 170 5 "$build/bench/minimal_calendar" \
        >>"$work/minimal_ja.txt"
}
for ((i = 0; i < runs; i++)); do
    # Take turns so all see the same machine, and which goes first (a start right after another
    # program has ended is a few per cent slower); the first, cold run of each is left out.
    case $((i % 3)) in
    0) run_orbeta; run_minimal; run_minimal_ja ;;
    1) run_minimal; run_minimal_ja; run_orbeta ;;
    2) run_minimal_ja; run_orbeta; run_minimal ;;
    esac
done

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
report() { # report FILE COLUMN
    tail -n +2 "$1" | awk -v c="$2" '{print $c}' | median
}
printf '%-10s %12s %16s %22s %22s\n' "" "start-up ms" "RSS after 1 s" "wake-ups/s (threads)" "wake-ups/s (main)"
for name in orbeta minimal minimal_ja; do
    printf '%-10s %12s %13s kB %22s %22s\n' "$name" "$(report "$work/$name.txt" 1)" \
        "$(report "$work/$name.txt" 2)" "$(report "$work/$name.txt" 3)" "$(report "$work/$name.txt" 4)"
done
o=$(report "$work/orbeta.txt" 1) m=$(report "$work/minimal.txt" 1) mj=$(report "$work/minimal_ja.txt" 1)
or=$(report "$work/orbeta.txt" 2) mr=$(report "$work/minimal.txt" 2)
awk -v o="$o" -v m="$m" -v mj="$mj" -v or="$or" -v mr="$mr" 'BEGIN {
    printf "start-up ratio %.2f (target <= 1.05), %.2f to the minimal program in Japanese; ", o / m, o / mj
    printf "memory difference %.1f MB (target <= 8)\n", (or - mr) / 1024 }'
echo "($((runs - 1)) runs each after a first cold run, medians)"
