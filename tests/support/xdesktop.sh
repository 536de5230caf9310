# Sourced by the tests that need a real X display (sh): a virtual desktop with a window
# manager (openbox, which minimising needs) and, for start_x_desktop, a notification
# area (trayer). The caller
# defines fail MESSAGE, sets $work (a scratch folder) and kills the processes listed in $pids.

# x_scratch: sets $work to a new scratch folder; when the script ends, also on a signal, kills
# the processes listed in $pids and removes $work, so no X server is left behind.
x_scratch() {
    work=$(mktemp -d)
    pids=""
    trap 'for pid in $pids; do kill "$pid" 2>/dev/null; done; rm -rf "$work"' EXIT
    trap 'exit 1' HUP INT PIPE TERM
}

# require_x_tools [TOOL...]: exits 77 (skipped) when an X tool, or one of TOOLs, is missing.
require_x_tools() {
    for tool in Xvfb openbox trayer xdotool xwininfo xprop "$@"; do
        if ! command -v "$tool" >/dev/null 2>&1; then
            echo "SKIP: $tool is not installed (scripts/install-deps.sh --tests installs it)"
            exit 77
        fi
    done
}

# x_wait DESCRIPTION COMMAND...: gives COMMAND ten seconds to succeed.
x_wait() {
    what=$1
    shift
    tries=100
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -le 0 ] && fail "timed out waiting for $what"
        sleep 0.1
    done
}

x_window_manager_running() { xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; }
x_tray_running() { xwininfo -root -tree | grep -q '"panel": ("panel" "trayer")'; }
# The notification-area icon of the program called $name: a window of it embedded in trayer's
# panel.
icon_window() {
    xwininfo -root -tree | awk -v name="\"$name\"" '
        function indent(line) { match(line, /^ */); return RLENGTH }
        /"panel": \("panel" "trayer"\)/ { panel = indent($0); next }
        panel && indent($0) <= panel { panel = 0 }
        panel && index($0, "(" name) { print $1; exit }'
}
icon_shown() { [ -n "$(icon_window)" ]; }

# start_x_server WIDTHxHEIGHT: starts the X server and the window manager and exports
# DISPLAY; exits 77 (skipped) when no X server can be started.
start_x_server() {
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
    xvfb=$!
    pids="$xvfb $pids"
    tries=100
    until [ -s "$work/display" ]; do
        tries=$((tries - 1))
        if [ "$tries" -le 0 ] || ! kill -0 "$xvfb" 2>/dev/null; then
            echo "SKIP: Xvfb could not be started:"
            cat "$work/xvfb.log"
            exit 77
        fi
        sleep 0.1
    done
    DISPLAY=:$(cat "$work/display")
    export DISPLAY

    openbox >"$work/openbox.log" 2>&1 &
    pids="$! $pids"
    x_wait "the window manager" x_window_manager_running
}

# start_x_desktop WIDTHxHEIGHT: start_x_server, then trayer as the notification area.
start_x_desktop() {
    start_x_server "$1"
    # Without a session bus Qt talks to the notification area through XEmbed, as trayer expects.
    unset DBUS_SESSION_BUS_ADDRESS

    trayer --edge bottom --align right --widthtype request --height 28 --SetDockType true \
        --transparent false --tint 0xd4d0c8 >"$work/trayer.log" 2>&1 &
    pids="$! $pids"
    x_wait "the notification area" x_tray_running
}
