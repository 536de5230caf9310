#!/bin/sh
# Minimises a window that has the tray icon on a virtual X server whose notification area
# is a StatusNotifier host: xfce4-panel in the layout it is installed with (its top panel
# has the workspace switcher just left of the notification area), on a private session bus,
# with openbox managing four desktops. Clicks the icon once and checks that the window comes
# back; then double-clicks it and checks that the window comes back on the same desktop (the
# second click must not reach the switcher the icon leaves). A right click must leave the
# icon as it is. Exits 77 (skipped) when the X tools, xfce4-panel, its default layout or
# D-Bus are missing or no X server can be started.
# Qt 6.4 on Debian needs no platform theme setting for this: its generic theme draws the
# icon through the StatusNotifier host whenever org.kde.StatusNotifierWatcher is on the
# session bus as the first icon is made (QT_LOGGING_RULES=qt.qpa.tray=true says which).
# Usage: tray_sni_check.sh PROGRAM [TITLE [SCREENSHOT.png]]
#   PROGRAM opens one window titled TITLE (default "Pellmark tray demo") that carries a
#   TTrayIcon; SCREENSHOT, when given, receives the panel while the icon is shown.
set -u
program=$1
title=${2:-Pellmark tray demo}
screenshot=${3:-}

. "$(dirname "$0")/../support/xdesktop.sh"
require_x_tools xfce4-panel dbus-run-session dbus-send convert

# The panel, its settings daemon and Qt share a session bus of their own, and the panel
# keeps its settings in a scratch home, not the user's. It starts from the layout a new user
# gets when the panel asks on its first start ("Use default config").
if [ -z "${PELLMARK_PRIVATE_BUS:-}" ]; then
    layout=""
    for dir in $(echo "${XDG_CONFIG_DIRS:-/etc/xdg}" | tr ':' ' '); do
        [ -f "$dir/xfce4/panel/default.xml" ] && layout=$dir/xfce4/panel/default.xml && break
    done
    if [ -z "$layout" ] || ! grep -q '"pager"' "$layout" || ! grep -q '"systray"' "$layout"; then
        echo "SKIP: no default xfce4-panel layout with a workspace switcher and a notification area"
        exit 77
    fi
    home=$(mktemp -d)
    mkdir -p "$home/config/xfce4/xfconf/xfce-perchannel-xml"
    cp "$layout" "$home/config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"
    PELLMARK_PRIVATE_BUS=1 HOME=$home XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache \
        XDG_DATA_HOME=$home/data XDG_RUNTIME_DIR=$home NO_AT_BRIDGE=1 \
        dbus-run-session -- "$0" "$@"
    status=$?
    rm -rf "$home"
    exit $status
fi

x_scratch

fail() {
    echo "FAIL: $*"
    for log in "$work"/*.log; do
        echo "--- $log:"
        cat "$log"
    done
    exit 1
}

watcher() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher "string:$1"
}
host_up() { watcher IsStatusNotifierHostRegistered | grep -q "boolean true"; }
icon_shown() { watcher RegisteredStatusNotifierItems | grep -q StatusNotifierItem; }
icon_gone() { ! icon_shown; }

start_x_server 800x600
xfce4-panel >"$work/panel.log" 2>&1 &
pids="$! $pids"
x_wait "the StatusNotifier host" host_up
# The top panel: the one along the top edge, as wide as the screen.
top_panel() {
    for id in $(xdotool search --onlyvisible --class xfce4-panel); do
        xwininfo -id "$id" | awk -v id="$id" '/Absolute upper-left Y:/ { y = $NF }
            /Width:/ { w = $NF } END { if (y == 0 && w == 800) print id }'
    done | head -n 1 | grep .
}
x_wait "the top panel" top_panel
panel=$(top_panel)
desktops=$(xprop -root _NET_NUMBER_OF_DESKTOPS | sed 's/.* = //')
[ "$desktops" -gt 1 ] || fail "the window manager offers $desktops desktop, no switcher to hit"
desktop() { xprop -root _NET_CURRENT_DESKTOP | sed 's/.* = //'; }

window_up() { xdotool search --onlyvisible --name "^$title\$"; }
QT_QPA_PLATFORM=xcb QT_LOGGING_RULES=qt.qpa.tray=true "$program" >"$work/program.log" 2>&1 &
pids="$! $pids"
x_wait "the window" window_up
window=$(window_up | head -n 1)
hex=$(printf '0x%x' "$window")
grep -q "D-Bus tray available: true" "$work/program.log" ||
    fail "Qt does not draw the icon through the StatusNotifier host"

map_state() { xwininfo -id "$window" | sed -n 's/.*Map State: //p'; }
is_viewable() { [ "$(map_state)" = "IsViewable" ]; }
is_hidden() { [ "$(map_state)" = "IsUnMapped" ]; }
on_task_bar() { xprop -root _NET_CLIENT_LIST | grep -qi "$hex"; }

sleep 0.5
import -window "$panel" "$work/empty.png" || fail "no picture of the panel"

minimise() {
    xdotool windowminimize "$window"
    x_wait "the icon" icon_shown
    x_wait "the window to hide" is_hidden
}

minimise
echo "minimised: window $hex unmapped, icon registered with the StatusNotifier host"
# The host draws the icon inside the panel; the panel makes room for it, so the switcher
# moves too: the icon is where the picture changed into the icon's blue.
sleep 1
import -window "$panel" "$work/icon.png" || fail "no picture of the panel"
[ -n "$screenshot" ] && cp "$work/icon.png" "$screenshot"
box=$(convert \( "$work/empty.png" "$work/icon.png" -compose difference -composite \
    -colorspace gray -threshold 8% \) \( "$work/icon.png" -fx '(b-r>0.3)?1:0' \) \
    -compose multiply -composite -format '%@' info:)
w=${box%%x*}
rest=${box#*x}
h=${rest%%+*}
rest=${rest#*+}
dx=${rest%%+*}
dy=${rest#*+}
[ "$w" -gt 0 ] && [ "$w" -lt 40 ] || fail "no icon drawn in the panel (change: $box)"
panel_x=$(xwininfo -id "$panel" | sed -n 's/.*Absolute upper-left X: *//p')
panel_y=$(xwininfo -id "$panel" | sed -n 's/.*Absolute upper-left Y: *//p')
echo "icon drawn at ${w}x$h+$dx+$dy in the top panel"
xdotool mousemove $((panel_x + dx + w / 2)) $((panel_y + dy + h / 2))

xdotool click 3
sleep 0.5
# The host may have opened a menu of its own for the right click; close it.
xdotool key Escape
is_hidden || fail "a right click brought the window back"
icon_shown || fail "a right click removed the icon"

xdotool click 1
x_wait "the window to come back after a click" is_viewable
x_wait "the task-bar entry" on_task_bar
x_wait "the icon to go" icon_gone
echo "restored by a click: window $hex viewable and on the task bar, icon removed"

minimise
before=$(desktop)
# Well within the double-click interval, as a user's double-click is.
xdotool click --repeat 2 --delay 80 1
came_back_or_moved() { is_viewable || [ "$(desktop)" != "$before" ]; }
x_wait "the window to come back after a double-click" came_back_or_moved
# Past the double-click interval, when the icon goes.
sleep 1
after=$(desktop)
echo "double-click: desktop $before before, $after after; window $(map_state)"
[ "$after" = "$before" ] || fail "the double-click moved the desktop from $before to $after"
is_viewable || fail "the window is not viewable after the double-click"
x_wait "the icon to go" icon_gone
echo "restored by a double-click, on the same desktop"
