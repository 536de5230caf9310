#!/bin/sh
# Installs what is missing (needs root or sudo), builds, starts the bundled local quote
# service on a free port and starts Pellmark with http_proxy pointing at it. The service
# is stopped when the program ends.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target pellmark pellmark-quote-service pellmark-parse-page

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: run it under Xvfb with: xvfb-run -a -s '-screen 0 1024x768x24' scripts/run.sh" >&2
    exit 1
fi

portfile=$(mktemp)
build/tools/quote_service/pellmark-quote-service --port 0 >"$portfile" &
service=$!
trap 'kill "$service" 2>/dev/null; rm -f "$portfile"' EXIT INT TERM
for _ in $(seq 50); do
    [ -s "$portfile" ] && break
    sleep 0.1
done
port=$(head -n 1 "$portfile")
echo "Local quote service on 127.0.0.1:$port (stands in for the real one)."
http_proxy="http://127.0.0.1:$port" no_proxy="" build/src/pellmark "$@"
