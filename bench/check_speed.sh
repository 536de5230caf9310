#!/usr/bin/env bash
# CPU and memory of pellmark-check over 13 symbols and five years of week-days: 16,965 day
# files of 288 five-minute quotes each (4.9 million lines), price first with " - ", with a few
# faults so that every kind of line is printed. Goal: under 5 s of CPU and 200 MB, the HTML
# report and the retry list included. Prints user + system seconds, wall time, peak memory,
# and the summary of the check.
#
#   bench/check_speed.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
check_tool=$build/tools/check/pellmark-check
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/days"

# perl-base is on every Debian system; its POSIX module names the week-days.
perl -MPOSIX=strftime,mktime -e '
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
            my $fault = ($index * 13 + $s) % 997;
            next if $fault == 1;  # missing
            my $name = sprintf("%s/%s-%d-%s-%02d.txt", $folder, $symbols[$s], $t[3],
                               $months[$t[4]], $t[5] % 100);
            open(my $out, ">", $name) or die "$name: $!";
            binmode $out;
            for my $slot (0 .. 287) {
                next if $fault == 2 && $slot > 100;                 # short
                next if $fault == 3 && $slot >= 120 && $slot < 144; # a hole
                printf $out "%.4f - %02d:%02d\r\n", 1 + $s / 10 + ($index % 97 + $slot) / 10000,
                    int($slot * 5 / 60), $slot * 5 % 60;
            }
            close($out);
        }
    }' "$work/days" 1305

status=0
/usr/bin/time -f "%U %S %e %M" -o "$work/time" "$check_tool" --retry-list "$work/retry.txt" \
    --html "$work/report.html" "$work/days" >"$work/out.txt" || status=$?
[ "$status" -le 1 ] || { cat "$work/out.txt"; exit 1; }
# time puts "Command exited with non-zero status 1" before the figures when days are faulty.
read -r user system wall peak_kb < <(tail -n 1 "$work/time")
echo "day files $(find "$work/days" -name '*.txt' | wc -l), faulty days $(grep -c . "$work/retry.txt")," \
    "report $(($(stat -c %s "$work/report.html") / 1024)) KB"
tail -n 2 "$work/out.txt"
awk -v user="$user" -v sys="$system" -v wall="$wall" -v kb="$peak_kb" 'BEGIN {
    printf "CPU %.2f s (user %.2f, system %.2f), wall %.2f s, peak memory %.0f MB\n",
        user + sys, user, sys, wall, kb / 1024
}'
