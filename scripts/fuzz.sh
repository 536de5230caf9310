#!/bin/sh
# Builds the fuzzers with clang (libFuzzer, address and undefined-behaviour sanitizers) and runs
# each for its share of the given number of seconds (default 60) on its seed corpus: the page
# fuzzer on the quote pages, the options fuzzer on the programs' command lines.
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
mkdir -p "$out/corpus" "$out/corpus-options" "$out/generated"
flags="-std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined"
# shellcheck disable=SC2046,SC2086
clang++ $flags -Isrc $(pkg-config --cflags gumbo) \
    tests/fuzz/fuzz_page.cpp src/quote/PageText.cpp src/quote/IntradayParser.cpp \
    src/quote/BodySerialiser.cpp src/quote/Charset*.cpp src/quote/IconvConversion.cpp \
    $(pkg-config --libs gumbo) -o "$out/fuzz_page"
# The version header CMake makes from project().
version=$(sed -n 's/^project(Pellmark VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sed "s/@PROJECT_VERSION@/$version/" src/PellmarkVersion.h.in >"$out/generated/PellmarkVersion.h"
# shellcheck disable=SC2046,SC2086
clang++ $flags -Isrc -Itools -Itools/frame -I"$out/generated" $(pkg-config --cflags Qt6Core gumbo) \
    tests/fuzz/fuzz_options.cpp tools/frame/CommandLineRules.cpp tools/batch/BatchOptions.cpp \
    tools/export/CommandLine.cpp tools/check/CheckCommandLine.cpp \
    tools/quote_service/ServiceOptions.cpp src/core/DateList.cpp src/core/DefaultSymbols.cpp \
    src/core/ErrorsList.cpp src/core/FailedItems.cpp src/export/OhlcBars.cpp \
    src/export/QuoteLine.cpp src/quote/PageText.cpp src/run/RunInput.cpp \
    $(pkg-config --libs Qt6Core gumbo) -o "$out/fuzz_options"

# Each target gets its share of the time. New inputs go to build-fuzz/corpus*; tests/corpus*
# hold the committed seeds.
fuzz() { # name, seconds, corpus folders...
    name=$1 share=$2
    shift 2
    if ! "$out/$name" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
        -print_final_stats=1 -artifact_prefix="$out/$name-" $extra "$@" >"$out/$name.log" 2>&1; then
        tail -n 40 "$out/$name.log"
        echo "fuzz: $name FAILED (the input that failed is in $out/)"
        exit 1
    fi
    grep -E "(DONE|stat::number_of_executed_units|stat::peak_rss_mb)" "$out/$name.log" || true
}
extra="$*"
share=$((seconds / 2))
fuzz fuzz_page "$share" "$out/corpus" tests/corpus
fuzz fuzz_options "$((seconds - share))" "$out/corpus-options" tests/corpus-options
echo "fuzz: passed ($seconds s)"
