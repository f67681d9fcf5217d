#!/usr/bin/env bash
# The calendar as a Japanese user reads it, on May 2026: holidays red, Saturday blue, weekdays
# black, a holiday's name on hovering its day, and today framed. The screen is kept as
# calendar-2026-05.png (in ORBETA_SCREENSHOTS when set) to be looked at.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"

# The cell of column COLUMN (Sunday 0) and week ROW (1 the first) of the calendar's page, as
# "x y w h" on the screen, from the client area's corner at CX CY.
cell() {
    local column=$1 row=$2
    echo $((cx + 2 + column * 166 / 7)) $((cy + 40 + (row - 1) * 18)) 19 14
}

# pixels_of X Y W H COLOUR: how many pixels of the screen's area come near the colour.
pixels_of() {
    convert "$shot" -crop "$3x$4+$1+$2" +repage -fuzz 18% -fill '#ff00ff' -opaque "$5" \
        -fill white +opaque '#ff00ff' -channel G -separate -format '%[fx:round((1-mean)*w*h)]' info:
}

tooltip_shown() {
    xdotool search --onlyvisible --class orbeta 2>/dev/null | while read -r id; do
        xprop -id "$id" _NET_WM_WINDOW_TYPE | grep -q TOOLTIP && echo "$id"
    done | head -n 1
}

hover() { # hover X Y W H: the pointer comes to rest in the middle of the area
    xdotool mousemove --sync $(($1 + $3 / 2 - 1)) $(($2 + $4 / 2 - 1))
    xdotool mousemove --sync $(($1 + $3 / 2)) $(($2 + $4 / 2))
}

red='rgb(214,0,0)' blue='rgb(0,64,214)' black='rgb(0,0,0)' frame='rgb(240,140,0)'
printf '{\\rtf1 trip\\par}' >"$work/memos/202653.rtf"

start_orbeta
wid=$(wait_window Orbeta)
wait_settled "$wid"
read -r cx cy < <(client_position "$wid")
xdotool windowactivate --sync "$wid"
wait_active "$wid"

shot="$work/screen.png"
# shows X Y W H COLOUR COMPARISON COUNT: takes a picture of the screen and compares how many
# pixels of the area come near the colour.
shows() {
    import -window root "$shot"
    [ "$(pixels_of "$1" "$2" "$3" "$4" "$5")" "$6" "$7" ]
}

note "to May 2026 a page at a time"
months=$(( ($(date +%Y) - 2026) * 12 + 10#$(date +%m) - 5 ))
key=Prior
if [ "$months" -lt 0 ]; then key=Next; months=$((-months)); fi
for _ in $(seq "$months"); do xdotool key --window "$wid" "$key"; done
xdotool key --window "$wid" End # the 31st: no holiday, selected out of the way

note "colours of the days"
# 4 May (みどりの日) is a Monday: column 1 of the second week; 2 May a Saturday; 8 May a Friday.
# The keys may still be on their way: the page is looked at until it is May's or time is up.
may_colours() {
    import -window root "$shot"
    checks=()
    (( $(pixels_of $(cell 1 2) "$red") > 3 )) || checks+=("4 May is not red")
    (( $(pixels_of $(cell 6 1) "$blue") > 3 )) || checks+=("2 May is not blue")
    (( $(pixels_of $(cell 5 2) "$black") > 3 )) || checks+=("8 May is not black")
    (( $(pixels_of $(cell 5 2) "$red") == 0 )) || checks+=("8 May is red")
    reason=${checks[*]:-}
    [ ${#checks[@]} -eq 0 ]
}
wait_for "the page of May 2026" may_colours
import -window root -crop 200x230+$((cx - 10))+$((cy - 30)) +repage "$work/page.png"
mkdir -p "${ORBETA_SCREENSHOTS:-$work}"
cp "$work/page.png" "${ORBETA_SCREENSHOTS:-$work}/calendar-2026-05.png"
if [ "$(date +%Y%m)" != 202605 ]; then
    (( $(pixels_of "$cx" "$cy" 166 148 "$frame") == 0 )) || fail "today framed on another month"
fi

note "a holiday's name on hovering its day; it goes on leaving the day"
# Which days have tooltips, and what they say, is the calendar's GUI test; here the real
# tooltip window comes and goes.
tooltip_up() { [ -n "$(tooltip_shown)" ]; }
hover $(cell 1 2)
wait_for "no tooltip over 4 May" tooltip_up
hover $(cell 5 2)
wait_for "the tooltip stayed over 8 May" eval '! tooltip_up'

note "Home: today, framed"
xdotool mousemove $((cx + 300)) $((cy + 300))
xdotool key --window "$wid" Home
wait_for "today is not framed" shows "$cx" "$cy" 166 148 "$frame" -gt 20
note "passed"
