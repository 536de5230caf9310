#!/usr/bin/env bash
# CPU and memory of pellmark-check, the HTML report and the retry list included, on folders of
# day files of 288 five-minute quotes each, price first with " - ", with a few faults so that
# every kind of line is printed. Prints, per case, user + system seconds, wall time and peak
# memory, and beside them the wall time of cat reading the same files, read once before either
# so that both find them in the page cache.
#   years    13 symbols over five years of week-days: 16,965 files. Goal: under 5 s, 200 MB,
#            and within 3 times cat.
#   wide     77 symbols over 1,299 week-days: 100,023 files. Goal: under 5 s, 256 MB.
#   ticks    13 symbols over five years of ticks from 09:30 to 15:59, 3 a minute at the open and
#            the close and 0.15 at midday: 16,965 files. Goal: under 5 s, 200 MB.
#   one-day  100,000 symbols of one day each. Goal: under 256 MB.
#   hostile  a day file linked to /dev/zero and a 1 GB one. Goal: under 64 MB, both named.
#
#   bench/check_speed.sh [BUILD_DIR] [CASE...]    (default: build, every case)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
shift || true
cases=("${@:-years wide ticks one-day hostile}")
check_tool=$build/tools/check/pellmark-check
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# make_days FOLDER SYMBOLS DAYS: DAYS week-days from Friday 1 January 2021 of SYMBOLS
# symbols; perl-base is on every Debian system, and its POSIX module names the week-days.
make_days() {
    mkdir -p "$1"
    perl -MPOSIX=strftime,mktime -e '
        my ($folder, $symbols, $count) = @ARGV;
        my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
        my ($day, $index) = (mktime(0, 0, 12, 1, 0, 121), 0);
        while ($index < $count) {
            my @t = localtime($day);
            $day += 86400;
            next if $t[6] == 0 || $t[6] == 6;
            ++$index;
            for my $s (0 .. $symbols - 1) {
                my $fault = ($index * 13 + $s) % 997;
                next if $fault == 1;  # missing
                my $name = sprintf("%s/S%06d-%d-%s-%02d.txt", $folder, $s, $t[3],
                                   $months[$t[4]], $t[5] % 100);
                open(my $out, ">", $name) or die "$name: $!";
                binmode $out;
                for my $slot (0 .. 287) {
                    next if $fault == 2 && $slot > 100;                 # short
                    next if $fault == 3 && $slot >= 120 && $slot < 144; # a hole
                    printf $out "%.4f - %02d:%02d\r\n", 1 + $s % 13 / 10 + ($index % 97 + $slot) / 10000,
                        int($slot * 5 / 60), $slot * 5 % 60;
                }
                close($out);
            }
        }' "$1" "$2" "$3"
}

# make_ticks FOLDER SYMBOLS DAYS: as make_days, of ticks at a U-shaped rate a minute.
make_ticks() {
    mkdir -p "$1"
    perl -MPOSIX=mktime -e '
        my ($folder, $symbols, $count) = @ARGV;
        my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
        my ($day, $index) = (mktime(0, 0, 12, 1, 0, 121), 0);
        srand(3);
        while ($index < $count) {
            my @t = localtime($day);
            $day += 86400;
            next if $t[6] == 0 || $t[6] == 6;
            ++$index;
            for my $s (0 .. $symbols - 1) {
                my $name = sprintf("%s/T%06d-%d-%s-%02d.txt", $folder, $s, $t[3],
                                   $months[$t[4]], $t[5] % 100);
                open(my $out, ">", $name) or die "$name: $!";
                for my $minute (570 .. 959) {
                    my $u = ($minute - 764.5) / 194.5;
                    my ($limit, $p) = (exp(-0.15 - 2.85 * $u * $u), rand());
                    for (; $p > $limit; $p *= rand()) {
                        printf $out "%.4f - %02d:%02d\r\n", 1 + $minute / 10000,
                            int($minute / 60), $minute % 60;
                    }
                }
                close($out);
            }
        }' "$1" "$2" "$3"
}

# measure NAME FOLDER: runs the check with its report and retry list and prints the figures.
measure() {
    local status=0
    find "$2" -name '*.txt' -type f -print0 | xargs -0 cat >/dev/null
    /usr/bin/time -f "%e" -o "$work/cat-time" bash -c \
        'find "$0" -name "*.txt" -type f -print0 | xargs -0 cat >/dev/null' "$2"
    /usr/bin/time -f "%U %S %e %M" -o "$work/time" "$check_tool" --retry-list "$work/retry.txt" \
        --html "$work/report.html" "$2" >"$work/out.txt" || status=$?
    [ "$status" -le 1 ] || { cat "$work/out.txt"; exit 1; }
    # time puts "Command exited with non-zero status 1" before the figures when days are faulty.
    read -r user system wall peak_kb < <(tail -n 1 "$work/time")
    echo "$1: day files $(find "$2" -name '*.txt' | wc -l), days to retry" \
        "$(grep -c . "$work/retry.txt" || true), report $(($(stat -c %s "$work/report.html") / 1024)) KB"
    awk -v user="$user" -v sys="$system" -v wall="$wall" -v kb="$peak_kb" \
        -v cat="$(cat "$work/cat-time")" 'BEGIN {
        printf "  CPU %.2f s (user %.2f, system %.2f), wall %.2f s, peak memory %.0f MB\n",
            user + sys, user, sys, wall, kb / 1024
        printf "  cat of the same files: wall %.2f s; the check takes %.1f times that\n",
            cat, wall / (cat > 0 ? cat : 0.01)
    }'
    rm -rf "$2"
}

for case in ${cases[*]}; do
    case $case in
    years) make_days "$work/days" 13 1305 && measure years "$work/days" ;;
    wide) make_days "$work/days" 77 1299 && measure wide "$work/days" ;;
    ticks) make_ticks "$work/days" 13 1305 && measure ticks "$work/days" ;;
    one-day) make_days "$work/days" 100000 1 && measure one-day "$work/days" ;;
    hostile)
        make_days "$work/days" 1 5
        ln -s /dev/zero "$work/days/S000000-11-Jan-21.txt"
        head -c 1073741824 /dev/zero | tr '\0' '\n' >"$work/days/S000000-12-Jan-21.txt"
        measure hostile "$work/days"
        grep unreadable "$work/out.txt"
        ;;
    *) echo "unknown case $case" >&2; exit 2 ;;
    esac
done
