#!/bin/sh
# Walks through Pellmark as a user would: the real program against the real local quote
# service, on a virtual X server with a window manager (openbox) and a notification area
# (trayer), driven with xdotool. Checks what lands on disk, the errors retry, Stop, the
# notification-area icon, the about box, and the programs copied alone into an empty folder.
# Exits 77 (skipped) when the X tools are missing
# or no X server can be started.
# Usage: e2e_walkthrough.sh PELLMARK QUOTE_SERVICE PELLMARK_BATCH [SCREENSHOT_DIR]
#   SCREENSHOT_DIR, when given, receives pictures of the screen at the main steps, and of
#   the screen at the moment of a failure.
set -u
if [ $# -lt 3 ]; then
    echo "usage: $0 PELLMARK QUOTE_SERVICE PELLMARK_BATCH [SCREENSHOT_DIR]" >&2
    exit 2
fi
program=$(realpath "$1")
service=$(realpath "$2")
batch=$(realpath "$3")
shots=${4:-}

. "$(dirname "$0")/../support/xdesktop.sh"
# import (ImageMagick) takes the pictures.
require_x_tools ${shots:+import}

work=$(mktemp -d)
out=$work/out
mkdir -p "$out" "$work/runtime" "$work/home"
chmod 700 "$work/runtime"
[ -n "$shots" ] && mkdir -p "$shots"
pids=""
service_pid=""
app_pid=""
cleanup() {
    for pid in $app_pid $service_pid $pids; do kill "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT
# Make a signal run the cleanup too: leave no X server or service behind.
trap 'exit 1' HUP INT PIPE TERM

shot() {
    [ -n "$shots" ] && import -window root "$shots/$1.png" 2>/dev/null
    return 0
}

fail() {
    echo "FAIL: $*"
    shot failure
    echo "--- windows:"
    xdotool search --onlyvisible --name . 2>/dev/null | while read -r id; do
        echo "$id $(xdotool getwindowname "$id" 2>/dev/null)"
    done
    echo "--- files in the save folder:"
    ls -l "$out"
    for log in "$work"/*.log; do
        echo "--- $log:"
        tail -n 40 "$log"
    done
    exit 1
}

# wait_for SECONDS DESCRIPTION COMMAND...: retries COMMAND ten times a second.
wait_for() {
    tries=$(($1 * 10))
    what=$2
    shift 2
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -le 0 ] && fail "timed out waiting for $what"
        sleep 0.1
    done
}

# --- the virtual desktop: X server, window manager, notification area
start_x_desktop 1024x768

# --- the local quote service; restarted on the same port to change its faults
port=0
start_service() {
    : >"$work/port"
    "$service" --port "$port" --log "$work/requests.log" "$@" >"$work/port" 2>>"$work/service.log" &
    service_pid=$!
    wait_for 10 "the quote service" test -s "$work/port"
    port=$(head -n 1 "$work/port")
}
stop_service() {
    kill "$service_pid"
    wait "$service_pid"
    service_pid=""
}
# requests STK DATE: how often the service was asked for that stk field and date label.
requests() {
    grep -c "&stk=$1&date=$2\$" "$work/requests.log"
}

# --- the program, started the way scripts/run.sh starts it
# The service has no data for this one symbol-day until it is restarted without faults.
start_service --only USAMSFT-6-Jun-05 --no-data-first 1000
# start_program PATH [ENV OPTION...]: with a home of its own, to show whatever it would keep.
start_program() {
    path=$1
    shift
    (cd "$work" && exec env "$@" LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home" \
        XDG_CONFIG_HOME= http_proxy="http://127.0.0.1:$port" no_proxy="" "$path" \
        >>"$work/program.log" 2>&1) &
    app_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Tarnwick - Pellmark v1\.0' |
        head -n 1)
}
start_program "$program"
[ -n "$window" ] || fail "the main window did not appear"
hex=$(printf '0x%x' "$window")
size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$size" = "690x300" ] || fail "the main window is $size, not 690x300"
timeout 5 xdotool windowactivate --sync "$window" || fail "the main window cannot be activated"
shot 1-start

# Positions below are inside the window's client area (see src/gui/MainWindow.ui).
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; }
# key_to WINDOW KEY...: types the keys into that window, as the user would after
# bringing it to the front.
key_to() {
    target=$1
    shift
    timeout 5 xdotool windowactivate --sync "$target" >/dev/null 2>&1
    xdotool key "$@"
}
keys() { key_to "$window" "$@"; }
# type_over X Y TEXT: replaces the text of a one-line edit field.
type_over() {
    click "$1" "$2"
    xdotool key ctrl+a type "$3"
}
# memo_lines X Y LINE...: replaces the text of a multi-line edit field.
memo_lines() {
    click "$1" "$2"
    xdotool key ctrl+a BackSpace
    shift 2
    first=1
    for line; do
        [ "$first" ] || xdotool key Return
        xdotool type "$line"
        first=""
    done
}
# set_date Y DMMMYYYY: clicks the day of the picker at height Y, which selects it, and types
# over the date, for example 03Jun2005; each part moves on to the next once complete.
set_date() {
    click 376 "$1"
    xdotool type "$2"
}
# pick_in_list X Y KEY: opens the drop-down list and moves to the next (Down) or the
# previous (Up) item.
pick_in_list() {
    click "$1" "$2"
    # The list opens on the next paint.
    sleep 0.3
    xdotool key "$3" Return
}
box_up() { xdotool search --onlyvisible --name "^$1" | head -n 1 | grep .; }
# The end-of-run boxes, and the error report, which is titled with the application title.
any_box_up() { box_up '(Warning|Information|Tarnwick Pellmark)'; }
# close_box TITLE: waits for the next message box, which must have that title, and presses
# its OK button.
close_box() {
    wait_for 30 "a message box \"$1\"" any_box_up
    box=$(any_box_up)
    title=$(xdotool getwindowname "$box")
    case "$title" in
    "$1"*) ;;
    *) fail "expected a box \"$1\", got \"$title\"" ;;
    esac
    key_to "$box" Return
    wait_for 5 "the box \"$1\" to close" box_gone "$box"
}
box_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
no_box() { ! box_up "$1" >/dev/null; }

# count FILE...: how many of the files exist (an unmatched pattern stays as it is).
count() {
    n=0
    for file; do [ -e "$file" ] && n=$((n + 1)); done
    echo "$n"
}

cr=$(printf '\r')
# check_lines FILE REGEX: every line matches REGEX and ends with CR LF.
check_lines() {
    [ -s "$1" ] || fail "$1 is empty"
    bad=$(LC_ALL=C grep -c -v -E "^$2$cr\$" "$1")
    [ "$bad" -eq 0 ] || fail "$1 has $bad lines unlike '$2' + CR LF: $(head -n 3 "$1" | od -c | head -n 4)"
    [ "$(tail -c 2 "$1" | od -An -c | tr -d ' ')" = '\r\n' ] || fail "$1 does not end with CR LF"
}
time_first_semicolon='[0-9][0-9]:[0-9][0-9];[0-9]+\.[0-9]+'
price_first_default='[0-9]+\.[0-9]+ - [0-9][0-9]:[0-9][0-9]'

# --- 1. Stocks, two symbols, Friday to Monday, time first with ";", a typed save folder
click 112 24
memo_lines 140 60 USAMSFT UK_BT
pick_in_list 400 94 Up
type_over 450 94 ";"
type_over 430 158 "$out/"
# The folder chooser, opened and cancelled, must leave no settings behind.
click 524 158
wait_for 10 "the folder chooser" box_up "Select Directory"
key_to "$(box_up "Select Directory")" Escape
wait_for 5 "the folder chooser to close" no_box "Select Directory"
# The end date is typed last and the field never left: Alt+D runs on it as shown.
set_date 39 03Jun2005
set_date 63 06Jun2005
shot 2-settings
keys alt+d
close_box Warning
close_box Information
shot 3-first-run-done
for name in USAMSFT-3-Jun-05 UK_BT-6-Jun-05 UK_BT-3-Jun-05; do
    check_lines "$out/$name.txt" "$time_first_semicolon"
done
[ -e "$out/USAMSFT-6-Jun-05.txt" ] && fail "a file was written for a symbol-day without data"
[ "$(count "$out"/*)" -eq 3 ] || fail "unexpected files: $(ls "$out")"
grep -q 'stk=frx' "$work/requests.log" && fail "stocks were requested as currency pairs"
grep -q 'date=[45]-Jun-05' "$work/requests.log" && fail "the weekend was requested"
[ "$(requests USAMSFT 6-Jun-05)" -gt 1 ] || fail "the day without data was not asked again"
echo "download: 3 files time first with ';', USAMSFT-6-Jun-05 listed as failed"

# The user adds a day of their own below the listed one, typing it key by key.
click 650 200
xdotool key ctrl+End type UK_BT-7-Jun-05

# --- 2. the service answers again; Download Errors fetches the failed day
stop_service
start_service
keys alt+e
# Only the information box: nothing failed again.
close_box Information
check_lines "$out/USAMSFT-6-Jun-05.txt" "$time_first_semicolon"
check_lines "$out/UK_BT-7-Jun-05.txt" "$time_first_semicolon"
[ "$(requests UK_BT 7-Jun-05)" -eq 1 ] || fail "the day typed into the errors list was not fetched"
# The errors list is empty now: a second retry only says so.
before=$(wc -l <"$work/requests.log")
keys alt+e
close_box Warning
[ "$(wc -l <"$work/requests.log")" -eq "$before" ] || fail "an empty errors list fetched something"
echo "retry: USAMSFT-6-Jun-05 and the typed UK_BT-7-Jun-05 fetched, errors list empty"

# --- 3. Forex, three pairs, default format, the save folder typed without its separator;
# Stop, then the errors list resumes the run
click 32 24
memo_lines 60 60 AUDUSD USDJPY USDCAD
pick_in_list 500 94 Up
type_over 450 94 " - "
type_over 430 158 "$out"
keys alt+d
wait_for 15 "the first currency file" test -e "$out/AUDUSD-6-Jun-05.txt"
keys alt+s
shot 4-stopped
currency_files() { count "$out"/AUDUSD-* "$out"/USDJPY-* "$out"/USDCAD-*; }
stopped_with=$(currency_files)
# Longer than the pause before each fetch: a run still going would write another file.
sleep 2
[ "$(currency_files)" -eq "$stopped_with" ] ||
    fail "files were still written after Stop"
[ "$stopped_with" -lt 6 ] || fail "Stop came after the end of the run"
no_box '(Warning|Information)' || fail "a stopped run showed its end-of-run messages"
done_before_stop=""
for file in "$out"/AUDUSD-* "$out"/USDJPY-* "$out"/USDCAD-*; do
    [ -e "$file" ] && done_before_stop="$done_before_stop $(basename "$file" .txt)"
done
echo "stop: $stopped_with of 6 currency files written"

# --- 4. the retry goes on while the window is hidden in the notification area
name=$(basename "$program")
map_state() { xwininfo -id "$window" | sed -n 's/.*Map State: //p'; }
is_viewable() { [ "$(map_state)" = "IsViewable" ]; }
is_unmapped() { [ "$(map_state)" = "IsUnMapped" ]; }
on_task_bar() { xprop -root _NET_CLIENT_LIST | grep -qi "$hex"; }
off_task_bar() { ! on_task_bar; }

keys alt+e
xdotool windowminimize "$window"
wait_for 10 "the notification-area icon" icon_shown
wait_for 5 "the window to hide" is_unmapped
wait_for 5 "the task-bar entry to go" off_task_bar
shot 5-in-tray
close_box Information
is_unmapped || fail "the end of the run brought the window back"
for symbol in AUDUSD USDJPY USDCAD; do
    for day in 6-Jun-05 3-Jun-05; do
        check_lines "$out/$symbol-$day.txt" "$price_first_default"
    done
done
for item in $done_before_stop; do
    [ "$(requests "frx${item%%-*}" "${item#*-}")" -eq 1 ] ||
        fail "$item was fetched again although it was saved before Stop"
done
echo "retry after stop: all 6 currency files, price first with ' - ', written while hidden"

icon=$(icon_window)
geometry=$(xwininfo -id "$icon")
x=$(echo "$geometry" | sed -n 's/.*Absolute upper-left X: *//p')
y=$(echo "$geometry" | sed -n 's/.*Absolute upper-left Y: *//p')
xdotool mousemove $((x + 11)) $((y + 13)) click --repeat 2 --delay 80 1
wait_for 5 "the window to come back" is_viewable
wait_for 5 "the task-bar entry" on_task_bar
icon_gone() { ! xwininfo -id "$icon"; }
wait_for 5 "the icon to go" icon_gone
echo "tray: hidden on minimise, back on a double-click"

# --- 5. dates typed and not left: Alt+S and Enter start a run on them too
memo_lines 60 60 AUDUSD
for start in alt+s:8 Return:9; do
    set_date 39 "0${start#*:}Jun2005"
    set_date 63 "0${start#*:}Jun2005"
    keys "${start%:*}"
    close_box Information
    [ "$(requests frxAUDUSD "${start#*:}-Jun-05")" -eq 1 ] || fail "$start: not the typed day"
done
echo "typed dates: Alt+D, Alt+S and Enter each ran on the dates as shown"

# --- 6. typing in the errors list while a run adds failed days; the USAMSFT days after them
# leave time to type before the run ends
stop_service
start_service --only UK_BT --no-data-first 1000
click 112 24
memo_lines 140 60 UK_BT USAMSFT
set_date 39 01Jun2005
set_date 63 03Jun2005
click 650 200
xdotool type USAMSFT-13-Jun-05
xdotool key Return
keys alt+d
failed_seven_times() { [ "$(requests UK_BT "$1")" -ge 7 ]; }
log_grew() { [ "$(wc -l <"$work/requests.log")" -gt "$1" ]; }
# added DAY: waits until UK_BT DAY is listed, which the next day's request follows.
added() {
    wait_for 40 "UK_BT $1 to fail" failed_seven_times "$1"
    wait_for 10 "the day after UK_BT $1" log_grew "$(wc -l <"$work/requests.log")"
}
# At the very end, what is typed goes on a line of its own after the added day; inside the
# list it stays where it was; over a selection it replaces it.
added 3-Jun-05
xdotool type USAMSFT-14-Jun-05
xdotool key ctrl+Home
added 2-Jun-05
xdotool type USAMSFT-15-Jun-05
xdotool key Return ctrl+Home shift+End
added 1-Jun-05
xdotool type USAMSFT-16-Jun-05
wait_for 30 "the end of the run" any_box_up
shot 7-typed-while-adding
close_box Warning
close_box Information
stop_service
start_service
keys alt+e
close_box Information
for day in 13:1 14:1 15:0 16:1; do
    [ "$(requests USAMSFT "${day%:*}-Jun-05")" -eq "${day#*:}" ] || fail "retry of ${day%:*} Jun"
done
echo "errors list: typing at the end, inside and over a selection kept apart from added days"

# --- 7. the about box: Escape leaves it open, Enter closes it
keys alt+a
wait_for 10 "the about box" box_up About
about=$(box_up About)
shot 6-about
key_to "$about" Escape
sleep 0.5
box_up About >/dev/null || fail "Escape closed the about box"
key_to "$about" Return
wait_for 5 "the about box to close" box_gone "$about"
echo "about box: shown, stays on Escape, closes on Enter"

# --- 8. closing the window ends the program
keys alt+F4
ended() { ! ps -o stat= -p "$app_pid" | grep -q -v Z; }
wait_for 10 "the program to end" ended
wait "$app_pid"
status=$?
app_pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"
echo "closed: the program ended with status 0"
[ -e "$work/home/.config/QtProject.conf" ] && fail "settings were kept: $(find "$work/home" -type f)"
echo "nothing kept: no settings file in the home folder"

# --- 9. the programs copied alone into an empty folder say what they miss and ask nothing
mkdir "$work/alone"
cp "$program" "$batch" "$work/alone/"
asked=$(wc -l <"$work/requests.log")
start_program "$work/alone/$name" -u PELLMARK_PAGE_BODY
keys alt+d
wait_for 10 "the error box" box_up "Tarnwick Pellmark"
shot 8-alone
close_box "Tarnwick Pellmark"
keys alt+F4
status=0
env -u PELLMARK_PAGE_BODY http_proxy="http://127.0.0.1:$port" "$work/alone/${batch##*/}" \
    --symbols AUDUSD --out "$out" 2>"$work/batch.log" || status=$?
[ "$status" -eq 2 ] && grep -qF "$work/alone/pellmark-page-body" "$work/batch.log" ||
    fail "the lone pellmark-batch exited $status: $(cat "$work/batch.log")"
[ "$(wc -l <"$work/requests.log")" -eq "$asked" ] || fail "a lone program asked the service"
echo "alone: the window and pellmark-batch refused to run, naming where the helper was looked for"
