#!/usr/bin/env bash
# What the export's writing costs on the real disk: pellmark-export over the 16,948 day files
# of bench/check_speed.sh (13 symbols, five years, 288 lines each) against cat writing the
# same CSV bytes followed by one sync of the file system. Goal: the export within 3 times
# cat's wall time. Prints both wall times and their ratio. The work folder is made beside
# BUILD_DIR, so that it is on the disk and not in a tmpfs.
#
#   bench/export_sync.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
export_tool=$build/tools/export/pellmark-export
[[ -x $export_tool ]] || { echo "export_sync: build $export_tool first" >&2; exit 2; }
work=$(mktemp -d -p "$build" export-sync.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/days" "$work/cat"

perl -MPOSIX=mktime -e '
    my ($folder, $count) = @ARGV;
    my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
    my @symbols = qw(AUDUSD EURCHF EURGBP EURJPY EURUSD GBPCHF GBPJPY GBPUSD NZDUSD USDCAD
                     USDCHF USDJPY XAUUSD);
    my ($day, $index) = (mktime(0, 0, 12, 1, 0, 121), 0);  # Friday 1 January 2021
    while ($index < $count) {
        my @t = localtime($day);
        $day += 86400;
        next if $t[6] == 0 || $t[6] == 6;
        ++$index;
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
    }' "$work/days" 1305
# The day files reach the disk first, so that neither side pays for them.
sync -f "$work"

/usr/bin/time -f "%e %U %S" -o "$work/export.time" "$export_tool" "$work/days" "$work/csv"
/usr/bin/time -f "%e" -o "$work/cat.time" sh -c '
    for csv in "$1"/*.csv; do cat "$csv" >"$2/${csv##*/}"; done
    sync -f "$2"' sh "$work/csv" "$work/cat"
cmp -s <(cat "$work"/csv/*.csv) <(cat "$work"/cat/*.csv) || { echo "export_sync: copies differ" >&2; exit 1; }
echo "day files $(find "$work/days" -name '*.txt' | wc -l), CSVs $(find "$work/csv" -name '*.csv' | wc -l)," \
    "$(du -sm "$work/csv" | cut -f1) MB"
read -r export_wall export_user export_system <"$work/export.time"
awk -v wall="$export_wall" -v user="$export_user" -v sys="$export_system" \
    -v cat_wall="$(cat "$work/cat.time")" 'BEGIN {
    printf "export %.2f s wall (CPU %.2f s), cat and one sync %.2f s wall, ratio %.2f (goal 3 or less)\n",
        wall, user + sys, cat_wall, wall / cat_wall
}'
