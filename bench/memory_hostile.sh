#!/usr/bin/env bash
# Peak memory on a hostile page: 1,000 <b> tags told apart by their ids, then paragraphs that
# each reopen them all, so that a few hundred kilobytes of HTML would make a tree of billions
# of elements. For the 50 KB page (10,000 paragraphs) and its 432 KB variant (105,800):
#   - pellmark-batch fetches the day through the local quote service; the day must end as
#     failed ("page too complex"), nothing written, and the peak resident memory of the whole
#     process tree (the program and its page-body helper) must stay under 512 MB;
#   - pellmark-parse-page reads the same answer and must end, not printing a day, under 512 MB.
# Peaks come from /usr/bin/time -v (the largest single process) and, for the batch run, from
# sampling the summed resident memory of the tree every 20 ms (a lower bound of the true sum).
#
#   bench/memory_hostile.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
driver=$build/tools/batch/pellmark-batch
service=$build/tools/quote_service/pellmark-quote-service
parse_page=$build/tools/parse_page/pellmark-parse-page
name=memory_hostile
limit_kb=$((512 * 1024))
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"

# Largest summed VmRSS (kB) of $1 and its descendants until $1 ends; printed at the end.
sample_tree() {
    local root=$1 peak=0 sum pids level
    while kill -0 "$root" 2>/dev/null; do
        pids=$root
        level=$root
        for _ in 1 2 3; do
            level=$(for pid in $level; do cat /proc/"$pid"/task/*/children 2>/dev/null; done)
            pids="$pids $level"
        done
        sum=0
        for pid in $(tr ' ' '\n' <<<"$pids" | sort -u); do
            rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || true)
            sum=$((sum + ${rss:-0}))
        done
        ((sum > peak)) && peak=$sum
        sleep 0.02
    done
    echo "$peak"
}

max_rss() { sed -n 's/^\tMaximum resident set size (kbytes): //p' "$1"; }

met=0
for paragraphs in 10000 105800; do
    start_service --reopened-formatting "$paragraphs"
    rm -rf "$work/out"
    mkdir "$work/out"
    started=$(date +%s.%N)
    http_proxy="http://127.0.0.1:$port" /usr/bin/time -v -o "$work/time" "$driver" \
        --symbols AUDUSD --from 2005-06-06 --to 2005-06-06 --out "$work/out" \
        >"$work/failed" 2>"$work/batch.log" &
    timed=$!
    tree_kb=$(sample_tree "$timed")
    status=0
    wait "$timed" || status=$?
    seconds=$(awk -v a="$started" -v b="$(date +%s.%N)" 'BEGIN { print b - a }')
    batch_kb=$(max_rss "$work/time")

    page_kb=$(wc -c <<<"$(curl -s --data 'w=CR&l=GB&stk=frxAUDUSD&date=6-Jun-05' \
        "http://127.0.0.1:$port//e/c_viewhourly/o_cgi_.htm" | tee "$work/page")")
    page_kb=$((page_kb / 1024))
    stop_service
    parse_status=0
    # An unbounded reader would take all the machine's memory on the larger page: 4 GB at most.
    (
        ulimit -v $((4 << 20))
        /usr/bin/time -v -o "$work/time" "$parse_page" --charset ISO-8859-1 <"$work/page" \
            >"$work/day" 2>"$work/parse.log"
    ) || parse_status=$?
    parse_kb=$(max_rss "$work/time")

    files=$(find "$work/out" -type f | wc -l)
    reason=$(grep -o 'page too complex' "$work/batch.log" | head -n1 || true)
    printf '%d KB page: pellmark-batch exit %d in %.1f s, %s, %d files, peak %d MB (one process) / %d MB (tree); pellmark-parse-page exit %d, peak %d MB\n' \
        "$page_kb" "$status" "$seconds" "${reason:-no \"page too complex\"}" "$files" \
        $((batch_kb / 1024)) $((tree_kb / 1024)) "$parse_status" $((parse_kb / 1024))
    if [[ $status -ne 1 || $files -ne 0 || -z $reason || $batch_kb -ge $limit_kb ||
        $tree_kb -ge $limit_kb || $parse_status -eq 0 || $parse_kb -ge $limit_kb ]]; then
        echo "    NOT met: the day must fail as \"page too complex\", nothing written, under 512 MB" >&2
        met=1
    fi
done
exit "$met"
