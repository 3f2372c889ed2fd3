#!/bin/sh
# Runs a command inside a desktop session of its own: a virtual X server
# (Xvfb), an EWMH window manager (openbox) and a D-Bus session bus. Everything
# started here is stopped when the command ends. The command's exit status is
# this script's. Several sessions may run at once: Xvfb picks a free display
# number itself.
set -eu

fifo_dir=$(mktemp -d)
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo_dir/display" >/dev/null 2>&1 &
xvfb_pid=$!
wm_pid=""
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$fifo_dir"
}
trap cleanup EXIT INT TERM

# Xvfb writes the display number it chose once it accepts connections.
number=$(timeout 10 head -n 1 "$fifo_dir/display" || true)
[ -n "$number" ] || { echo "with-session: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$number"

openbox --sm-disable >"$fifo_dir/openbox.log" 2>&1 &
wm_pid=$!
i=0
until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    i=$((i + 1))
    [ $i -le 200 ] || { echo "with-session: openbox did not start" >&2; cat "$fifo_dir/openbox.log" >&2; exit 1; }
    sleep 0.05
done

status=0
dbus-run-session -- "$@" || status=$?
exit $status
