#!/bin/sh
# Runs a command inside a desktop session of its own: a virtual X server
# (Xvfb), an EWMH window manager (openbox) and a D-Bus session bus. Everything
# started here is stopped when the command ends. The command's exit status is
# this script's.
set -eu

display=""
for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
        display=":$n"
        break
    fi
done
[ -n "$display" ] || { echo "with-session: no free display number" >&2; exit 1; }

Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
}
trap cleanup EXIT INT TERM

export DISPLAY="$display"
i=0
until xprop -root >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -le 100 ] || { echo "with-session: Xvfb did not start" >&2; exit 1; }
    sleep 0.05
done

openbox --sm-disable >/dev/null 2>&1 &
wm_pid=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    i=$((i + 1))
    [ $i -le 100 ] || { echo "with-session: openbox did not start" >&2; exit 1; }
    sleep 0.05
done

status=0
dbus-run-session -- "$@" || status=$?
exit $status
