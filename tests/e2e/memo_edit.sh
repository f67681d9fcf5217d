#!/usr/bin/env bash
# A day's memo through the real program: double-click a day, type, save through the context
# menu; reopen and the text is there; close without saving and the file is unchanged.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"
orbeta_env=(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8) # captions show the day as yyyy/MM/dd

# The memo file of a day, as the program names it.
memo_name() { # memo_name YYYY MM DD (two-digit month and day)
    local y=$1 m=$((10#$2)) d=$((10#$3))
    if { [ "$m" -eq 1 ] && { { [ "$d" -ge 11 ] && [ "$d" -le 19 ]; } || { [ "$d" -ge 21 ] && [ "$d" -le 29 ]; }; }; } ||
       { [ "$m" -ge 11 ] && [ "$d" -le 9 ]; }; then
        echo "$y$2$3.rtf"
    else
        echo "$y$m$d.rtf"
    fi
}

start_orbeta
calendar=$(wait_window Orbeta)
sleep 0.5
read -r cx cy < <(client_position "$calendar")
# The third row of the month grid always holds days of the month shown.
day_x=$((cx + 108)) day_y=$((cy + 85))

open_memo() {
    xdotool mousemove --sync "$day_x" "$day_y" click --repeat 2 --delay 60 1
    for _ in $(seq 50); do
        memo=$(xdotool search --onlyvisible --name '^Orbeta [0-9]{4}/' 2>/dev/null | head -n 1) || true
        [ -n "$memo" ] && break
        sleep 0.1
    done
    [ -n "$memo" ] || fail "double-click opened no memo window"
    sleep 0.3
    xdotool windowactivate --sync "$memo" 2>/dev/null || true
    read -r mx my < <(client_position "$memo")
    xdotool mousemove --sync $((mx + 100)) $((my + 60)) click 1
}

# menu_item N: right-click in the memo and choose the N-th item (1 保存終了, 2 終了).
menu_item() {
    xdotool mousemove --sync $((mx + 100)) $((my + 60)) click 3
    wait_popup
    xdotool key --delay 80 $(for _ in $(seq "$1"); do printf 'Down '; done) Return
    wait_gone "$memo"
}

note "open a day, type, save and close"
open_memo
caption=$(xdotool getwindowname "$memo")
date=${caption#Orbeta }
IFS=/ read -r year month day <<<"$date"
file="$work/memos/$(memo_name "$year" "$month" "$day")"
note "memo of $date goes to $(basename "$file")"
xdotool type --delay 30 "dentist 15:30"
menu_item 1
[ -f "$file" ] || fail "no memo file $(basename "$file"): $(ls "$work/memos")"
head -c 6 "$file" | grep -q '{\\rtf1' || fail "memo file is not RTF"
grep -q 'dentist 15:30' "$file" || fail "typed text not in the memo file"

note "reopen: the text is there"
open_memo
xdotool key ctrl+End
xdotool type --delay 30 " again"
menu_item 1
grep -q 'dentist 15:30 again' "$file" || fail "reopened memo did not hold the saved text"

note "close without saving: file unchanged"
before=$(md5sum <"$file")
open_memo
xdotool type --delay 30 "never saved"
menu_item 2
[ "$(md5sum <"$file")" = "$before" ] || fail "closing without saving changed the file"
open_memo
xdotool type --delay 30 "never saved either"
wmctrl -i -c "$memo"
wait_gone "$memo"
[ "$(md5sum <"$file")" = "$before" ] || fail "the close box changed the file"
[ "$(ls "$work/memos" | wc -l)" -eq 1 ] || fail "unexpected files: $(ls "$work/memos")"
wmctrl -i -c "$calendar"
wait_exit "$orbeta_pid"
note "passed"
