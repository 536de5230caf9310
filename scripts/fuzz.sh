#!/bin/bash
# Builds the fuzzers with clang (libFuzzer, address and undefined-behaviour sanitizers) and runs
# each for its share of the given number of seconds (default 60), one after the other, on its
# seed corpus. Naming targets runs only those, each for its share of the time.
# Usage: scripts/fuzz.sh [seconds] [target...]      targets: see TARGETS below
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
[ $# -gt 0 ] && shift
if ! command -v clang++ >/dev/null 2>&1; then
    echo "fuzz: clang++ not found, fuzzing skipped"
    exit 0
fi
out=build-fuzz
mkdir -p "$out"

# One line a target: its name (its entry is tests/fuzz/fuzz_NAME.cpp), the sources it tests,
# the pkg-config packages it links, its committed seeds and its largest input.
# A sixth field, when given, adds compiler options.
declare -A SOURCES PACKAGES SEEDS MAX_LEN FLAGS
TARGETS=()
target() {
    TARGETS+=("$1")
    SOURCES[$1]=$2 PACKAGES[$1]=$3 SEEDS[$1]=$4 MAX_LEN[$1]=$5 FLAGS[$1]=${6:-}
}
target page "src/core/TextLines.cpp src/page/IntradayParser.cpp src/page/BodySerialiser.cpp
    $(echo src/page/Charset*.cpp) src/page/IconvConversion.cpp" gumbo tests/corpus 65536
target day_lines src/core/QuoteLine.cpp "" tests/fuzz/seeds/day_lines 4096
target day_file_name "src/core/DayFileName.cpp src/core/DateList.cpp" Qt6Core \
    tests/fuzz/seeds/day_file_name 256
target retry_list "src/core/ErrorsList.cpp src/core/TextLines.cpp src/core/DayFileName.cpp
    src/core/DateList.cpp" \
    Qt6Core tests/fuzz/seeds/retry_list 4096
# The options fuzzer needs the version header CMake makes from project().
mkdir -p "$out/generated"
version=$(sed -n 's/^project(Pellmark VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
sed "s/@PROJECT_VERSION@/$version/" src/PellmarkVersion.h.in >"$out/generated/PellmarkVersion.h"
# And the meta-object code of the stop signals, which a symbols file read from a pipe listens to.
"$(pkg-config --variable=libexecdir Qt6Core)/moc" tools/frame/StopSignals.h -o "$out/generated/moc_StopSignals.cpp"
target options "tools/frame/CommandLineRules.cpp tools/batch/BatchOptions.cpp
    tools/export/CommandLine.cpp tools/check/CheckCommandLine.cpp
    tools/quote_service/ServiceOptions.cpp src/core/DateList.cpp src/core/DefaultSymbols.cpp
    src/core/ErrorsList.cpp src/core/DayFileName.cpp src/core/WholeFile.cpp
    src/core/WholeFileStream.cpp src/core/FileBeside.cpp tools/frame/StopSignals.cpp $out/generated/moc_StopSignals.cpp
    tools/quote_service/MarketPlay.cpp tools/quote_service/QuotePage.cpp tools/quote_service/DateLabel.cpp
    src/export/OhlcBars.cpp src/core/QuoteLine.cpp src/core/TextLines.cpp src/run/RunInput.cpp
    tools/export/ExportFlags.cpp src/export/ExportLayout.cpp src/export/ZoneClock.cpp" \
    "Qt6Core gumbo" tests/corpus-options 65536 "-Itools -Itools/frame -Itools/export -I$out/generated"

[ $# -gt 0 ] && TARGETS=("$@")
share=$((seconds / ${#TARGETS[@]}))
[ "$share" -gt 0 ] || share=1
failed=0
for name in "${TARGETS[@]}"; do
    [ -n "${SOURCES[$name]+set}" ] || { echo "fuzz: no target '$name'"; exit 2; }
    packages=${PACKAGES[$name]}
    # shellcheck disable=SC2046,SC2086
    clang++ -std=c++20 -O1 -g -fPIC -fsanitize=fuzzer,address,undefined \
        -fno-sanitize-recover=undefined -Isrc ${FLAGS[$name]} ${packages:+$(pkg-config --cflags $packages)} \
        "tests/fuzz/fuzz_$name.cpp" ${SOURCES[$name]} ${packages:+$(pkg-config --libs $packages)} \
        -o "$out/fuzz_$name"
    # New inputs go to build-fuzz/corpus_NAME; committed seeds stay in their own folders.
    mkdir -p "$out/corpus_$name"
    log=$out/fuzz_$name.log
    # shellcheck disable=SC2086
    if ! "$out/fuzz_$name" -max_total_time="$share" -timeout=10 -rss_limit_mb=2048 \
        -max_len="${MAX_LEN[$name]}" -print_final_stats=1 -artifact_prefix="$out/${name}_" \
        "$out/corpus_$name" ${SEEDS[$name]} >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz: $name FAILED (the input that failed is in $out/${name}_*)"
        failed=1
        continue
    fi
    echo "fuzz: $name $(grep -E '^#[0-9]+.*DONE' "$log" | tail -n 1)"
    grep -E "stat::(number_of_executed_units|peak_rss_mb)" "$log" | sed "s/^/fuzz: $name /" || true
done
[ "$failed" -eq 0 ] || exit 1
echo "fuzz: passed ($seconds s over ${TARGETS[*]})"
