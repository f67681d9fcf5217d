#!/usr/bin/env bash
# Installs what building, running or testing Orbeta needs on Debian 12, and nothing that is
# already there. Usage: scripts/setup-debian.sh run|test
set -euo pipefail

run_packages=(
    g++ cmake make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-qpa-plugins libicu-dev
    fonts-ipafont-gothic
)
test_packages=(
    ninja-build lld xvfb xauth openbox xdotool x11-utils wmctrl imagemagick xclip
    locales clang libclang-rt-14-dev dpkg-dev desktop-file-utils appstream poppler-utils dbus-daemon
    libreoffice-writer-nogui
    wine wine64 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64
)

case "${1:-}" in
    run) wanted=("${run_packages[@]}") ;;
    test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ ${#as_root[@]} -gt 0 ] && ! command -v sudo >/dev/null; then
        echo "need root (or sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
    echo "installing: ${missing[*]}"
    "${as_root[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The Windows tests run under a Japanese locale, which Wine takes from the C library.
if [ "$1" = test ] && ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    echo "generating the ja_JP.UTF-8 locale"
    "${as_root[@]}" sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen ||
        echo 'ja_JP.UTF-8 UTF-8' | "${as_root[@]}" tee -a /etc/locale.gen >/dev/null
    "${as_root[@]}" locale-gen >/dev/null
fi
