#!/usr/bin/env bash
# The calendar window opens at its design position, reappears where the user left it, and
# "終了(&X)" leaves the remembered position alone.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"

note "first run: design position"
start_orbeta
wid=$(wait_window Orbeta)
wait_settled "$wid"
read -r x y < <(client_position "$wid")
[ "$x $y" = "101 92" ] || fail "client area at $x,$y, expected 101,92"
[ ! -e "$settings" ] || fail "settings written on the first run before any window closed"
hints=$(xprop -id "$wid" _MOTIF_WM_HINTS | sed 's/.*= //')
functions=$(cut -d, -f2 <<<"$hints" | tr -d ' ')
(( (functions & 0x18) == 0 )) || fail "window offers minimise or maximise (motif functions $functions)"

note "move and close with the close box"
drag_window "$wid" 200 100
read -r mx my < <(client_position "$wid")
[ "$mx $my" != "$x $y" ] || fail "window did not move"
read -r fx fy < <(frame_position "$wid")
wmctrl -i -c "$wid"
wait_exit "$orbeta_pid"
[ "$(stored Form1_StrtUp X1)" = "$((fx * 15))" ] || fail "X1=$(stored Form1_StrtUp X1), expected $((fx * 15))"
[ "$(stored Form1_StrtUp Y1)" = "$((fy * 15))" ] || fail "Y1=$(stored Form1_StrtUp Y1), expected $((fy * 15))"

note "restart: where it was left"
start_orbeta
wid=$(wait_window Orbeta)
wait_settled "$wid"
read -r rx ry < <(client_position "$wid")
[ "$rx $ry" = "$mx $my" ] || fail "reopened at $rx,$ry, left at $mx,$my"

note "move again, end through the menu: nothing stored"
before=$(md5sum <"$settings")
drag_window "$wid" -60 80
read -r x y < <(client_position "$wid")
click_at $((x + 80)) $((y + 90)) 3
wait_popup
xdotool key x
wait_exit "$orbeta_pid"
[ "$(md5sum <"$settings")" = "$before" ] || fail "ending through the menu changed the settings"

note "stored values that are not numbers: where a first run opens, and stays there"
printf '[Form1_StrtUp]\nX1=abc\nY1=nan\n' >"$settings"
for run in 1 2; do
    start_orbeta
    wid=$(wait_window Orbeta)
    wait_settled "$wid"
    read -r x y < <(client_position "$wid")
    [ "$x $y" = "101 92" ] || fail "run $run: client area at $x,$y, expected 101,92"
    wmctrl -i -c "$wid"
    wait_exit "$orbeta_pid"
done
note "passed"
