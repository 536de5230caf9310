#!/bin/sh
# Makes a sample save folder (two currency pairs and a stock, June to November 2026, with a
# few faults, a week of missing days, a day file on a Saturday, one pair saved every minute
# from October on, and the stock's holiday closures), runs pellmark-check on it, prints what it
# says, and renders its HTML report with headless Chromium into a picture. Builds nothing.
# Usage: scripts/check-report-picture.sh BUILD_DIR [PNG]   (PNG defaults to docs/check-report.png)
set -eu
if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [PNG]" >&2
    exit 2
fi
command -v chromium >/dev/null || { echo "chromium is missing; scripts/install-deps.sh --tests installs it" >&2; exit 1; }
check_tool=$(realpath "$1")/tools/check/pellmark-check
png=$(realpath -m "${2:-$(dirname "$0")/../docs/check-report.png}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/prices"

# A seeded random walk, so that the picture only changes when the program does.
perl -MPOSIX=mktime -e '
    my $folder = shift;
    my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
    srand(7);
    my %price = (AUDUSD => 0.6600, EURUSD => 1.1400, USAMSFT => 455.00);
    my %fault = ("AUDUSD 8-Jul-26" => "short", "AUDUSD 14-Sep-26" => "hole",
                 "AUDUSD 21-Oct-26" => "empty", "EURUSD 2-Sep-26" => "missing",
                 "EURUSD 6-Oct-26" => "missing", "EURUSD 12-Aug-26" => "unreadable",
                 "USAMSFT 3-Jul-26" => "missing", "USAMSFT 7-Sep-26" => "missing",
                 "USAMSFT 26-Nov-26" => "missing", "USAMSFT 17-Aug-26" => "short",
                 map { ("AUDUSD $_-Oct-26" => "missing") } 5 .. 9);
    for (my $day = mktime(0, 0, 12, 1, 5, 126); $day < mktime(0, 0, 12, 28, 10, 126); $day += 86400) {
        my @t = localtime($day);
        next if $t[6] == 0 || $t[6] == 6;
        for my $symbol (sort keys %price) {
            my $label = sprintf("%d-%s-%02d", $t[3], $months[$t[4]], $t[5] % 100);
            my $what = $fault{"$symbol $label"} // "";
            my $stock = $symbol eq "USAMSFT";
            my $step = $stock ? 0.0012 : 0.0004;
            my $minutes = $symbol eq "EURUSD" && $day >= mktime(0, 0, 12, 1, 9, 126) ? 1 : 5;
            my @slots = $stock ? (114 .. 192) : (0 .. ($t[6] == 5 ? 1320 : 1440) / $minutes - 1);
            my $lines = "";
            for my $slot (@slots) {
                $price{$symbol} *= 1 + $step * (rand() - 0.5);
                next if $what eq "short" && $slot > $slots[0] + @slots / 2;
                next if $what eq "hole" && $slot > 120 && $slot < 144;
                my $p = sprintf($stock ? "%.2f" : "%.4f", $price{$symbol});
                my $minute = $slot * $minutes;
                $lines .= sprintf("%s - %02d:%02d\r\n", $p, int($minute / 60), $minute % 60);
            }
            next if $what eq "missing";
            $lines = "" if $what eq "empty";
            $lines .= "<html>\r\n" if $what eq "unreadable";
            open(my $out, ">", "$folder/$symbol-$label.txt") or die;
            binmode $out;
            print $out $lines;
            close($out);
        }
    }
    open(my $saturday, ">", "$folder/AUDUSD-12-Sep-26.txt") or die;
    print $saturday "0.6612 - 09:00\r\n";
    close($saturday);' "$work/prices"

(cd "$work" && "$check_tool" --retry-list failed.txt --html report.html prices) || true
chromium --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$work/profile" \
    --hide-scrollbars --screenshot="$png" --window-size=820,1240 "file://$work/report.html" \
    2>/dev/null
echo "wrote $png"
