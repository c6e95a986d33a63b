#!/usr/bin/env bash
# "Verwechslungen" and "Lernkurve" on a laptop's 1280x800 screen under a
# window manager (openbox), read through AT-SPI and the X screen.
# Usage: screen-fit.sh <path of heulmeister> <folder holding the manual>
set -euo pipefail

program=$1
manual_dir=$2
screenshot=/tmp/heulmeister-e2e-screen-fit.png
# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
start_display 1280x800
openbox --sm-disable >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_for 20 xprop -root _NET_SUPPORTING_WM_CHECK || fail "openbox did not start"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANG=de_DE.UTF-8
stage_program
printf '[Spiel]\nSoundStop=0\n' >"$settings"
dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/screen_fit.py" \
    "$work/program/heulmeister" "$work/program" ||
    fail "the journal's windows do not fit the screen"
