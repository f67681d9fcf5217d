#!/usr/bin/env bash
# What the real program does so that no memo text is lost: earlier versions taken back from the
# memo's menu; unsaved text kept beside the memo when the program is ended with a signal or the
# window system goes away; a pipe named like a memo that neither freezes the memo window nor keeps
# the program from ending at once.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"
orbeta_env=(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8) # captions show the day as yyyy/MM/dd

today=$(date +%Y/%m/%d)
memo_file() { # the name of today's memo file
    local y=$(date +%Y) m=$((10#$(date +%m))) d=$((10#$(date +%d)))
    if { [ "$m" -eq 1 ] && [ "$d" -ge 11 ] && [ "$d" -le 29 ] && [ "$d" -ne 20 ]; } ||
        { [ "$m" -ge 11 ] && [ "$d" -le 9 ]; }; then
        date +%Y%m%d.rtf
    else
        echo "$y$m$d.rtf"
    fi
}
file="$work/memos/$(memo_file)"

# open_today: opens today's memo (the calendar starts on it) and clicks into its text.
open_today() {
    xdotool windowactivate --sync "$calendar" 2>/dev/null || true
    wait_active "$calendar"
    xdotool key Home Return
    memo=$(wait_window "Orbeta $today")
    wait_active "$memo"
    read -r mx my < <(client_position "$memo")
    click_at $((mx + 100)) $((my + 60)) 1
}
start() {
    start_orbeta
    calendar=$(wait_window Orbeta)
    wait_settled "$calendar"
}
# ends PID: fails unless the program ends (at once, were the machine not busy).
ends() {
    wait_for "the program is still running" is_ended "$1"
}

note "two saves, then the first taken back from the memo's menu"
start
open_today
xdotool type --delay 20 "first words"
memo_menu 1
wait_gone "$memo"
open_today
xdotool key ctrl+a
xdotool type --delay 20 "second words"
memo_menu 1
wait_gone "$memo"
grep -q 'second words' "$file" || fail "the second save is not in the memo"
open_today
memo_menu 3
versions=$(wait_window "以前の版 $today")
wait_active "$versions"
xdotool key Return
wait_gone "$versions"
memo_menu 1
wait_gone "$memo"
grep -q 'first words' "$file" || fail "the earlier version was not saved"
grep -q 'second words' "$work"/memos/.orbeta-history/"$(basename "$file")"/*.rtf ||
    fail "the replaced text is not among the versions"

note "SIGTERM with unsaved text: kept beside the memo, which stays as it was"
before=$(md5sum <"$file")
open_today
xdotool type --delay 20 "unsaved words"
kill -TERM "$orbeta_pid"
ends "$orbeta_pid"
recovered=$(ls "$work"/memos/*.recovered-*.rtf 2>/dev/null | head -n 1 || true)
[ -n "$recovered" ] || fail "no recovery file: $(ls "$work/memos")"
grep -q 'unsaved words' "$recovered" || fail "the recovery file lacks the text"
[ "$(md5sum <"$file")" = "$before" ] || fail "the memo was changed"
rm "$recovered"

note "killed outright with unsaved text: the journal keeps it, and 以前の版 gives it back"
start
open_today
xdotool type --delay 20 "journaled words"
# The journal itself, not a new one still being written beside it (NAME.rtf.new-...).
journal_has() { grep -rqs --include='*.rtf' "$1" "$XDG_STATE_HOME/orbeta/unsaved/"; }
wait_for "the journal did not take the typing" journal_has 'journaled words'
kill -KILL "$orbeta_pid"
ends "$orbeta_pid"
wait "$orbeta_pid" 2>/dev/null || true
start
open_today
memo_menu 3
versions=$(wait_window "以前の版 $today")
wait_active "$versions"
xdotool key Return # the first entry: the text kept in the journal
wait_gone "$versions"
memo_menu 1
wait_gone "$memo"
grep -q 'journaled words' "$file" || fail "the journal's text did not reach the memo"
journal_has 'journaled words' && fail "the journal outlived the save"

note "終了 after typing: the text is the newest of the memo's versions"
open_today
xdotool type --delay 20 "closed unsaved"
memo_menu 2
wait_gone "$memo"
unsaved=$(ls -t "$work"/memos/.orbeta-history/"$(basename "$file")"/*.unsaved.rtf | head -n 1)
grep -q 'closed unsaved' "$unsaved" || fail "the text closed without saving was not kept"
wmctrl -i -c "$calendar"
ends "$orbeta_pid"

note "a pipe named like a memo, large memos being read: the memo window opens, and the program ends at once"
mv "$file" "$file.kept"
mkfifo "$file"
for day in $(seq 10 25); do
    { printf '{\\rtf1 '; head -c 8000000 < <(yes 'memo words, read for searching\par'); printf '}'; } \
        >"$work/memos/20251$day.rtf"
done
start
open_today
memo_menu 2
wait_gone "$memo"
xdotool key ctrl+f
wait_window "メモを検索" >/dev/null
wmctrl -i -c "$calendar"
ends "$orbeta_pid"
rm "$file" "$work"/memos/20251??.rtf
mv "$file.kept" "$file"

note "the window system goes away with unsaved text while the search reads large memos"
# Qt ends the program with exit(): the text is kept first, and nothing is used after it is gone.
for day in $(seq 10 25); do
    { printf '{\\rtf1 '; head -c 4000000 < <(yes 'memo words, read for searching\par'); printf '}'; } \
        >"$work/memos/20251$day.rtf"
done
start
xdotool key ctrl+f
search=$(wait_window "メモを検索")
open_today
xdotool type --delay 20 "words at the end"
log_lines=$(wc -l <"$work/orbeta.log")
kill "${pids[0]}" # the X server
ends "$orbeta_pid"
recovered=$(ls "$work"/memos/*.recovered-*.rtf 2>/dev/null | head -n 1 || true)
[ -n "$recovered" ] || fail "no recovery file after the X server went away"
grep -q 'words at the end' "$recovered" || fail "the recovery file lacks the text"
tail -n +$((log_lines + 1)) "$work/orbeta.log" >"$work/end.log"
if grep -v 'connection broke\|could not connect to display\|^Orbeta: unsaved text of\|^$' "$work/end.log" | grep -q .; then
    cat "$work/end.log" >&2
    fail "the program said more than that the connection broke"
fi
unset DISPLAY # nothing to take a picture of
note "passed"
