#!/usr/bin/env bash
# Every layout, a time zone and the SQLite database against the CSV export, over the 16,948 day
# files of bench/check_speed.sh's years case (13 symbols, five years of 288 quotes a day), in
# one run on the real disk. Each command runs three times, the median wall time is kept.
# Goals: every layout and --tz within 1.2 times the CSV export (minute bars of five-minute
# quotes and MetaStock rows write about twice the CSV's bytes: the sizes are printed too);
# --sqlite into a new database within 2 times; after one new day per symbol, the next --sqlite
# under 1 s. Prints each time, its ratio to the CSV export, and the database's size against
# the CSVs'.
#
#   bench/export_layouts.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
export_tool=$build/tools/export/pellmark-export
[[ -x $export_tool ]] || { echo "export_layouts: build $export_tool first" >&2; exit 2; }
work=$(mktemp -d -p "$build" export-layouts.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/days"

# make_days FOLDER FIRST COUNT: COUNT week-days from the FIRST-th week-day after Friday
# 1 January 2021 (0: that Friday), for each of the 13 symbols.
make_days() {
    perl -MPOSIX=mktime -e '
        my ($folder, $first, $count) = @ARGV;
        my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
        my @symbols = qw(AUDUSD EURCHF EURGBP EURJPY EURUSD GBPCHF GBPJPY GBPUSD NZDUSD USDCAD
                         USDCHF USDJPY XAUUSD);
        my ($day, $index) = (mktime(0, 0, 12, 1, 0, 121), 0);
        while ($index < $first + $count) {
            my @t = localtime($day);
            $day += 86400;
            next if $t[6] == 0 || $t[6] == 6;
            ++$index;
            next if $index <= $first;
            for my $s (0 .. $#symbols) {
                next if ($index * 13 + $s) % 997 == 1;
                my $name = sprintf("%s/%s-%d-%s-%02d.txt", $folder, $symbols[$s], $t[3],
                                   $months[$t[4]], $t[5] % 100);
                open(my $out, ">", $name) or die "$name: $!";
                binmode $out;
                for my $slot (0 .. 287) {
                    printf $out "%.4f - %02d:%02d\r\n", 1 + $s / 10 + ($index % 97 + $slot) / 10000,
                        int($slot * 5 / 60), $slot * 5 % 60;
                }
                close($out);
            }
        }' "$@"
}
make_days "$work/days" 0 1305
sync -f "$work"

# median_wall NAME COMMAND...: runs it three times (a database it names is removed first),
# prints the median wall time in seconds.
median_wall() {
    local name=$1 walls=()
    shift
    for _ in 1 2 3; do
        rm -f "$work/p.db"
        /usr/bin/time -f "%e" -o "$work/time" "$@" >/dev/null
        walls+=("$(cat "$work/time")")
    done
    printf '%s\n' "${walls[@]}" | sort -n | sed -n 2p
}

csv=$(median_wall csv "$export_tool" "$work/days" "$work/csv")
# report NAME SECONDS GOAL [FOLDER]: the time against the CSV export's, and what it wrote
report() {
    local written=""
    [[ -n ${4:-} ]] && written=", $(du -sm "$4" | cut -f1) MB written"
    awk -v name="$1" -v wall="$2" -v csv="$csv" -v goal="$3" -v written="$written" 'BEGIN {
        printf "%-34s %6.2f s, %.2f times the CSV export (goal %s or less)%s\n", name, wall,
            wall / csv, goal, written
    }'
}
echo "day files $(find "$work/days" -name '*.txt' | wc -l), CSV export $csv s wall (median of 3)," \
    "$(du -sm "$work/csv" | cut -f1) MB written"
report "--layout metatrader --bars 1min" \
    "$(median_wall mt "$export_tool" --layout metatrader --bars 1min "$work/days" "$work/mt")" 1.2 \
    "$work/mt"
report "--layout metatrader --bars 1h" \
    "$(median_wall mth "$export_tool" --layout metatrader --bars 1h "$work/days" "$work/mth")" 1.2 \
    "$work/mth"
report "--layout ninjatrader" \
    "$(median_wall nt "$export_tool" --layout ninjatrader "$work/days" "$work/nt")" 1.2 "$work/nt"
report "--layout ninjatrader --bars 1min" \
    "$(median_wall ntm "$export_tool" --layout ninjatrader --bars 1min "$work/days" "$work/ntm")" \
    1.2 "$work/ntm"
report "--layout metastock" \
    "$(median_wall ms "$export_tool" --layout metastock "$work/days" "$work/ms")" 1.2 "$work/ms"
report "--tz Europe/Berlin" \
    "$(median_wall tz "$export_tool" --tz Europe/Berlin "$work/days" "$work/tz")" 1.2 "$work/tz"
report "--sqlite (a new database)" \
    "$(median_wall db "$export_tool" --sqlite "$work/p.db" "$work/days")" 2

# The nightly case: the database holds the folder, then one new day per symbol comes.
"$export_tool" --sqlite "$work/p.db" "$work/days" >/dev/null
make_days "$work/days" 1305 1
/usr/bin/time -f "%e" -o "$work/time" "$export_tool" --sqlite "$work/p.db" "$work/days" >"$work/listing"
echo "--sqlite after one new day per symbol: $(cat "$work/time") s wall (goal under 1 s)," \
    "$(grep -c '1 day written' "$work/listing") symbols with 1 day written"
awk -v db="$(stat -c %s "$work/p.db")" -v csvs="$(du -cb "$work"/csv/*.csv | tail -n 1 | cut -f1)" 'BEGIN {
    printf "database %.0f MB, the CSVs %.0f MB: %.2f times their size\n", db / 1e6, csvs / 1e6, db / csvs
}'
