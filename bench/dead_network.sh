#!/usr/bin/env bash
# How long pellmark-batch --update takes to give up on a dead network: a folder 1,000
# week-days behind, with http_proxy naming a host that does not resolve, and with
# a port of 127.0.0.1 that refuses the connection. Three days of three fetches each, 1.51 s
# apart, then exit 4 with every day listed: goal under 30 s each.
#
#   bench/dead_network.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
driver=$build/tools/batch/pellmark-batch
service=$build/tools/quote_service/pellmark-quote-service
name=dead_network
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"

# A port nothing listens on: the service's, once it has stopped.
start_service
refusing=http://127.0.0.1:$port
stop_service

met=0
for proxy in http://pellmark-nowhere.invalid:3128 "$refusing"; do
    rm -rf "$work/days" "$work/failed.txt"
    mkdir "$work/days"
    printf '0.7767 - 00:00\r\n' >"$work/days/AUDUSD-3-Feb-23.txt"
    status=0
    started=$(date +%s.%N)
    http_proxy=$proxy "$driver" --update "$work/days" --to 2026-12-04 --heal \
        --errors "$work/failed.txt" -q 2>"$work/batch.log" || status=$?
    seconds=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    listed=$(wc -l <"$work/failed.txt")
    within=$(awk -v s="$seconds" 'BEGIN { print (s < 30) ? "met" : "NOT met" }')
    printf '%s: exit %d after %.1f s, %d days listed; goal under 30 s: %s\n' \
        "$proxy" "$status" "$seconds" "$listed" "$within"
    [[ $status -eq 4 && $listed -eq 1000 && $within == met ]] || met=1
done
exit "$met"
