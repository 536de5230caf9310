#!/bin/sh
# Builds the page fuzzer with clang (libFuzzer, address and undefined-behaviour sanitizers)
# and runs it for the given number of seconds (default 60) on the seed corpus.
# Usage: scripts/fuzz.sh [seconds] [extra libFuzzer options...]
set -eu
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ not found, fuzzing skipped"
    exit 0
fi
out=build-fuzz
mkdir -p "$out/corpus"
# shellcheck disable=SC2046
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -Isrc $(pkg-config --cflags gumbo) \
    tests/fuzz/fuzz_page.cpp src/core/TextLines.cpp src/page/IntradayParser.cpp \
    src/page/BodySerialiser.cpp src/page/Charset*.cpp src/page/IconvConversion.cpp \
    $(pkg-config --libs gumbo) -o "$out/fuzz_page"
# New inputs go to build-fuzz/corpus; tests/corpus holds the committed seeds.
if ! "$out/fuzz_page" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
    -print_final_stats=1 -artifact_prefix="$out/" "$@" "$out/corpus" tests/corpus >"$out/fuzz.log" 2>&1; then
    tail -n 40 "$out/fuzz.log"
    echo "fuzz: FAILED (the input that failed is in $out/)"
    exit 1
fi
grep -E "(DONE|stat::number_of_executed_units|stat::peak_rss_mb)" "$out/fuzz.log" || true
echo "fuzz: passed ($seconds s)"
