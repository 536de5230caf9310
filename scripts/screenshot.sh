#!/bin/sh
# Starts a built pellmark binary on a virtual X display with a window manager (openbox, for
# the title bar), waits for its main window, saves a picture of the window with its frame
# and stops everything it started. Builds nothing.
# Usage: scripts/screenshot.sh BINARY [PNG]   (PNG defaults to docs/main-window.png)
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 BINARY [PNG]" >&2
    exit 2
fi
for tool in Xvfb openbox xdotool xprop import; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "$tool is missing; scripts/install-deps.sh --tests installs it" >&2
        exit 1
    fi
done
binary=$(realpath "$1")
png=$(realpath -m "${2:-$(dirname "$0")/../docs/main-window.png}")
mkdir -p "$(dirname "$png")"

work=$(mktemp -d)
pids=""
cleanup() {
    set +e
    for pid in $pids; do kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

# wait_for DESCRIPTION COMMAND...: retries COMMAND for up to ten seconds.
wait_for() {
    what=$1
    shift
    tries=100
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        if [ "$tries" -le 0 ]; then
            echo "timed out waiting for $what" >&2
            exit 1
        fi
        sleep 0.1
    done
}

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
pids="$!"
wait_for "the X server" test -s "$work/display"
DISPLAY=:$(cat "$work/display")
export DISPLAY

openbox >/dev/null 2>&1 &
pids="$! $pids"
wait_for "the window manager" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

# Run from a neutral folder so that the save folder shown is the binary's own, as on a
# user's machine.
(cd "$work" && exec env LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$work" "$binary" >/dev/null 2>&1) &
pids="$! $pids"
window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick - Pellmark' | head -n 1)
timeout 5 xdotool windowactivate --sync "$window"
# A neutral save folder rather than the one the binary was built in; then the focus back where
# it starts, at the top of the first symbol list.
xdotool mousemove --window "$window" 430 158 click 1 key ctrl+a type "~/Documents/"
xdotool mousemove --window "$window" 60 60 click 1 key ctrl+Home
# The window paints itself once it is mapped and active; give it that moment.
sleep 1
import -frame -window "$window" "$png"
echo "$png"
