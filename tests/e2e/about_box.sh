#!/usr/bin/env bash
# The About box through the real program: opened from the calendar's menu, centred; its system
# information button starts the program found on PATH, or says it is unavailable; Escape closes.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"

mkdir -p "$work/bin" "$work/empty"
cat >"$work/bin/hardinfo2" <<SCRIPT
#!/bin/sh
echo started >"$work/sysinfo-started"
SCRIPT
chmod +x "$work/bin/hardinfo2"

open_about() {
    local x y
    read -r x y < <(client_position "$calendar")
    click_at $((x + 80)) $((y + 90)) 3
    wait_popup
    xdotool key --delay 80 Up Return # the last item
    about=$(wait_window "Orbeta Information")
    wait_active "$about"
}

# visible_windows NAME: how many mapped windows have that name.
visible_windows() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
windows_named() { [ "$(visible_windows "$1")" "$2" "$3" ]; } # windows_named NAME -eq N

note "with a system information program on PATH"
orbeta_env=(PATH="$work/bin")
start_orbeta
calendar=$(wait_window Orbeta)
open_about
read -r ax ay < <(client_position "$about")
aw=$(xwininfo -id "$about" | awk '/Width:/ {print $NF}')
ah=$(xwininfo -id "$about" | awk '/Height:/ {print $NF}')
dx=$((ax + aw / 2 - 512)) dy=$((ay + ah / 2 - 384))
[ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ] || fail "About box not centred: off by $dx,$dy"
[ "$aw $ah" = "325 153" ] || fail "About box is ${aw}x$ah"
xdotool key alt+s
wait_for "the system information program was not started" test -e "$work/sysinfo-started"
[ "$(visible_windows 'Orbeta Information')" -eq 1 ] || fail "the About box closed"
xdotool key Escape
wait_gone "$about"
wmctrl -i -c "$calendar"
wait_exit "$orbeta_pid"

note "without one"
orbeta_env=(PATH="$work/empty")
start_orbeta
calendar=$(wait_window Orbeta)
open_about
xdotool key alt+s
wait_for "no message box" windows_named Orbeta -ge 2
xdotool key Return
wait_for "message box did not close" windows_named Orbeta -eq 1
[ "$(visible_windows 'Orbeta Information')" -eq 1 ] || fail "the About box closed with the message"
xdotool key Escape
wait_gone "$about"
wmctrl -i -c "$calendar"
wait_exit "$orbeta_pid"
note "passed"
