#!/usr/bin/env bash
# Cost of the --csv step of pellmark-batch as the number of symbols grows: for 20,000, 40,000
# and 80,000 symbols with one saved day each, a --skip-saved run (nothing is fetched) is timed
# with and without --csv; the difference is the export. Goal: the time grows in step with the
# number of symbols, not with its square. Prints wall and user CPU seconds: the user time is
# the export's own work, the rest is the file system's (every CSV written, then one sync).
#
#   bench/csv_symbols.sh [BUILD_DIR] [COUNT]...    (default: build 20000 40000 80000)
set -euo pipefail

build=$(realpath "${1:-$(dirname "$0")/../build}")
shift || true
counts=("$@")
((${#counts[@]})) || counts=(20000 40000 80000)
batch=$build/tools/batch/pellmark-batch
[[ -x $batch ]] || { echo "csv_symbols: build $batch first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

timed() { # COMMAND...: prints the wall, user and system seconds of COMMAND
    /usr/bin/time -f "%e %U %S" -o "$work/time" "$@" >/dev/null 2>&1 || true
    cat "$work/time"
}

printf '%8s %18s %18s %18s\n' symbols "run wall/user (s)" "+csv wall/user (s)" "csv step wall/user"
for count in "${counts[@]}"; do
    rm -rf "$work/days" "$work/csv"
    mkdir "$work/days"
    # Wednesday 8 June 2005, 288 five-minute quotes per symbol.
    perl -e '
        my ($folder, $count) = @ARGV;
        my $day = join("", map { sprintf("%.4f - %02d:%02d\r\n", 1 + $_ / 10000, int($_ * 5 / 60), $_ * 5 % 60) } 0 .. 287);
        open(my $list, ">", "$folder/../symbols") or die;
        for my $i (1 .. $count) {
            my $symbol = sprintf("S%06d", $i);
            print $list "$symbol\n";
            open(my $out, ">", "$folder/$symbol-8-Jun-05.txt") or die;
            binmode $out;
            print $out $day;
            close($out);
        }' "$work/days" "$count"
    args=(--symbols-file "$work/symbols" --from 2005-06-08 --to 2005-06-08 --skip-saved --out "$work/days")
    read -r run_wall run_user _ < <(timed "$batch" "${args[@]}")
    read -r csv_wall csv_user _ < <(timed "$batch" "${args[@]}" --csv "$work/csv")
    written=$(find "$work/csv" -name '*.csv' | wc -l)
    [[ $written -eq $count ]] || echo "csv_symbols: $written CSVs written, not $count" >&2
    awk -v n="$count" -v rw="$run_wall" -v ru="$run_user" -v cw="$csv_wall" -v cu="$csv_user" \
        'BEGIN { printf "%8d %9.2f %8.2f %9.2f %8.2f %9.2f %8.2f\n", n, rw, ru, cw, cu, cw - rw, cu - ru }'
done
