#!/usr/bin/env bash
# PDF に保存 through the real program: the month on view and a span of memos written where the
# path is typed, nothing written when cancelled, and a message, nothing written, where the
# folder cannot take the file.
ORBETA=$(realpath "$1")
source "$(dirname "$0")/x11_session.sh"
command -v pdftotext >/dev/null || fail "missing pdftotext (run scripts/setup-debian.sh test)"
orbeta_env=(LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)

year=$(date +%Y) month=$((10#$(date +%m)))
# The 20th: a day whose plain name no other day shares, whatever the month.
printf '{\\rtf1 printed words\\par}' >"$work/memos/${year}${month}20.rtf"
mkdir -p "$work/out"

start_orbeta
calendar=$(wait_window Orbeta)
wait_settled "$calendar"
read -r cx cy < <(client_position "$calendar")

# save_pdf [span] PATH|cancel: PDF に保存 from the calendar's menu, the month or a span, and
# the path typed into the file dialog, or the file dialog cancelled.
save_pdf() {
    local span=$1 path=$2
    xdotool windowactivate --sync "$calendar" 2>/dev/null || true
    wait_active "$calendar"
    click_at $((cx + 80)) $((cy + 90)) 3
    wait_popup
    xdotool key d # PDF に保存(&D)...
    what=$(wait_window "PDF に保存")
    wait_active "$what"
    [ "$span" = span ] && xdotool key alt+r
    xdotool key Return
    wait_gone "$what"
    files=$(wait_window "PDF に保存")
    wait_active "$files"
    if [ "$path" = cancel ]; then
        xdotool key Escape
    else
        xdotool key ctrl+a
        xdotool type --delay 10 "$path"
        xdotool key Return
    fi
    wait_gone "$files"
}
pdf_says() { [ -s "$1" ] && pdftotext -raw "$1" - 2>/dev/null | grep -q "$2"; }

note "the month on view, written where its path is typed"
save_pdf month "$work/out/month.pdf"
wait_for "no month page in $work/out/month.pdf" pdf_says "$work/out/month.pdf" "${year}年${month}月"
pdf_says "$work/out/month.pdf" 'printed words' || fail "the month page lacks the memo"

note "the memos of the month on view as a span"
save_pdf span "$work/out/span.pdf"
wait_for "no span in $work/out/span.pdf" pdf_says "$work/out/span.pdf" 'printed words'

note "cancelled: nothing written"
save_pdf month cancel
[ "$(ls "$work/out")" = "$(printf 'month.pdf\nspan.pdf')" ] || fail "written: $(ls "$work/out")"

note "a folder that cannot take the file: the message, nothing written"
printf 'not a folder' >"$work/out/blocked"
save_pdf month "$work/out/blocked/month.pdf"
message=$(wait_window Orbeta "$calendar") # the message box over the calendar
wait_active "$message"
xdotool key Return
wait_gone "$message"
[ "$(cat "$work/out/blocked")" = "not a folder" ] || fail "the file in the way was changed"
wmctrl -i -c "$calendar"
wait_exit "$orbeta_pid"
note "passed"
