#!/bin/sh
# Plants each known one-line fault (tests/mutants/*.patch) in turn into a scratch copy of the
# tree, rebuilds it incrementally and runs the suites named in the patch's "Caught-by:" line.
# Prints which test caught each fault; exits 1 when a fault passes every suite it names.
# Takes several minutes; not part of the test command. Usage: scripts/mutants.sh [PATCH...]
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
scratch=${PELLMARK_MUTANTS_DIR:-$root/build-mutants}
# The copy's build folder sits inside it as build/ does in the tree, so that ccache, with paths
# taken relative to the tree, serves the first build from the tree's own.
copy=$scratch/src
build=$copy/build
logs=$scratch/logs
mkdir -p "$copy" "$logs"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
started=$(date +%s)

# Only files whose content differs are copied (and so get a new time), so each rebuild
# compiles only what a patch or a change to the tree touched.
sync_tree() {
    git ls-files | while IFS= read -r file; do
        cmp -s "$file" "$copy/$file" 2>/dev/null && continue
        mkdir -p "$copy/$(dirname "$file")"
        cp "$file" "$copy/$file"
    done
}

[ $# -gt 0 ] || set -- tests/mutants/*.patch
sync_tree
cmake -S "$copy" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELLMARK_BENCHMARKS=OFF > "$logs/configure.log"
cmake --build "$build" -j "$(nproc)" > "$logs/build.log" 2>&1 ||
    { echo "the tree itself does not build: see $logs/build.log"; exit 1; }

survivors=0
for patch in "$@"; do
    name=$(basename "$patch" .patch)
    suites=$(sed -n 's/^Caught-by: *//p' "$patch")
    if [ -z "$suites" ] || ! patch -s --dry-run -d "$copy" -p1 < "$patch" > /dev/null; then
        echo "$name: does not apply or names no suite (update the patch)"
        survivors=$((survivors + 1)); continue
    fi
    patch -s -d "$copy" -p1 < "$patch"
    if ! cmake --build "$build" -j "$(nproc)" > "$logs/$name.build.log" 2>&1; then
        echo "$name: does not build (update the patch)"; survivors=$((survivors + 1))
    elif ctest --test-dir "$build" -R "$suites" -j 2 --output-on-failure \
        > "$logs/$name.test.log" 2>&1; then
        echo "$name: NOT CAUGHT by $suites"; survivors=$((survivors + 1))
    else
        # The suites that failed, then the rows that did (QtTest's "FAIL!" lines).
        caught=$(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p' \
            "$logs/$name.test.log" | paste -s -d ' ' -)
        rows=$(sed -n 's/^FAIL! *: *\([^(]*([^)]*)\).*/\1/p' "$logs/$name.test.log" |
            sort -u | head -n 3 | paste -s -d ';' -)
        echo "$name: caught by ${caught:-$suites}${rows:+ [$rows]}"
    fi
    patch -s -R -d "$copy" -p1 < "$patch"
done
# Leave the scratch build as the tree is, for the next run.
sync_tree
cmake --build "$build" -j "$(nproc)" > "$logs/build.log" 2>&1 || true
seconds=$(($(date +%s) - started))
if [ "$survivors" -eq 0 ]; then
    echo "every fault caught ($# mutants, ${seconds} s; logs in $logs)"
else
    echo "$survivors of $# fault(s) not caught (${seconds} s; logs in $logs)"
fi
[ "$survivors" -eq 0 ]
