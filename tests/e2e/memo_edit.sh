#!/usr/bin/env bash
# A day's memo through the real program: pick a day with the keyboard, open it, type, save
# through the context menu; reopen and the text is there; close without saving and the file is
# unchanged. The days are chosen on purpose: 12 January, whose plain name 2 November shares, and
# 5 July, whose plain name is its own.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"
orbeta_env=(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8) # captions show the day as yyyy/MM/dd

year=$(date +%Y) month=$((10#$(date +%m))) day=$((10#$(date +%d)))

start_orbeta
calendar=$(wait_window Orbeta)
wait_settled "$calendar"
read -r cx cy < <(client_position "$calendar")

# keys N KEY: presses KEY N times (N may be 0).
keys() {
    [ "$1" -gt 0 ] || return 0
    xdotool key --delay 15 $(for _ in $(seq "$1"); do printf '%s ' "$2"; done)
}

# select_day MONTH DAY: moves the calendar's selection from the day it holds to that day of this
# year, through the first of the month shown.
shown_month=$month shown_day=$day
select_day() {
    xdotool windowactivate --sync "$calendar" 2>/dev/null || true
    wait_active "$calendar"
    keys $((shown_day - 1)) Left
    if [ "$1" -lt "$shown_month" ]; then keys $((shown_month - $1)) Prior; fi
    if [ "$1" -gt "$shown_month" ]; then keys $(($1 - shown_month)) Next; fi
    keys $(($2 - 1)) Right
    shown_month=$1 shown_day=$2
}

# open_memo MONTH DAY [keys]: opens that day's memo with Enter and clicks into its text, or,
# given "keys", leaves the keyboard where the window puts it.
open_memo() {
    select_day "$1" "$2"
    xdotool key Return
    memo=$(wait_window "$(printf 'Orbeta %s/%02d/%02d' "$year" "$1" "$2")")
    wait_active "$memo"
    read -r mx my < <(client_position "$memo")
    [ "${3:-}" = keys ] || click_at $((mx + 100)) $((my + 60)) 1
}

# menu_item N: chooses the N-th item of the memo's menu, which closes it.
menu_item() {
    memo_menu "$1"
    wait_gone "$memo"
}

note "12 January: saved under its own name, not the shared ${year}112.rtf"
file="$work/memos/${year}0112.rtf"
open_memo 1 12
xdotool type --delay 20 "dentist 15:30"
menu_item 1
[ -f "$file" ] || fail "no memo file $(basename "$file"): $(ls "$work/memos")"
head -c 6 "$file" | grep -q '{\\rtf1' || fail "memo file is not RTF"
grep -q 'dentist 15:30' "$file" || fail "typed text not in the memo file"

note "reopen: the text is there"
open_memo 1 12
xdotool key ctrl+End
xdotool type --delay 20 " again"
menu_item 1
grep -q 'dentist 15:30 again' "$file" || fail "reopened memo did not hold the saved text"

note "close without saving: file unchanged"
before=$(md5sum <"$file")
open_memo 1 12
xdotool type --delay 20 "never saved"
menu_item 2
[ "$(md5sum <"$file")" = "$before" ] || fail "closing without saving changed the file"
open_memo 1 12
xdotool type --delay 20 "never saved either"
wmctrl -i -c "$memo"
wait_gone "$memo"
[ "$(md5sum <"$file")" = "$before" ] || fail "the close box changed the file"

note "5 July: saved under its plain name"
open_memo 7 5
xdotool type --delay 20 "summer"
menu_item 1
grep -q 'summer' "$work/memos/${year}75.rtf" || fail "no ${year}75.rtf: $(ls "$work/memos")"
[ "$(ls "$work/memos" | wc -l)" -eq 2 ] || fail "unexpected files: $(ls "$work/memos")"

note "a picture from the clipboard: saved in the memo, and drawn when it opens again"
command -v xclip >/dev/null || fail "missing xclip (run scripts/setup-debian.sh test)"
convert -size 160x90 'xc:rgb(0,160,80)' "$work/green.png"
xclip -selection clipboard -t image/png -i "$work/green.png" 2>/dev/null
open_memo 7 5
xdotool key ctrl+End ctrl+v
menu_item 1
grep -q 'pngblip' "$work/memos/${year}75.rtf" || fail "no picture in the memo file"
open_memo 7 5 keys
green_shown() {
    import -window root "$work/screen.png"
    local green
    green=$(convert "$work/screen.png" -crop "312x183+$mx+$my" +repage -fuzz 10% -fill '#ff00ff' \
        -opaque 'rgb(0,160,80)' -fill white +opaque '#ff00ff' -channel G -separate \
        -format '%[fx:round((1-mean)*w*h)]' info:)
    reason="$green green pixels"
    [ "$green" -gt 2000 ]
}
wait_for "the picture is not drawn" green_shown
menu_item 2

note "1 November, kept under the name it shares with 11 January: the notice says so, the text takes the typing"
printf '{\\rtf1 kept long ago\\par}' >"$work/memos/${year}111.rtf"
open_memo 11 1 keys
xdotool key ctrl+Home
xdotool type --delay 20 "typed first "
menu_item 1
grep -q 'typed first kept long ago' "$work/memos/${year}1101.rtf" ||
    fail "the typing did not reach the memo: $(ls "$work/memos")"
wmctrl -i -c "$calendar"
wait_exit "$orbeta_pid"
note "passed"
