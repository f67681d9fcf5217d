#!/usr/bin/env bash
# Writes the test values into Wine's registry, then runs the registry test program under a
# Japanese locale. Usage: wine_registry.sh registry_test.exe wine-prefix
set -euo pipefail
program=$1
export WINEPREFIX=$2 WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
unset DISPLAY WAYLAND_DISPLAY
reg() { wine reg "$@" >/dev/null 2>&1; }

key='HKLM\Software\OrbetaTest'
reg delete "$key" /f || true
reg add "$key" /v Japanese /t REG_SZ /d '日本語テキスト ｶﾀｶﾅ ～①' /f
reg add "$key" /v Dword /t REG_DWORD /d 4096 /f
reg add "$key" /v Fits /t REG_SZ /d "$(printf 'y%.0s' $(seq 1023))" /f
reg add "$key" /v Long /t REG_SZ /d "$(printf 'z%.0s' $(seq 1024))" /f
reg add "$key" /v Binary /t REG_BINARY /d 0102 /f
reg delete 'HKLM\Software\OrbetaMissing' /f || true
reg delete 'HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO' /f || true
reg add 'HKLM\SOFTWARE\Microsoft\Shared Tools Location' /v MSINFO /t REG_SZ /d 'C:\orbeta-sysinfo' /f

wine "$program"
