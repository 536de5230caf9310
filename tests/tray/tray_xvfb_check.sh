#!/bin/sh
# Minimises a window that has the tray icon on a virtual X server with a window manager
# (openbox) and a notification area (trayer), then double-clicks the icon and checks that
# the window comes back. Exits 77 (skipped) when the X tools are missing or no X server
# can be started.
# Usage: tray_xvfb_check.sh PROGRAM [TITLE [SCREENSHOT.png]]
#   PROGRAM opens one window titled TITLE (default "Pellmark tray demo") that carries a
#   TTrayIcon; SCREENSHOT, when given, receives the notification area while the icon is shown.
set -u
program=$1
title=${2:-Pellmark tray demo}
screenshot=${3:-}

. "$(dirname "$0")/../support/xdesktop.sh"
# import (ImageMagick) takes the pictures.
require_x_tools ${screenshot:+import}

x_scratch

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

start_x_desktop 800x600

window_up() { xdotool search --onlyvisible --name "^$title\$"; }
QT_QPA_PLATFORM=xcb "$program" >"$work/program.log" 2>&1 &
pids="$! $pids"
x_wait "the window" window_up
window=$(window_up | head -n 1)
hex=$(printf '0x%x' "$window")
name=$(basename "$program")

map_state() { xwininfo -id "$window" | sed -n 's/.*Map State: //p'; }
is_viewable() { [ "$(map_state)" = "IsViewable" ]; }
on_task_bar() { xprop -root _NET_CLIENT_LIST | grep -qi "$hex"; }
off_task_bar() { ! on_task_bar; }

on_task_bar || fail "the window is not on the task bar at start"
icon_shown && fail "an icon is shown before the first minimise"

xdotool windowminimize "$window"
x_wait "the icon" icon_shown
icon=$(icon_window)
icon_gone() { ! xwininfo -id "$icon"; }
x_wait "the task-bar entry to go" off_task_bar
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

x_wait "the window to come back" is_viewable
x_wait "the task-bar entry" on_task_bar
x_wait "the icon to go" icon_gone
echo "restored: window $hex viewable and on the task bar, icon removed"
