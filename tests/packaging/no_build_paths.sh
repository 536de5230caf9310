#!/bin/sh
# Fails when a program names the folders it was built from: a path there, such as a place to
# look for a helper, would point at whatever another user puts there later. Both 8-bit and
# UTF-16 text (Qt string literals) are searched. A path that climbs from a moc folder back to
# a header fails too: with the build folder outside the source folder it would climb out of
# the build folder and spell the source folder's path, where no prefix map reaches.
# usage: no_build_paths.sh SOURCE_DIR BUILD_DIR PROGRAM...
set -eu
source_dir=$1
build_dir=$2
shift 2
status=0
for program in "$@"; do
    text=$(strings -a "$program" && strings -a -el "$program")
    found=$( {
        printf '%s\n' "$text" | grep -F -e "$source_dir" -e "$build_dir" || true
        printf '%s\n' "$text" | grep -e '_autogen/.*\.\./' || true
    } | sort -u)
    if [ -n "$found" ]; then
        echo "FAIL: $program holds:"
        echo "$found"
        status=1
    fi
done
exit "$status"
