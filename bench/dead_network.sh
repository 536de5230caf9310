#!/usr/bin/env bash
# How long pellmark-batch --update takes to give up on a dead network: a folder 1,000
# week-days behind, against each way a network can give no answer at all: a port that never
# answers the connection (the local service's --never-accept), one that takes it and never
# answers (--hang), one that closes it at once without a byte (--close), a proxy name that
# does not resolve, and a port of 127.0.0.1 that refuses the connection. Two days of three
# fetches each, each cut after at most 6 s and followed by the 1.51 s pause, then exit 4 with
# every day listed: goal under 60 s each.
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
for dead in --never-accept --hang --close http://pellmark-nowhere.invalid:3128 "$refusing"; do
    proxy=$dead
    if [[ $dead == --* ]]; then
        start_service "$dead"
        proxy=http://127.0.0.1:$port
    fi
    rm -rf "$work/days" "$work/failed.txt"
    mkdir "$work/days"
    printf '0.7767 - 00:00\r\n' >"$work/days/AUDUSD-3-Feb-23.txt"
    status=0
    started=$(date +%s.%N)
    http_proxy=$proxy "$driver" --update "$work/days" --to 2026-12-04 --heal \
        --errors "$work/failed.txt" -q 2>"$work/batch.log" || status=$?
    seconds=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    stop_service
    listed=$(wc -l <"$work/failed.txt")
    within=$(awk -v s="$seconds" 'BEGIN { print (s < 60) ? "met" : "NOT met" }')
    printf '%s: exit %d after %.1f s, %d days listed; goal under 60 s: %s\n' \
        "$dead" "$status" "$seconds" "$listed" "$within"
    [[ $status -eq 4 && $listed -eq 1000 && $within == met ]] || met=1
done
exit "$met"
