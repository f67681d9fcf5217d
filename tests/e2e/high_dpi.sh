#!/usr/bin/env bash
# At 192 dots per inch (QT_SCALE_FACTOR=2) the windows keep their layout in twips, twice the
# pixels, and the positions stored stay in twips.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"
orbeta_env=(QT_SCALE_FACTOR=2)

near() { [ $(($1 - $2)) -le "$3" ] && [ $(($2 - $1)) -le "$3" ]; }

start_orbeta
wid=$(wait_window Orbeta)
wait_settled "$wid"
read -r x y < <(client_position "$wid")
size=$(xwininfo -id "$wid" | awk '/Width:/ {w=$NF} /Height:/ {h=$NF} END {print w "x" h}')
[ "$size" = 332x384 ] || fail "calendar window is $size pixels at scale 2"
near "$x" 202 1 && near "$y" 184 1 || fail "design position at scale 2 is $x,$y, expected 202,184"

drag_window "$wid" 200 120
read -r mx my < <(client_position "$wid")
read -r fx fy < <(frame_position "$wid")
wmctrl -i -c "$wid"
wait_exit "$orbeta_pid"
near "$(stored Form1_StrtUp X1)" $((fx * 15 / 2)) 15 || fail "X1=$(stored Form1_StrtUp X1) for a frame at $fx px"
near "$(stored Form1_StrtUp Y1)" $((fy * 15 / 2)) 15 || fail "Y1=$(stored Form1_StrtUp Y1) for a frame at $fy px"

start_orbeta
wid=$(wait_window Orbeta)
wait_settled "$wid"
read -r rx ry < <(client_position "$wid")
near "$rx" "$mx" 2 && near "$ry" "$my" 2 || fail "reopened at $rx,$ry, left at $mx,$my"
if [ -n "${ORBETA_SCREENSHOT:-}" ]; then import -window root "$ORBETA_SCREENSHOT"; fi
wmctrl -i -c "$wid"
wait_exit "$orbeta_pid"
note "passed"
