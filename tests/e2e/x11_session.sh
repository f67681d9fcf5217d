# Sourced by the end-to-end tests: a private X server with a window manager, helpers to find and
# drive the program's windows, and clean-up on exit.
set -euo pipefail

for tool in Xvfb openbox xdotool xwininfo wmctrl; do
    command -v "$tool" >/dev/null || { echo "missing $tool (run scripts/setup-debian.sh)"; exit 1; }
done

work=$(mktemp -d)
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" XDG_STATE_HOME="$work/state"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$work/memos"
chmod 700 "$XDG_RUNTIME_DIR"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
settings="$XDG_CONFIG_HOME/Orbeta/Orbeta.ini"
pids=()

# runs_here PID: whether PID is still a process this script started. A process that ended gives
# its number back, and with many tests starting programs beside each other the number soon
# belongs to another's X server or program, which must be neither killed nor waited for.
runs_here() {
    local ppid stat
    read -r ppid stat < <(ps -o ppid=,stat= -p "$1" 2>/dev/null) || return 1
    [ "$ppid" = "$$" ] && [ "${stat:0:1}" != Z ]
}

cleanup() {
    local status=$?
    # The screen as it was, taken while the X server still runs.
    if [ $status -ne 0 ] && [ -n "${DISPLAY:-}" ] && command -v import >/dev/null; then
        import -window root "$work/failure.png" 2>/dev/null && echo "screen at failure: $work/failure.png"
    fi
    for pid in "${pids[@]}"; do
        if runs_here "$pid"; then kill "$pid" 2>/dev/null || true; fi
    done
    wait 2>/dev/null || true
    [ $status -ne 0 ] || rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; echo "logs in $work" >&2; exit 1; }
note() { echo "-- $*"; }

exec {displayfd}<> <(:)
Xvfb -displayfd "$displayfd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
read -r -t 60 display <&"$displayfd" || fail "Xvfb did not start"
export DISPLAY=":$display"
echo "display $DISPLAY" >>"$work/openbox.log"
# The window manager now and then fails to open a display that has just come up while other
# servers start beside it; it is started again then.
wm_ready=""
for _ in 1 2 3; do
    openbox --sm-disable >>"$work/openbox.log" 2>&1 &
    wm_pid=$!
    pids+=("$wm_pid")
    wm_end=$((SECONDS + ${ORBETA_E2E_PATIENCE:-60}))
    while [ "$SECONDS" -lt "$wm_end" ]; do
        if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; then
            wm_ready=yes
            break
        fi
        runs_here "$wm_pid" || break
        sleep 0.05
    done
    [ -n "$wm_ready" ] && break
done
[ -n "$wm_ready" ] || fail "the window manager did not start"

# start_orbeta: runs the program in the memo folder, with the variables in orbeta_env; sets
# orbeta_pid.
orbeta_env=()
start_orbeta() {
    (cd "$work/memos" && exec env "${orbeta_env[@]}" "$ORBETA" >>"$work/orbeta.log" 2>&1) &
    orbeta_pid=$!
    pids+=("$orbeta_pid")
}

# Every wait is for a state of the program or the X server, never for time to pass; the limit
# only ends a test that has failed, so it is generous (a machine under load is slow).
patience=${ORBETA_E2E_PATIENCE:-60}

# wait_for DESCRIPTION COMMAND...: waits until COMMAND succeeds; fails with DESCRIPTION when it
# has not within the limit, and with what COMMAND last left in `reason`.
wait_for() {
    local what=$1
    shift
    local end=$((SECONDS + patience))
    reason=""
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || fail "$what${reason:+: $reason}"
        sleep 0.05
    done
}

# visible_window NAME [EXCEPT]: prints the id of a mapped window so named, other than EXCEPT.
# A window that goes away while xdotool looks at it ends xdotool with an X error: then there is
# no answer this time, and the caller asks again.
visible_window() {
    local id
    id=$({ xdotool search --onlyvisible --name "^$1\$" 2>/dev/null || true; } |
        grep -vx "${2:-none}" | head -n 1) || true
    [ -n "$id" ] && echo "$id"
}

