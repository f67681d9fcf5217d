#!/usr/bin/env bash
# Finding memos through the real program: Ctrl+F in the calendar opens the search window, a
# Japanese query lists the memos that hold it, newest first (a file under a name two days share
# counts for both), Ctrl+A and Ctrl+C copy the list as lines, Enter opens the first memo with
# the hit selected, and the window remembers its place. Leaves memo-search.png (in
# ORBETA_SCREENSHOTS when set) to be looked at.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"
command -v xclip >/dev/null || fail "missing xclip (run scripts/setup-debian.sh test)"
orbeta_env=(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8) # captions show the day as yyyy/MM/dd

# memo FILE TEXT: a memo in RTF, its Japanese as \u escapes (東 26481, 京 20140, 会 20250,
# 議 35696, 駅 39365, 雨 38632).
memo() { printf '{\\rtf1\\ansi\\ansicpg932\\uc0 %s\\par}' "$2" >"$work/memos/$1"; }
memo 20251207.rtf '\u26481 \u20140 \u12391 \u20250 \u35696 '   # 東京で会議
memo 2024315.rtf 'Tokyo \u26481 \u20140  tower'               # Tokyo 東京 tower
memo 202355.rtf '\u38632 '                                      # 雨, 5 May 2023
memo 2022111.rtf '\u26481 \u20140 \u39365 '                     # 東京駅: 11 January, 1 November
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }

start_orbeta
calendar=$(wait_window Orbeta)
wait_settled "$calendar"
xdotool windowactivate --sync "$calendar" 2>/dev/null || true
wait_active "$calendar"

note "Ctrl+F opens the search window, the query ready"
xdotool key ctrl+f
search=$(wait_window "メモを検索")
wait_settled "$search"
wait_active "$search"
# The query is pasted: xdotool types a character the keyboard has no key for by lending it a key
# for a moment, and a busy program that reads the key after it was given back loses it.
printf '東京' | xclip -selection clipboard -i >/dev/null 2>&1
clipboard_holds() { reason="it holds $(clipboard)"; [ "$(clipboard)" = "$1" ]; }
wait_for "the query is not on the clipboard" clipboard_holds "東京"
xdotool key ctrl+v

note "the results, copied"
expected=$'2025/12/07\t東京で会議\n2024/03/15\tTokyo 東京 tower\n2022/11/01\t東京駅\n2022/01/11\t東京駅'
# The results come as the memos are read: they are copied until the list is whole.
results_copied() {
    xdotool key Tab ctrl+a ctrl+c
    reason="copied: $(clipboard)"
    [ "$(clipboard)" = "$expected" ] && return 0
    xdotool key shift+Tab
    return 1
}
wait_for "the results" results_copied
shot="${ORBETA_SCREENSHOTS:-$work}/memo-search.png"
import -window root "$shot"

note "Enter opens the newest with 東京 selected"
xdotool key Home Return
memo_window=$(wait_window "Orbeta 2025/12/07")
wait_active "$memo_window"
xdotool key ctrl+c
wait_for "東京 is not selected in the memo" clipboard_holds "東京"
wmctrl -i -c "$memo_window"
wait_gone "$memo_window"
wait_active "$search"

note "Escape closes the window; its place is remembered"
read -r fx fy < <(frame_position "$search")
xdotool key Escape
wait_gone "$search"
[ "$(stored frmSearch_StrtUp X1)" = $((fx * 15)) ] || fail "X1 $(stored frmSearch_StrtUp X1), not $((fx * 15))"
[ "$(stored frmSearch_StrtUp Y1)" = $((fy * 15)) ] || fail "Y1 $(stored frmSearch_StrtUp Y1), not $((fy * 15))"
note "passed"
