#!/usr/bin/env bash
# Installs what building, running or testing Orbeta needs on Debian 12, and nothing that is
# already there. Usage: scripts/setup-debian.sh run|test
set -euo pipefail

run_packages=(
    g++ cmake make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-qpa-plugins
    fonts-ipafont-gothic
)
test_packages=(
    xvfb xauth openbox xdotool x11-utils wmctrl imagemagick
    clang libclang-rt-14-dev
    libreoffice-writer-nogui
    wine wine64 gcc-mingw-w64-x86-64 g++-mingw-w64-x86-64
)

case "${1:-}" in
    run) wanted=("${run_packages[@]}") ;;
    test) wanted=("${run_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    as_root=(sudo)
fi
echo "installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
