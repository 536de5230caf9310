# Sourced by the benchmark scripts (bash): checks that the run driver and the local quote
# service are built, makes a scratch folder ($work) removed when the script ends, and gives
# start_service [SERVICE OPTION]... (starts the service on a free port with a request log in
# $work, sets $port) and stop_service. Needs $name (for messages), $build, $driver and $service.

# The driver reads page bodies with the build's helper.
export PELLMARK_PAGE_BODY=$build/src/net/pellmark-page-body
for binary in "$driver" "$service" "$PELLMARK_PAGE_BODY"; do
    [[ -x $binary ]] || { echo "$name: build $binary first" >&2; exit 2; }
done

work=$(mktemp -d)
service_pid=
stop_service() {
    [[ -n $service_pid ]] && kill "$service_pid" 2>/dev/null && wait "$service_pid" || true
    service_pid=
}
cleanup() {
    stop_service
    rm -rf "$work"
}
trap cleanup EXIT

start_service() {
    rm -f "$work/port" "$work/requests.log"
    "$service" --port 0 --log "$work/requests.log" "$@" >"$work/port" &
    service_pid=$!
    for _ in $(seq 100); do
        [[ -s $work/port ]] && break
        sleep 0.05
    done
    port=$(head -n1 "$work/port")
    [[ -n $port ]] || { echo "$name: the quote service did not start" >&2; exit 1; }
}
