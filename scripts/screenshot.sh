#!/bin/sh
# Starts a built pellmark binary on a virtual X display, waits for its main window,
# saves a picture of the screen and stops the program. Builds nothing.
# Usage: scripts/screenshot.sh BINARY [PNG]   (PNG defaults to docs/main-window.png)
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 BINARY [PNG]" >&2
    exit 2
fi
binary=$(realpath "$1")
png=$(realpath -m "${2:-$(dirname "$0")/../docs/main-window.png}")
mkdir -p "$(dirname "$png")"

if [ -z "${PELLMARK_ON_DISPLAY:-}" ]; then
    PELLMARK_ON_DISPLAY=1 exec xvfb-run -a -s "-screen 0 800x400x24" "$0" "$binary" "$png"
fi

"$binary" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=$(timeout 20 xdotool search --sync --onlyvisible --name "Pellmark" | head -n 1)
# Give the window time to paint itself once mapped.
sleep 1
import -window "$window" "$png"
echo "$png"
