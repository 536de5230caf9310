#!/usr/bin/env bash
# Peak heap of a batch download in the real window against the local quote service, with no
# pause before the fetches, for a short and a ten times longer run: the peak must not grow
# with the number of symbol-days beyond the symbol list the user typed (the long run has ten
# times the symbols).
# Measured with heaptrack; prints both peaks, their ratio and the growth per symbol-day.
#
#   bench/memory_flat.sh [BUILD_DIR] [SHORT_DAYS]    (defaults: build, 200; the long run is x10)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
short_days=${2:-200}
long_days=$((short_days * 10))
driver=$build/tests/pellmark/pellmark_run_driver
service=$build/tools/quote_service/pellmark-quote-service
# Two weeks: ten week-days per symbol.
first_day=2005-06-06
last_day=2005-06-17
days_per_symbol=10

for tool in heaptrack heaptrack_print; do
    command -v "$tool" >/dev/null || { echo "memory_flat: $tool is not installed" >&2; exit 2; }
done
name=memory_flat
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"
start_service

# Bytes from heaptrack_print's "12.34M" style (powers of 1000).
to_bytes() {
    awk -v v="$1" 'BEGIN {
        n = v + 0; u = substr(v, length(v));
        f = (u == "K") ? 1e3 : (u == "M") ? 1e6 : (u == "G") ? 1e9 : 1;
        printf "%d\n", n * f }'
}

# Runs the driver under heaptrack for $1 symbol-days; prints the peak heap in bytes.
peak_for() {
    local symbol_days=$1 out=$work/out-$1 requests_before requests
    mkdir -p "$out"
    requests_before=$(wc -l <"$work/requests.log")
    heaptrack -o "$work/heap-$symbol_days" "$driver" --proxy "http://127.0.0.1:$port" \
        --pause-ms 0 --count $((symbol_days / days_per_symbol)) --folder "$out" \
        --start "$first_day" --end "$last_day" >"$work/driver-$symbol_days.log" 2>&1 ||
        { cat "$work/driver-$symbol_days.log" >&2; return 1; }
    requests=$(($(wc -l <"$work/requests.log") - requests_before))
    grep '^symbol-days' "$work/driver-$symbol_days.log" | sed "s/^/    /" >&2
    echo "    $requests fetches from the service" >&2
    [[ $requests -ge $symbol_days ]] ||
        { echo "memory_flat: only $requests fetches for $symbol_days symbol-days" >&2; return 1; }
    local report
    report=$(heaptrack_print -f "$work"/heap-"$symbol_days".* 2>/dev/null | grep -E '^(peak heap|peak RSS|total memory leaked|calls to allocation)')
    echo "$report" | sed "s/^/    /" >&2
    to_bytes "$(echo "$report" | sed -n 's/^peak heap memory consumption: *//p')"
}

echo "$short_days symbol-days:" >&2
short_peak=$(peak_for "$short_days")
echo "$long_days symbol-days:" >&2
long_peak=$(peak_for "$long_days")

awk -v s="$short_peak" -v l="$long_peak" -v sd="$short_days" -v ld="$long_days" 'BEGIN {
    printf "peak heap, %d symbol-days:  %.2f MB\n", sd, s / 1e6
    printf "peak heap, %d symbol-days: %.2f MB\n", ld, l / 1e6
    printf "ratio (long / short): %.3f\n", l / s
    printf "growth: %.0f bytes per added symbol-day\n", (l - s) / (ld - sd) }'
