#!/bin/sh
# The README's command blocks (```sh) run in order as a newcomer types them, in a home folder of
# their own beside a checkout's build/, the installed names found on PATH: a block that starts
# the local service runs in the background and gives PORT; a cron line runs its command.
set -eu
home=$(mktemp -d) && ln -s "$2" "$home/build" && cd "$home" && export HOME="$home" && : >pids
trap 'kill $(cat "$home/pids") 2>/dev/null; rm -rf "$home"' EXIT
for dir in batch export check quote_service; do PATH=$2/tools/$dir:$PATH; done
awk '/^```sh$/ { on = 1; next } /^```$/ { on = 0 } on' "$1/README.md" |
    sed -e ':a' -e '/\\$/N; s/\\\n//; ta' -e 's/^30 23 \* \* 1-5 *//' >commands
while IFS= read -r line; do
    line=$(printf '%s' "$line" | sed "s/PORT/${port:-PORT}/g") && echo "\$ $line"
    case $line in
    *"--port 0") (eval "exec $line") >port & echo $! >>pids
        until [ -s port ]; do sleep 0.1; done; port=$(head -n 1 port) && rm port ;;
    *) eval "$line" </dev/null || { echo "FAILED ($?): $line"; exit 1; } ;;
    esac
done <commands
# Twelve commands at least, and the quotes' CSV beside the bars'.
[ "$(wc -l <commands)" -ge 12 ] && [ -s csv/AUDUSD.csv ] && [ -s csv/AUDUSD-1h.csv ]
