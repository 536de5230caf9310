#!/usr/bin/env bash
# What each program prints, exits with, writes and asks, compared whole with an approved copy.
# scenarios/NAME.scenario: bash lines that make files (days, plain commands), start the local
# service (service ARGS) and run programs (run PROGRAM ARGS; OUT=FILE, PRELOAD=SHIM) at a fixed
# clock (CLOCK, GMT). outputs/NAME.txt: per run its output, errors and exit status, then every
# file left (size, mode, checksum, first and last lines) and every request the service got.
# Each scenario runs in two settings that must give the same copy: modes show as "umask"
# where the umask made them. --approve keeps the present output as approved (see git diff).
#   tests/approved/approved.sh BUILD_DIR [--approve] [SCENARIO...]   (default: all)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(realpath "$1") && shift
approve=$([ "${1:-}" = --approve ] && echo 1)
[ -n "$approve" ] && shift
[ $# -gt 0 ] || set -- "$here"/scenarios/*.scenario
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
tree=$(realpath "$here/../..")
export build results tree DATA=$tree/tests/data QT_QPA_PLATFORM=offscreen
export NO_TMPFILE_SHIM=$build/tests/tools/frame/libpellmark_no_tmpfile_shim.so
export ENOSPC_SHIM=$build/tests/libpellmark_enospc_shim.so
export FAULT_SHIM=$build/tests/approved/libpellmark_fault_shim.so
# faketime is preloaded before a sanitizer build's runtime.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
unset LANG LANGUAGE COLUMNS http_proxy https_proxy no_proxy DISPLAY "${!LC_@}" "${!PELLMARK_@}"
settings=("C.UTF-8 UTC 022" "de_DE.UTF-8 Asia/Tokyo 077")
locale -a | grep -qx de_DE.utf8 || { echo "no de_DE.UTF-8: run scripts/install-deps.sh --tests"; exit 1; }

# Bytes as sed's "l" shows them (\r, \t, octal beyond ASCII), each line after a tag.
shown() { LC_ALL=C sed -n 'l 0' | LC_ALL=C sed "s/\\$\$//; s/^/$1| /"; }

run() {
    local name=$1 dir=${1#pellmark-} program status
    shift
    program=$build/tools/${dir//-/_}/$name
    [ "$name" = pellmark ] && program=$build/src/pellmark
    printf '$ %s' "$name" && [ $# -eq 0 ] || printf ' %q' "$@" && echo
    : > "$S/out"
    # libfaketime itself: the faketime wrapper keeps a semaphore per process id, which a
    # wrapper that died leaves behind for the next one of that id.
    timeout 60 env LD_PRELOAD="${PRELOAD:-} /usr/\$LIB/faketime/libfaketime.so.1" \
        FAKETIME="@$(date -d "$CLOCK UTC" '+%F %T')" "$program" "$@" > "${OUT:-$S/out}" 2> "$S/err"
    status=$?
    shown out < "$S/out" && shown err < "$S/err" && echo "exit $status"
}

service() {
    echo "\$ service $*" && : > "$S/port"
    "$build/tools/quote_service/pellmark-quote-service" --port 0 --log "$S/asked" "$@" \
        > "$S/port" 2> /dev/null &
    echo $! > "$S/service"
    until [ "$(wc -l < "$S/port")" -gt 0 ] || ! kill -0 $!; do sleep 0.02; done
    export http_proxy=http://127.0.0.1:$(head -n 1 "$S/port")
}

# days FOLDER SYMBOLS FROM TO [SEED]: a file per symbol and week-day of 288 quotes of a seeded
# random walk, price first with " - ", dated an hour after its day; listed by checksum alone.
days() {
    mkdir -p "$1" && TZ=UTC perl -MPOSIX=mktime -e '
        my ($folder, $symbols, $from, $to, $seed) = @ARGV;
        my @months = qw(Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec);
        my @at = map { my @d = split /-/; mktime(0, 0, 0, $d[2], $d[1] - 1, $d[0] - 1900) } $from, $to;
        srand($seed // 1);
        for (my $day = $at[0]; $day <= $at[1]; $day += 86400) {
            my @t = gmtime($day);
            for my $symbol ($t[6] % 6 ? split(/,/, $symbols) : ()) {
                my $name = sprintf("%s/%s-%d-%s-%02d.txt", $folder, $symbol, $t[3], $months[$t[4]], $t[5] % 100);
                open(my $out, ">", $name) or die "$name: $!";
                my $price = 1 + rand();
                printf $out "%.4f - %02d:%02d\r\n", $price *= 1 + (rand() - 0.5) / 500, $_ / 12, $_ % 12 * 5 for 0 .. 287;
                close($out) && utime($day + 90000, $day + 90000, $name) && print "$name\n";
            }
        }' "$@" | while read -r made; do echo "$made $(md5sum < "$made" | cut -c 1-12)"; done >> "$S/made"
}

listing() {
    local file=$(printf '%o' $((0666 & ~0$(umask)))) dir=$(printf '%o' $((0777 & ~0$(umask)))) entry md5
    echo "== files"
    find . -mindepth 1 -printf '%P\n' | LC_ALL=C sort | while IFS= read -r entry; do
        if [ -L "$entry" ]; then
            echo "$entry -> $(readlink "$entry")"
        elif [ -d "$entry" ]; then
            echo "$entry/ mode $(stat -c %a "$entry" | sed "s/^$dir\$/umask/")"
        elif [ -f "$entry" ]; then
            md5=$(md5sum < "$entry" | cut -c 1-12)
            echo "$entry $(stat -c %s "$entry") bytes, mode $(stat -c %a "$entry" |
                sed "s/^$file\$/umask/"), md5 $md5"
            grep -qxF "$entry $md5" "$S/made" 2> /dev/null ||
                if [ "$(wc -l < "$entry")" -le 6 ]; then head -c 1000 "$entry" | shown " "; else
                    head -c 1000 "$entry" | head -n 3 | shown " " && echo " | ... $(wc -l < "$entry") lines" &&
                        tail -c 1000 "$entry" | tail -n 2 | shown " "; fi | cut -c 1-160
        else
            echo "$entry $(LC_ALL=C stat -c %F "$entry")"
        fi
    done | perl -pe 's/([^\x00-\x7f])/sprintf("\\%03o", ord $1)/ge;
        s/((\.txt|\.csv|\.html|market)\.)[0-9A-Za-z]{1,7} /$1<RANDOM> /' # a temporary's name
}

# play SCENARIO LOCALE ZONE UMASK: the transcript, with placeholders for the machine's paths
# and the service's port.
play() {
    local W S port
    W=$(mktemp -d) S=$(mktemp -d)
    (cd "$W" && export LC_ALL=$2 TZ=$3 && umask "$4" && CLOCK='2026-12-08 23:58' HOME=/home/you &&
        source "$1"
        [ -s "$S/service" ] && kill "$(cat "$S/service")" && wait
        listing
        [ -s "$S/service" ] && echo "== asked" && cut -f 2- "$S/asked" | shown asked
    ) > "$S/transcript" 2>&1
    port=$(head -n 1 "$S/port" 2> /dev/null)
    sed -e "s#$W#<DIR>#g; s#$S#<TMP>#g; s#$build#<BUILD>#g; s#$tree#<SOURCE>#g" \
        -e "${port:+s#\\b$port\\b#<PORT>#g}" "$S/transcript" > "$results/$(basename "$1") $2"
    rm -rf "$W" "$S"
}

export -f shown run service days listing play
for scenario; do
    scenario=$(realpath -e "$scenario" 2> /dev/null || echo "$here/scenarios/$scenario.scenario")
    printf "$scenario %s\n" "${settings[@]}"
done | xargs -P 6 -L 1 bash -c 'play "$@"' play
failed=0
for scenario; do
    name=$(basename "$scenario" .scenario) && approved=$here/outputs/$name.txt
    [ -n "$approve" ] && cp "$results/$name.scenario ${settings[0]%% *}" "$approved"
    for setting in "${settings[@]}"; do
        diff -uN --label "$name as approved" --label "$name in $setting" "$approved" \
            "$results/$name.scenario ${setting%% *}" || failed=$((failed + 1))
    done
done
echo "$# scenarios, $failed transcripts differ from the approved copies"
[ "$failed" -eq 0 ]
