#!/usr/bin/env bash
# One program per memo folder: a second start in the same folder brings the first one forward
# and ends; a start in another folder runs beside it; after the first is killed, a new start in
# its folder runs.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"

count_calendars() { xdotool search --onlyvisible --name '^Orbeta$' 2>/dev/null | wc -l; }
calendars() { [ "$(count_calendars)" -eq "$1" ]; }

# start_in FOLDER: runs the program there; sets started_pid.
start_in() {
    mkdir -p "$1"
    (cd "$1" && exec "$ORBETA" >>"$work/orbeta.log" 2>&1) &
    started_pid=$!
    pids+=("$started_pid")
}

note "first start"
start_in "$work/memos"
first_pid=$started_pid
first=$(wait_window Orbeta)
wait_settled "$first"

note "its lock and socket are in a folder of the user's own, named after the memo folder itself"
socket="$XDG_RUNTIME_DIR/orbeta/folder-$(stat -c %D "$work/memos")-$(printf %x "$(stat -c %i "$work/memos")").socket"
[ -S "$socket" ] || fail "no socket $socket"
(( (8#$(stat -c %a "$socket") & 8#077) == 0 )) || fail "socket mode $(stat -c %a "$socket")"
(( (8#$(stat -c %a "$XDG_RUNTIME_DIR/orbeta") & 8#077) == 0 )) || fail "the folder is open to others"
[ "$(stat -c %u "$socket")" = "$(id -u)" ] || fail "the socket is not the user's"

note "second start in the same folder, by another path, ends and brings the first forward"
ln -s "$work/memos" "$work/link-to-memos"
xdotool windowminimize --sync "$first"
start_in "$work/link-to-memos"
wait_for "the second start is still running" is_ended "$started_pid"
wait "$started_pid" || fail "the second start ended with status $?"
wait_for "$(count_calendars) calendars shown, expected the first one, forward" calendars 1
runs_here "$first_pid" || fail "the first program ended"

note "a start without the runtime folder in its environment (su -, cron) still finds the first"
(cd "$work/memos" && exec env -u XDG_RUNTIME_DIR "$ORBETA" >>"$work/orbeta.log" 2>&1) &
started_pid=$!
pids+=("$started_pid")
wait_for "the start without a runtime folder is still running" is_ended "$started_pid"
wait "$started_pid" || fail "the start without a runtime folder ended with status $?"
wait_for "$(count_calendars) calendars shown, expected one" calendars 1

note "a start in another folder runs beside it"
start_in "$work/other"
second_pid=$started_pid
wait_for "no second calendar for another folder" calendars 2

note "after the first is killed, a start in its folder runs"
kill -9 "$first_pid"
wait "$first_pid" 2>/dev/null || true
wait_for "the killed program's calendar is still shown" calendars 1
start_in "$work/memos"
third_pid=$started_pid
wait_for "no calendar after the first program was killed" calendars 2
runs_here "$third_pid" || fail "the new start ended"
for id in $(xdotool search --onlyvisible --name '^Orbeta$'); do wmctrl -i -c "$id"; done
wait_exit "$second_pid"
wait_exit "$third_pid"
note "passed"
