#!/usr/bin/env bash
# Cost of a batch download beyond its fixed pauses: the real window, offscreen, with the real
# 1.51 s pause before each fetch, against the local quote service. Prints the wall time over
# (fetches x 1.51 s), goal at most 1.02, and the driver's CPU use, goal under 1% of a core.
# About 80 s for the default 5 symbols x 10 week-days.
#
#   bench/run_overhead.sh [BUILD_DIR] [SYMBOLS]    (defaults: build, 5)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
symbols=${2:-5}
driver=$build/tests/pellmark/pellmark_run_driver
service=$build/tools/quote_service/pellmark-quote-service
# Two weeks: ten week-days per symbol.
first_day=2005-06-06
last_day=2005-06-17
days_per_symbol=10
pause_s=1.51

name=run_overhead
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"
start_service

mkdir "$work/out"
/usr/bin/time -f "%e %U %S" -o "$work/time" "$driver" --proxy "http://127.0.0.1:$port" \
    --count "$symbols" --folder "$work/out" --start "$first_day" --end "$last_day" \
    >"$work/driver.log" 2>&1 || { cat "$work/driver.log" >&2; exit 1; }

symbol_days=$((symbols * days_per_symbol))
# Each line of the service's log starts with the request's arrival time.
fetches=$(grep -c $'^[0-9.]*\tPOST\t' "$work/requests.log" || true)
day_files=$(find "$work/out" -name '*.txt' | wc -l)
read -r wall user system <"$work/time"
grep '^symbol-days' "$work/driver.log"
awk -v wall="$wall" -v user="$user" -v sys="$system" -v fetches="$fetches" \
    -v days="$symbol_days" -v files="$day_files" -v pause="$pause_s" 'BEGIN {
    floor = fetches * pause
    ratio = wall / floor
    cpu = user + sys
    share = 100 * cpu / wall
    printf "symbol-days %d, fetches logged by the service %d, day files %d\n", days, fetches, files
    printf "wall %.2f s, fetches x %.2f s = %.2f s, ratio %.4f (goal <= 1.02: %s)\n",
           wall, pause, floor, ratio, ratio <= 1.02 ? "met" : "NOT met"
    printf "driver CPU %.2f s (user %.2f, system %.2f) = %.3f%% of a core (goal < 1%%: %s)\n",
           cpu, user, sys, share, share < 1 ? "met" : "NOT met"
    exit !(ratio <= 1.02 && share < 1 && fetches == days && files == days) }'
