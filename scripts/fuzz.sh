#!/usr/bin/env bash
# Builds the fuzzers of outside input with clang (libFuzzer, address and undefined-behaviour sanitizers) in
# build-fuzz/, writes their starting corpus, and runs each for a bounded time. Fails on any crash, sanitizer
# report, leak or broken invariant; the input that did it is kept in build-fuzz/crashes/.
#   scripts/fuzz.sh [seconds per fuzzer, default 60]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/fuzz.sh [seconds]" >&2
    exit 2
fi

bash scripts/install-deps.sh

build=build-fuzz
cmake -S tests/fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DJ2_WARNINGS_AS_ERRORS=ON
cmake --build "$build" -j "$(nproc)"

mkdir -p "$build/crashes"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"

# The firmware file: the largest file worth trying is one byte past the largest the updater takes
# (120-byte header + 147456-byte body).
seeds="$build/seeds/firmware_file"
corpus="$build/corpus/firmware_file"
rm -rf "$seeds"
mkdir -p "$corpus"
"$build/fuzz_firmware_seeds" "$seeds"
"$build/fuzz_firmware_file" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=147577 \
    -print_final_stats=1 -artifact_prefix="$build/crashes/firmware_file-" "$corpus" "$seeds"
