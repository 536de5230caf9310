#!/bin/sh
# Minimises a window that has the tray icon on a virtual X server with a window manager
# (openbox) and a notification area (trayer), then double-clicks the icon and checks that
# the window comes back. Exits 77 (skipped) when the X tools are missing.
# Usage: tray_xvfb_check.sh PROGRAM [TITLE [SCREENSHOT.png]]
#   PROGRAM opens one window titled TITLE (default "Pellmark tray demo") that carries a
#   TTrayIcon; SCREENSHOT, when given, receives the notification area while the icon is shown.
set -u
program=$1
title=${2:-Pellmark tray demo}
screenshot=${3:-}

for tool in Xvfb openbox trayer xdotool xwininfo xprop; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "SKIP: $tool is not installed (see scripts/install-deps.sh)"
        exit 77
    fi
done
if [ -n "$screenshot" ] && ! command -v import >/dev/null 2>&1; then
    echo "SKIP: import (ImageMagick) is not installed"
    exit 77
fi

work=$(mktemp -d)
pids=""
cleanup() {
    for pid in $pids; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
# Make a signal run the cleanup too: leave no X server behind.
trap 'exit 1' HUP INT PIPE TERM

fail() {
    echo "FAIL: $*"
    echo "--- X windows:"
    xwininfo -root -tree 2>&1 | grep -v 'has no name'
    for log in "$work"/*.log; do
        echo "--- $log:"
        cat "$log"
    done
    exit 1
}

# wait_for DESCRIPTION COMMAND...: retries COMMAND for up to ten seconds.
wait_for() {
    what=$1
    shift
    tries=0
    until "$@" >/dev/null 2>&1; do
        tries=$((tries + 1))
        [ "$tries" -ge 100 ] && fail "timed out waiting for $what"
        sleep 0.1
    done
}

Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids="$!"
wait_for "the X server" test -s "$work/display"
DISPLAY=:$(cat "$work/display")
export DISPLAY
# Without a session bus Qt talks to the notification area through XEmbed, as trayer expects.
unset DBUS_SESSION_BUS_ADDRESS

wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
openbox >"$work/openbox.log" 2>&1 &
pids="$! $pids"
wait_for "the window manager" wm_running

tray_running() { xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")'; }
trayer --edge bottom --align right --widthtype request --height 28 --SetDockType true \
    --transparent false --tint 0xd4d0c8 >"$work/trayer.log" 2>&1 &
pids="$! $pids"
wait_for "the notification area" tray_running

window_up() { xdotool search --onlyvisible --name "^$title\$"; }
QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
pids="$! $pids"
wait_for "the window" window_up
window=$(window_up | head -n 1)
hex=$(printf '0x%x' "$window")
name=$(basename "$program")

map_state() { xwininfo -id "$window" | sed -n 's/.*Map State: //p'; }
is_viewable() { [ "$(map_state)" = "IsViewable" ]; }
on_task_bar() { xprop -root _NET_CLIENT_LIST | grep -qi "$hex"; }
off_task_bar() { ! on_task_bar; }
# The icon is a window of the program embedded in trayer's panel.
icon_window() {
    xwininfo -root -tree | awk -v name="\"$name\"" '
        function indent(line) { match(line, /^ */); return RLENGTH }
        /"panel": \("panel" "trayer"\)/ { panel = indent($0); next }
        panel && indent($0) <= panel { panel = 0 }
        panel && index($0, "(" name) { print $1; exit }'
}
icon_shown() { [ -n "$(icon_window)" ]; }

on_task_bar || fail "the window is not on the task bar at start"
icon_shown && fail "an icon is shown before the first minimise"

xdotool windowminimize "$window"
wait_for "the icon" icon_shown
icon=$(icon_window)
icon_gone() { ! xwininfo -id "$icon"; }
wait_for "the task-bar entry to go" off_task_bar
[ "$(map_state)" = "IsUnMapped" ] || fail "the window is still mapped: $(map_state)"
echo "minimised: window $hex unmapped and off the task bar, icon $icon in the notification area"

if [ -n "$screenshot" ]; then
    sleep 0.5
    import -window root -crop 240x60+560+540 +repage "$screenshot" || fail "no screenshot"
fi

geometry=$(xwininfo -id "$icon")
x=$(echo "$geometry" | sed -n 's/.*Absolute upper-left X: *//p')
y=$(echo "$geometry" | sed -n 's/.*Absolute upper-left Y: *//p')
w=$(echo "$geometry" | sed -n 's/.*Width: *//p')
h=$(echo "$geometry" | sed -n 's/.*Height: *//p')
xdotool mousemove $((x + w / 2)) $((y + h / 2))
# A single click must leave everything as it is.
xdotool click 1
sleep 0.5
[ "$(map_state)" = "IsUnMapped" ] || fail "a single click brought the window back"
icon_shown || fail "a single click removed the icon"
xdotool click --repeat 2 --delay 80 1

wait_for "the window to come back" is_viewable
wait_for "the task-bar entry" on_task_bar
wait_for "the icon to go" icon_gone
echo "restored: window $hex viewable and on the task bar, icon removed"
