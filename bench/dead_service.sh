#!/usr/bin/env bash
# How long pellmark-batch takes to give up on one day when the service is dead: a service that
# takes the connection and never answers (--hang), and a port that never takes the connection
# (--never-accept). Three fetches each, every one cut 6 s after the request without a byte of
# an answer, or 5 s without a connection, the 1.51 s pause counted from each start: goals
# under 30 s and 20 s. Each mode may be given alone.
#
#   bench/dead_service.sh [BUILD_DIR] [hang|never-accept]...    (default: build, both)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
modes=(hang never-accept)
[[ $# -gt 1 ]] && modes=("${@:2}")
driver=$build/tools/batch/pellmark-batch
service=$build/tools/quote_service/pellmark-quote-service
name=dead_service
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"

met=0
for mode in "${modes[@]}"; do
    case $mode in
    hang) goal=30 ;;
    never-accept) goal=20 ;;
    *) echo "$name: unknown mode $mode" >&2; exit 2 ;;
    esac
    start_service "--$mode"
    rm -rf "$work/out"
    status=0
    started=$(date +%s.%N)
    http_proxy="http://127.0.0.1:$port" "$driver" --symbols AUDUSD --from 2005-06-06 \
        --to 2005-06-06 --out "$work/out" >"$work/failed" 2>"$work/batch.log" || status=$?
    seconds=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    requests=0
    [[ -f $work/requests.log ]] && requests=$(wc -l <"$work/requests.log")
    stop_service
    within=$(awk -v s="$seconds" -v g="$goal" 'BEGIN { print (s < g) ? "met" : "NOT met" }')
    printf '%s: the day failed (exit %d) after %.1f s, %d requests logged; goal under %d s: %s\n' \
        "$mode" "$status" "$seconds" "$requests" "$goal" "$within"
    if [[ $status -ne 1 || $within != met || ($mode == hang && $requests -ne 3) ]]; then
        met=1
    fi
done
exit "$met"
