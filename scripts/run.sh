#!/bin/sh
# Installs what building and running need and is missing (needs root or sudo), builds the programs (the window, the local
# quote service, pellmark-batch, pellmark-export, pellmark-check, pellmark-parse-page), starts
# the bundled local quote service on a free port and starts Pellmark with http_proxy pointing
# at it. The service is stopped when the program ends. Arguments are passed on to the program.
# PELLMARK_BUILD_DIR chooses the build folder (default: build).
set -eu
cd "$(dirname "$0")/.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display to show the window on; run it under Xvfb: xvfb-run -a $0 (scripts/install-deps.sh installs xvfb)" >&2
    exit 1
fi
build=${PELLMARK_BUILD_DIR:-build}

scripts/install-deps.sh
# The build type is chosen once, when the folder is first configured.
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" >/dev/null
else
    # No benchmarks: they need Google Benchmark, a test tool (scripts/test.sh turns them on).
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMARK_BENCHMARKS=OFF >/dev/null
fi
# Every program the README goes on to use, not only the window.
cmake --build "$build" -j "$(nproc)" --target pellmark pellmark-quote-service pellmark-batch \
    pellmark-export pellmark-check pellmark-parse-page pellmark-page-body

work=$(mktemp -d)
service=""
app=""
cleanup() {
    set +e
    for pid in $app $service; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

"$build/tools/quote_service/pellmark-quote-service" --port 0 >"$work/port" &
service=$!
tries=50
until [ -s "$work/port" ]; do
    tries=$((tries - 1))
    if [ "$tries" -le 0 ] || ! kill -0 "$service" 2>/dev/null; then
        echo "The local quote service did not start." >&2
        exit 1
    fi
    sleep 0.1
done
port=$(head -n 1 "$work/port")
echo "Local quote service on 127.0.0.1:$port (stands in for the real one)."

# In the background, so that a signal to this script ends the program and the service at once.
http_proxy="http://127.0.0.1:$port" no_proxy="" \
    PELLMARK_PAGE_BODY="$build/src/net/pellmark-page-body" "$build/src/pellmark" "$@" &
app=$!
status=0
wait "$app" || status=$?
app=""
exit "$status"
