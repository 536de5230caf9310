#!/usr/bin/env bash
# What each program says, exits with, writes and asks, compared whole with an approved copy.
# Each scenarios/NAME.scenario holds bash lines that make a folder (days, plain commands),
# start the local service (service ARGS) and run programs (run PROGRAM ARGS) under a fixed
# clock (CLOCK, GMT); outputs/NAME.txt is its approved transcript: per run, standard output,
# standard error and exit status, then every file left in the folder (name, size, mode, bytes)
# and every request the service received. Each scenario runs twice, in C.UTF-8 at GMT with
# umask 022 and in de_DE.UTF-8 at Tokyo with umask 077: both must give the approved copy, so
# nothing may follow the system's language or zone, and modes show as "umask" where they are
# what the umask gives a new file.
#   tests/approved/approved.sh BUILD_DIR [--approve] [SCENARIO...]   (default: every scenario)
# --approve keeps the first run's transcripts as the approved copies (review them with git diff).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1") && shift
approve=""
[ "${1:-}" = --approve ] && approve=1 && shift
[ $# -gt 0 ] || set -- "$here"/scenarios/*.scenario
# A scenario may be named alone: batch-refusals for scenarios/batch-refusals.scenario.
for scenario; do
    shift && set -- "$@" "$(realpath -e "$scenario" 2> /dev/null || echo "$here/scenarios/$scenario.scenario")"
done
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
tree=$(realpath "$here/../..")
export build results tree DATA=$tree/tests/data QT_QPA_PLATFORM=offscreen
export NO_TMPFILE_SHIM=$build/tests/tools/frame/libpellmark_no_tmpfile_shim.so
export ENOSPC_SHIM=$build/tests/libpellmark_enospc_shim.so
# faketime is preloaded before a sanitizer build's runtime.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
unset LANG LANGUAGE COLUMNS http_proxy https_proxy no_proxy DISPLAY WAYLAND_DISPLAY
unset "${!LC_@}" "${!PELLMARK_@}"

# Bytes as sed's "l" shows them (\r, \t, octal beyond ASCII), each line after a tag.
shown() { LC_ALL=C sed -n 'l 0' | LC_ALL=C sed "s/\\$\$//; s/^/$1| /"; }

# run PROGRAM ARGS: one run under the scenario's clock; OUT=FILE sends standard output there,
# PRELOAD=LIBRARY preloads a shim.
run() {
    local name=$1 dir=${1#pellmark-} program status
    shift
    program=$build/tools/${dir//-/_}/$name
    [ "$name" = pellmark ] && program=$build/src/pellmark
    printf '$ %s' "$name" && [ $# -eq 0 ] || printf ' %q' "$@" && echo
    : > "$S/out"
    LD_PRELOAD=${PRELOAD:-} timeout 60 faketime "$(date -d "$CLOCK UTC" '+%F %T')" "$program" "$@" \
        > "${OUT:-$S/out}" 2> "$S/err"
    status=$?
    shown out < "$S/out" && shown err < "$S/err" && echo "exit $status"
}

# service ARGS: the local service for the rest of the scenario, its requests logged.
service() {
    echo "\$ service $*" && : > "$S/port"
    "$build/tools/quote_service/pellmark-quote-service" --port 0 --log "$S/asked" "$@" \
        > "$S/port" 2> "$S/service.err" &
    echo $! > "$S/service"
    until [ "$(wc -l < "$S/port")" -gt 0 ] || ! kill -0 $!; do sleep 0.02; done
    export http_proxy=http://127.0.0.1:$(head -n 1 "$S/port")
}

# days FOLDER SYMBOLS FROM TO [SEED]: a day file per symbol and week-day, 288 quotes of a
# random walk, price first with " - ", each saved an hour after its day ended in GMT. The
# listing shows files as made only by name and checksum.
days() {
    mkdir -p "$1" && perl -MPOSIX=mktime,tzset -e '
        my ($folder, $symbols, $from, $to, $seed) = @ARGV;
        $ENV{TZ} = "UTC"; tzset();
        srand($seed // 1);
        my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
        my @at = map { my @d = split /-/; mktime(0, 0, 0, $d[2], $d[1] - 1, $d[0] - 1900) } $from, $to;
        for (my $day = $at[0]; $day <= $at[1]; $day += 86400) {
            my @t = gmtime($day);
            next if $t[6] == 0 || $t[6] == 6;
            for my $symbol (split /,/, $symbols) {
                my $name = sprintf("%s/%s-%d-%s-%02d.txt", $folder, $symbol, $t[3], $months[$t[4]], $t[5] % 100);
                open(my $out, ">", $name) or die "$name: $!";
                my $price = 1 + rand();
                printf $out "%.4f - %02d:%02d\r\n", $price *= 1 + (rand() - 0.5) / 500, $_ / 12, $_ % 12 * 5 for 0 .. 287;
                close($out);
                utime($day + 90000, $day + 90000, $name);
                print "$name\n";
            }
        }' "$@" | while read -r made; do echo "$made $(md5sum < "$made" | cut -c 1-12)"; done >> "$S/made"
}

# Every entry of the folder: links with their target, files with size, mode, checksum and
# their first and last lines; bytes beyond ASCII in names in octal.
listing() {
    local umask_file umask_dir entry lines md5
    umask_file=$(printf '%o' $((0666 & ~0$(umask)))) umask_dir=$(printf '%o' $((0777 & ~0$(umask))))
    echo "== files"
    find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | while IFS= read -r entry; do
        if [ -L "$entry" ]; then
            echo "$entry -> $(readlink "$entry")"
        elif [ -d "$entry" ]; then
            echo "$entry/ mode $(stat -c %a "$entry" | sed "s/^$umask_dir\$/umask/")"
        elif [ -f "$entry" ]; then
            lines=$(wc -l < "$entry") md5=$(md5sum < "$entry" | cut -c 1-12)
            echo "$entry $(stat -c %s "$entry") bytes, mode $(stat -c %a "$entry" |
                sed "s/^$umask_file\$/umask/"), md5 $md5"
            grep -qxF "$entry $md5" "$S/made" 2> /dev/null && continue
            if [ "$lines" -le 6 ]; then head -c 1000 "$entry" | shown " "; else
                head -c 1000 "$entry" | head -n 3 | shown " " && echo " | ... $lines lines" &&
                    tail -c 1000 "$entry" | tail -n 2 | shown " "; fi | cut -c 1-160
        else
            echo "$entry $(LC_ALL=C stat -c %F "$entry")"
        fi
    done | perl -pe 's/([^\x00-\x7f])/sprintf("\\%03o", ord $1)/ge'
}

# play SCENARIO VARIANT: the scenario's transcript in results/, with placeholders for the
# scenario's folder, the service's port and the build.
play() {
    local name variant=$2 W S
    name=$(basename "$1" .scenario) W=$(mktemp -d) S=$(mktemp -d)
    (
        cd "$W" || exit
        if [ "$variant" = plain ]; then export LC_ALL=C.UTF-8 TZ=UTC && umask 022
        else export LC_ALL=de_DE.UTF-8 TZ=Asia/Tokyo && umask 077; fi
        CLOCK='2026-12-08 23:58' HOME=/home/you
        source "$1"
        [ -s "$S/service" ] && kill "$(cat "$S/service")" && wait
        listing
        [ -s "$S/service" ] && echo "== asked" && cut -f 2- "$S/asked" | shown asked
    ) > "$S/transcript" 2>&1
    port=$(head -n 1 "$S/port" 2> /dev/null)
    sed -e "s#$W#<DIR>#g; s#$S#<TMP>#g; s#$build#<BUILD>#g; s#$tree#<SOURCE>#g" \
        -e "${port:+s#\\b$port\\b#<PORT>#g}" "$S/transcript" > "$results/$name.$variant"
    rm -rf "$W" "$S"
}

export -f shown run service days listing play
for scenario; do printf '%s\n%s\n' "$scenario plain" "$scenario other"; done |
    xargs -P 6 -L 1 bash -c 'play "$0" "$1"'
failed=0
for scenario; do
    name=$(basename "$scenario" .scenario)
    approved=$here/outputs/$name.txt
    [ -n "$approve" ] && cp "$results/$name.plain" "$approved"
    [ -f "$approved" ] || approved=/dev/null
    for variant in plain other; do
        label="$name as run now ($([ $variant = plain ] && echo C.UTF-8, GMT, umask 022 ||
            echo de_DE.UTF-8, Tokyo, umask 077))"
        diff -u --label "$name as approved" --label "$label" "$approved" \
            "$results/$name.$variant" || failed=$((failed + 1))
    done
done
echo "$# scenarios, $failed transcripts differ from the approved copies"
[ "$failed" -eq 0 ]