# wait_window NAME [EXCEPT]: prints the id of the visible window so named (other than EXCEPT),
# once mapped.
found_window() { found=$(visible_window "$@"); }
wait_window() {
    wait_for "no window named '$1'" found_window "$@"
    echo "$found"
}

# wait_settled ID: waits until the window manager has framed the window and it has stopped
# moving.
settled() {
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' || return 1
    local now
    now=$(client_position "$1")
    [ "$now" = "${last_position:-}" ] && return 0
    last_position=$now
    return 1
}
wait_settled() {
    last_position=""
    wait_for "window $1 did not settle" settled "$1"
}

# wait_active ID: waits until the window has the keyboard focus.
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
wait_active() {
    wait_for "window $1 did not get the focus" is_active "$1"
}

# wait_gone ID: waits until the window is no longer mapped.
is_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }
wait_gone() {
    wait_for "window $1 still shown" is_gone "$1"
}

# client_position ID: "x y" of the window's client area on the screen.
client_position() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}

# frame_position ID: "x y" of the outer window (with the window manager's frame).
frame_position() {
    local info
    info=$(xwininfo -id "$1")
    awk '/Absolute upper-left X/ {ax=$NF} /Absolute upper-left Y/ {ay=$NF}
         /Relative upper-left X/ {rx=$NF} /Relative upper-left Y/ {ry=$NF}
         END {print ax-rx, ay-ry}' <<<"$info"
}

# wait_exit PID: waits for the program to end, and fails unless it ended well (a sanitizer's
# finding at exit, a leak say, makes the exit status non-zero).
is_ended() { ! runs_here "$1"; }
wait_exit() {
    local status=0
    wait_for "process $1 did not end" is_ended "$1"
    wait "$1" || status=$?
    [ "$status" -eq 0 ] || { cat "$work/orbeta.log" >&2; fail "the program ended with status $status"; }
}

# click_at X Y BUTTON: moves the pointer there and clicks. (mousemove --sync would wait for a
# motion that never comes when the pointer is already there.)
click_at() {
    xdotool mousemove "$1" "$2" click "$3"
}

# drag_window ID DX DY: drags the window by its title bar, through two motions, each one seen by
# the X server before the next.
drag_window() {
    local x y
    read -r x y < <(client_position "$1")
    xdotool mousemove --sync $((x + 60)) $((y - 8))
    xdotool mousemove --sync $((x + 40)) $((y - 8)) mousedown 1
    xdotool mousemove --sync $((x + 40 + $2 / 2)) $((y - 8 + $3 / 2))
    xdotool mousemove --sync $((x + 40 + $2)) $((y - 8 + $3))
    xdotool mouseup 1
    moved_from() { [ "$(client_position "$1")" != "$2 $3" ]; }
    wait_for "window $1 was not moved" moved_from "$1" "$x" "$y"
    wait_settled "$1"
}

# wait_popup: waits until one of the program's popup menus is on the screen.
popup_shown() {
    local id
    for id in $(xdotool search --onlyvisible --class orbeta 2>/dev/null); do
        xwininfo -id "$id" | grep -q 'Override Redirect State: yes' && return 0
    done
    return 1
}
wait_popup() {
    wait_for "no menu appeared" popup_shown
}

# memo_menu N: right-clicks in the memo window (client area at mx my) and chooses the N-th item
# of its menu (1 保存終了, 2 終了, 3 以前の版).
memo_menu() {
    click_at $((mx + 110)) $((my + 70)) 3
    wait_popup
    xdotool key --delay 40 $(for _ in $(seq "$1"); do printf 'Down '; done) Return
}

stored() { # stored SECTION KEY
    awk -v s="[$1]" -v k="$2" '$0==s {in_s=1; next} /^\[/ {in_s=0} in_s && index($0, k"=")==1 {print substr($0, length(k)+2)}' "$settings" 2>/dev/null
}
