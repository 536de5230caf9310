#!/usr/bin/env bash
# Requests per day with data of a nightly `--update --heal` on a scripted year of the local
# quote service: 13 currency pairs and 2 stocks in one folder, empty at first, 3 holidays per
# form, 2 half days of the stocks, one pair listed in June, one misspelt symbol, and 5 % of
# first answers empty. The first night fetches 2025 up to 30 December (goal: at most 1.10
# requests per day with data, every such day saved); the second night only 31 December (goal:
# one request per symbol kept). Prints the requests beyond one per day with data by kind.
# The pause before each request is shortened (default 0 ms) so that the year takes minutes;
# what is asked does not depend on it. About 5 minutes.
#
#   bench/requests_per_day.sh [BUILD_DIR] [PAUSE_MS] [DRIVER]
#   (defaults: build, 0, BUILD_DIR's pellmark_bench_batch_night)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
pause_ms=${2:-0}
driver=${3:-$build/bench/pellmark_bench_batch_night}
service=$build/tools/quote_service/pellmark-quote-service
name=requests_per_day
# shellcheck source=bench/local_service.sh
source "$(dirname "$0")/local_service.sh"

pairs=AUDUSD,USDJPY,USDCAD,USDCHF,GBPUSD,GBPJPY,GBPAUD,GBPCAD,GBPCHF,EURUSD,EURJPY,EURGBP,EURCHF
stocks=USAMSFT,USAINTC
misspelt=AUDUSX
pair_holidays=1-Jan-25,25-Dec-25,26-Dec-25
stock_holidays=1-Jan-25,18-Apr-25,25-Dec-25
half_days=3-Jul-25,28-Nov-25
listed_pair=GBPAUD
listing=2-Jun-25
listing_iso=2025-06-02

start_service --pair-holidays "$pair_holidays" --stock-holidays "$stock_holidays" \
    --half-days "$half_days" --listed "frx$listed_pair=$listing" --flaky-percent 5 --seed 1
export http_proxy=http://127.0.0.1:$port
night() {
    "$driver" "$pause_ms" --quiet --update "$work/prices" --heal --errors "$work/failed.txt" \
        "$@" >"$work/night.log" 2>&1 || true
}

mkdir "$work/prices"
night --symbols "$pairs,$stocks,$misspelt" --from 2025-01-01 --to 2025-12-30
cp "$work/requests.log" "$work/first.log"
first_status=$(tail -n1 "$work/night.log")
night --to 2025-12-31
stop_service

# The days the service has: every week-day but the holidays of the symbol's form, and none
# of the listed pair before its listing.
export LC_ALL=C
labels=()
for ((day = 0; day < 364; ++day)); do
    date=$(date -u -d "2025-01-01 +$day days" +%u:%F:%-d-%b-%y)
    [[ ${date%%:*} -le 5 ]] && labels+=("${date#*:}")
done
expected=0
for symbol in ${pairs//,/ } ${stocks//,/ }; do
    if [[ ,$stocks, == *,$symbol,* ]]; then holidays=$stock_holidays; else holidays=$pair_holidays; fi
    for iso_label in "${labels[@]}"; do
        [[ ,$holidays, == *,${iso_label#*:},* ]] && continue
        [[ $symbol == "$listed_pair" && ${iso_label%%:*} < $listing_iso ]] && continue
        expected=$((expected + 1))
    done
done
saved=$(find "$work/prices" -name '*-*-*-25.txt' ! -name '*-31-Dec-25.txt' -size +0 | wc -l)

awk -F'\t' -v days="$expected" -v saved="$saved" -v pairHolidays="$pair_holidays" \
    -v stockHolidays="$stock_holidays" -v halfDays="$half_days" -v listed="frx$listed_pair" \
    -v listing="$listing" -v misspelt="$misspelt" -v stocks="$stocks" -v status="$first_status" '
    function day(label,   part) {
        split(label, part, "-")
        return sprintf("%02d%02d%02d", part[3], index("JanFebMarAprMayJunJulAugSepOctNovDec",
                       part[2]) / 3 + 1, part[1])
    }
    function listed_in(list, item,   n, part, i) {
        n = split(list, part, ",")
        for (i = 1; i <= n; ++i) if (part[i] == item) return 1
        return 0
    }
    BEGIN { split("holidays half-days listing misspelt form-learning other", kinds, " ") }
    $2 == "POST" {
        match($7, /stk=[^&]*/); stk = substr($7, RSTART + 4, RLENGTH - 4)
        match($7, /date=[^&]*/); label = substr($7, RSTART + 5, RLENGTH - 5)
        ++requests
        ++asked[stk "-" label]
        plain = stk; sub(/^frx/, "", plain)
        isStock = listed_in(stocks, plain)
        if (plain == misspelt) kind = "misspelt"
        else if (isStock && stk != plain) kind = "form-learning"
        else if (stk == listed && day(label) < day(listing)) kind = "listing"
        else if (listed_in(isStock ? stockHolidays : pairHolidays, label)) kind = "holidays"
        else if (isStock && listed_in(halfDays, label) && asked[stk "-" label] > 1) kind = "half-days"
        else if (asked[stk "-" label] > 1) kind = "other"
        else kind = ""
        if (kind != "") ++waste[kind]
    }
    END {
        ratio = requests / days
        printf "first night: %d requests for %d days with data (%d saved): %.3f a day " \
               "(goal <= 1.10: %s); %s\n", requests, days, saved, ratio,
               (ratio <= 1.10 && saved == days ? "met" : "NOT met"), status
        for (i = 1; i <= 6; ++i)
            printf "  beyond one a day, %-14s %5d  (%.3f a day)\n", kinds[i] ":",
                   waste[kinds[i]], waste[kinds[i]] / days
        exit !(ratio <= 1.10 && saved == days)
    }' "$work/first.log" || met=1

# The second night's symbol-days: each kept symbol's 31 December, once (a flaky first answer
# costs a second request for it).
second=$(tail -n +$(($(wc -l <"$work/first.log") + 1)) "$work/requests.log" |
    awk -F'\t' '$2 == "POST" { ++requests; if (!seen[$7]++) ++days; if ($7 !~ /date=31-Dec-25$/) ++other }
        END { printf "%d %d %d", requests, days, other }')
read -r second_requests second_days second_other <<<"$second"
verdict=NOT
[[ $second_days -eq 15 && $second_other -eq 0 ]] && verdict=
echo "second night: $second_requests requests for $second_days symbol-days, $second_other of other" \
    "days (goal: 15 symbol-days, all 31 Dec: ${verdict:+NOT }met); $(tail -n1 "$work/night.log")"
[[ -z $verdict ]] || met=1
exit "${met:-0}"
