#!/usr/bin/env bash
# Installs into a temporary prefix, checks the desktop entry and the AppStream metadata with their
# validators, and starts the installed program the way a desktop menu does: by the entry's Exec
# line, in the home folder.
BUILD=$(realpath "$1")
ORBETA=unused
source "$(dirname "$0")/x11_session.sh"
for tool in desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null || fail "missing $tool (run scripts/setup-debian.sh test)"
done

prefix="$work/prefix"
cmake --install "$BUILD" --prefix "$prefix" >"$work/install.log" || fail "install failed"
entry="$prefix/share/applications/org.example.orbeta.desktop"
metainfo="$prefix/share/metainfo/org.example.orbeta.metainfo.xml"
for file in "$prefix/bin/orbeta" "$entry" "$metainfo" "$prefix/share/icons/hicolor/scalable/apps/orbeta.svg"; do
    [ -e "$file" ] || fail "not installed: ${file#$prefix/}"
done
for size in 16 22 24 32 48 64 128 256; do
    [ -e "$prefix/share/icons/hicolor/${size}x${size}/apps/orbeta.png" ] || fail "no ${size}px icon"
done
desktop-file-validate "$entry" || fail "desktop entry does not validate"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || { cat "$work/appstream.log"; fail "metainfo does not validate"; }

note "start the installed program from the entry's Exec line"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -n "$exec_line" ] || fail "no Exec line"
grep -q '^Path=' "$entry" && fail "the entry sets a working folder; memos belong in the home folder"
export HOME="$work/home" PATH="$prefix/bin:$PATH"
mkdir -p "$HOME"
(cd "$HOME" && exec $exec_line >>"$work/orbeta.log" 2>&1) &
orbeta_pid=$!
pids+=("$orbeta_pid")
wid=$(wait_window Orbeta)
[ "$(xwininfo -id "$wid" | awk '/Width:/ {print $NF}')" = 166 ] || fail "the calendar window is not 166 pixels wide"
[ "$(readlink "/proc/$orbeta_pid/cwd")" = "$HOME" ] || fail "not started in the home folder"
wmctrl -i -c "$wid"
wait_exit "$orbeta_pid"
[ -f "$settings" ] || fail "closing the window stored no position"
note "passed"
