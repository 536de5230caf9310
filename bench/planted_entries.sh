#!/usr/bin/env bash
# Peak memory and time to end of each program with an odd entry planted at a name it reads: a
# FIFO no one writes, a link to /dev/zero and a sparse 1 GB file, as a day file (pellmark-check,
# pellmark-export), as the retry list, the symbols file and the folder's pellmark-market
# (pellmark-batch). Each must end by itself, or within a second of SIGTERM where it may wait
# (a --symbols-file pipe): goals under 64 MB, and under 1 s from the signal to the end.
#
#   bench/planted_entries.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
driver=$build/tools/batch/pellmark-batch
service=$build/tools/quote_service/pellmark-quote-service
name=planted_entries
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"
start_service
export http_proxy=http://127.0.0.1:$port

plant() { # KIND PATH
    rm -f "$2"
    case $1 in
    fifo) mkfifo "$2" ;;
    zero) ln -s /dev/zero "$2" ;;
    huge) truncate -s 1G "$2" ;;
    esac
}

met=0
measure() { # LABEL COMMAND...: runs it, SIGTERM after 2 s if still running
    local label=$1
    shift
    local started
    started=$(date +%s.%N)
    /usr/bin/time -f %M -o "$work/kb" "$@" >/dev/null 2>"$work/said" &
    local pid=$! stopped=
    for _ in $(seq 20); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        stopped=$(date +%s.%N)
        kill -TERM "$(pgrep -P "$pid")" 2>/dev/null || true
    fi
    local status=0
    wait "$pid" || status=$?
    local ended kb seconds
    ended=$(date +%s.%N)
    kb=$(tail -n1 "$work/kb")
    seconds=$(awk -v a="${stopped:-$started}" -v b="$ended" 'BEGIN { print b - a }')
    local within
    within=$(awk -v k="$kb" -v s="${stopped:+$seconds}" \
        'BEGIN { print (k < 65536 && s < 1) ? "met" : "NOT met" }')
    local how="ended after"
    [[ -n $stopped ]] && how="ended, after SIGTERM, in"
    printf '%-36s exit %3d, %6d KB, %s %.2f s; goal: %s\n' "$label" "$status" "$kb" "$how" \
        "$seconds" "$within"
    [[ $within == met ]] || met=1
}

mkdir -p "$work/in" "$work/out"
printf '0.7767 - 12:00\r\n' >"$work/in/AUDUSD-6-Jun-05.txt"
for kind in fifo zero huge; do
    plant "$kind" "$work/in/AUDUSD-7-Jun-05.txt"
    measure "check, day file $kind" "$build/tools/check/pellmark-check" "$work/in"
    measure "export, day file $kind" "$build/tools/export/pellmark-export" "$work/in" "$work/out"
    rm -f "$work/in/AUDUSD-7-Jun-05.txt"
    plant "$kind" "$work/list"
    measure "batch, symbols file $kind" "$driver" --symbols-file "$work/list" --from 2005-06-06 \
        --to 2005-06-06 --out "$work/in"
    measure "batch, retry list $kind" "$driver" --retry "$work/list" --out "$work/in"
    plant "$kind" "$work/in/pellmark-market"
    measure "batch, pellmark-market $kind" "$driver" --symbols AUDUSD --from 2005-06-06 \
        --to 2005-06-06 --out "$work/in" --heal --heal-rounds 0
    rm -f "$work/in/pellmark-market"
done
exit "$met"
