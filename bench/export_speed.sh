#!/usr/bin/env bash
# CPU cost of pellmark-export over ten years of one symbol: 2,600 week-day files of 288
# five-minute quotes each (748,800 lines), price first with " - ". Goal: well under one
# second of CPU. Prints user + system seconds, wall time, peak memory, and the rows written.
#
#   bench/export_speed.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
export_tool=$build/tools/export/pellmark-export
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/days"

# perl-base is on every Debian system; its POSIX module names the week-days.
perl -MPOSIX=strftime,mktime -e '
    my ($folder, $count) = @ARGV;
    my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
    my ($day, $written) = (mktime(0, 0, 12, 3, 0, 100), 0);  # Monday 3 January 2000
    while ($written < $count) {
        my @t = localtime($day);
        $day += 86400;
        next if $t[6] == 0 || $t[6] == 6;
        my $name = sprintf("%s/AUDUSD-%d-%s-%02d.txt", $folder, $t[3], $months[$t[4]], $t[5] % 100);
        open(my $out, ">", $name) or die "$name: $!";
        binmode $out;
        for my $slot (0 .. 287) {
            printf $out "%.4f - %02d:%02d\r\n", 0.75 + ($written % 97 + $slot) / 10000,
                int($slot * 5 / 60), $slot * 5 % 60;
        }
        close($out);
        ++$written;
    }' "$work/days" 2600

/usr/bin/time -f "%U %S %e %M" -o "$work/time" "$export_tool" "$work/days" "$work/csv"
read -r user system wall peak_kb <"$work/time"
rows=$(($(wc -l <"$work/csv/AUDUSD.csv") - 1))
awk -v user="$user" -v sys="$system" -v wall="$wall" -v kb="$peak_kb" -v rows="$rows" 'BEGIN {
    printf "day files 2600, rows written %d\n", rows
    printf "CPU %.2f s (user %.2f, system %.2f), wall %.2f s, peak memory %.0f MB\n",
        user + sys, user, sys, wall, kb / 1024
}'
