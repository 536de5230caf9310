#!/bin/sh
# Installs what is missing, the test tools too (needs root or sudo), builds everything and runs every test:
# the suite in a normal build, the suite again with the address and undefined-behaviour
# sanitizers, and a one-minute fuzzing run of the page code when clang is installed.
set -eu
cd "$(dirname "$0")/.."
# The compiler cache keys on paths relative to the checkout, so any clone reuses it.
export CCACHE_BASEDIR="$(pwd)"
# Debug information names files relative to the checkout too, so the folder itself need not match.
export CCACHE_NOHASHDIR=1
scripts/install-deps.sh --tests
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLMARK_TESTS=ON -DPELLMARK_BENCHMARKS=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j 2

scripts/fuzz.sh 60

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DPELLMARK_SANITIZE=ON -DPELLMARK_BENCHMARKS=OFF
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-sanitize --output-on-failure -j 2
