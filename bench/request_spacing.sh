#!/usr/bin/env bash
# Request spacing of a batch download: the real window, offscreen, with the real 1.51 s pause,
# against the local quote service answering at once and after 400 ms. For each, from the
# arrival times in the service's request log: the spacing ratio (last start minus first start,
# over (fetches - 1) x 1.51 s; goal at most 1.02), the smallest gap between two starts (goal
# at least 1.51 s; also no start while the previous answer is still being made), and the
# driver's CPU (goal under 1% of a core). About 65 s with the default 2 symbols x 10 week-days.
#
#   bench/request_spacing.sh [BUILD_DIR] [SYMBOLS] [DRIVER]
#   (defaults: build, 2, the run driver of BUILD_DIR; the service is always BUILD_DIR's)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
symbols=${2:-2}
driver=${3:-$build/tests/pellmark/pellmark_run_driver}
service=$build/tools/quote_service/pellmark-quote-service
name=request_spacing
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"

met=0
for delay_ms in 0 400; do
    rm -rf "$work/out"
    mkdir "$work/out"
    start_service --delay-ms "$delay_ms"

    # Two weeks: ten week-days per symbol.
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$driver" --proxy "http://127.0.0.1:$port" \
        --count "$symbols" --folder "$work/out" --start 2005-06-06 --end 2005-06-17 \
        >"$work/driver.log" 2>&1 || { cat "$work/driver.log" >&2; exit 1; }
    stop_service

    read -r wall user system <"$work/time"
    awk -F'\t' '$2 == "POST" { print $1 }' "$work/requests.log" >"$work/starts"
    awk -v delay="$delay_ms" -v wall="$wall" -v user="$user" -v sys="$system" '
        { start[NR] = $1 }
        END {
            pause = 1.51
            cpu = user + sys
            least = 1e9
            overlaps = 0
            for (i = 2; i <= NR; ++i) {
                gap = start[i] - start[i - 1]
                if (gap < least) least = gap
                if (gap < delay / 1000) ++overlaps
            }
            ratio = (start[NR] - start[1]) / ((NR - 1) * pause)
            share = 100 * cpu / wall
            printf "service delay %d ms: %d fetches, spacing ratio %.4f (goal <= 1.02: %s), " \
                   "smallest gap %.3f s (goal >= 1.51: %s), starts during an answer %d, " \
                   "wall %.2f s, driver CPU %.2f s = %.3f%% of a core (goal < 1%%: %s)\n",
                   delay, NR, ratio, (ratio <= 1.02 ? "met" : "NOT met"), least,
                   (least >= pause ? "met" : "NOT met"), overlaps, wall, cpu, share,
                   (share < 1 ? "met" : "NOT met")
            exit !((ratio <= 1.02) && (least >= pause) && (overlaps == 0) && (share < 1))
        }' "$work/starts" || met=1
done
exit "$met"
