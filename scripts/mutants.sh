#!/bin/sh
# Plants each known one-line fault (tests/mutants/*.patch) in turn into a scratch copy of the
# tree, rebuilds it incrementally and runs the suites named in the patch's "Caught-by:" line.
# Prints which test caught each fault; exits 1 when a fault passes every suite it names.
# Takes several minutes; not part of the test command. Usage: scripts/mutants.sh [PATCH...]
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
scratch=${PELLMARK_MUTANTS_DIR:-$root/build-mutants}
mkdir -p "$scratch/src" "$scratch/logs"
export CCACHE_BASEDIR="$scratch"

# Only files whose content differs are copied (and so get a new time), so each rebuild
# compiles only what a patch or a change to the tree touched.
sync_tree() {
    git ls-files | while IFS= read -r file; do
        cmp -s "$file" "$scratch/src/$file" 2>/dev/null && continue
        mkdir -p "$scratch/src/$(dirname "$file")"
        cp "$file" "$scratch/src/$file"
    done
}

[ $# -gt 0 ] || set -- tests/mutants/*.patch
sync_tree
cmake -S "$scratch/src" -B "$scratch/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPELLMARK_BENCHMARKS=OFF > "$scratch/logs/configure.log"
cmake --build "$scratch/build" -j "$(nproc)" > "$scratch/logs/build.log"

survivors=0
for patch in "$@"; do
    name=$(basename "$patch" .patch)
    suites=$(sed -n 's/^Caught-by: *//p' "$patch")
    if ! patch -s -d "$scratch/src" -p1 < "$root/$patch"; then
        echo "$name: does not apply (update the patch)"; survivors=$((survivors + 1)); sync_tree; continue
    fi
    if ! cmake --build "$scratch/build" -j "$(nproc)" > "$scratch/logs/$name.build.log" 2>&1; then
        echo "$name: does not build (update the patch)"; survivors=$((survivors + 1))
    elif ctest --test-dir "$scratch/build" -R "$suites" -j 2 > "$scratch/logs/$name.test.log" 2>&1; then
        echo "$name: NOT CAUGHT by $suites"; survivors=$((survivors + 1))
    else
        caught=$(sed -n 's/^ *[0-9]*\/[0-9]* Test *#[0-9]*: \([^ ]*\) .*\*\*\*.*/\1/p' \
            "$scratch/logs/$name.test.log" | tr '\n' ' ')
        echo "$name: caught by ${caught:-$suites}"
    fi
    patch -s -R -d "$scratch/src" -p1 < "$root/$patch"
done
# Leave the scratch build as the tree is, for the next run.
sync_tree
cmake --build "$scratch/build" -j "$(nproc)" > "$scratch/logs/build.log" 2>&1 || true
[ "$survivors" -eq 0 ] && echo "every fault caught" || echo "$survivors fault(s) not caught"
[ "$survivors" -eq 0 ]
