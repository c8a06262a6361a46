#!/usr/bin/env bash
# Installs what is needed, builds and runs the whole test suite.
#   scripts/test.sh                      plain build in build/
#   scripts/test.sh --sanitize address,undefined   sanitizer build in build-<sanitizers>/
set -euo pipefail
cd "$(dirname "$0")/.."

sanitize=""
if [ "${1:-}" = "--sanitize" ]; then
    sanitize="${2:?which sanitizers, e.g. address,undefined}"
fi

bash scripts/install-deps.sh

# The sanitizers' own settings reach every program a test starts, whole-program tests included.
suppressions="$(pwd)/tests/sanitizers"
export LSAN_OPTIONS="suppressions=$suppressions/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
# Whole stacks for every allocation: Qt's libraries carry no frame pointers, and a leak report (or a
# suppression) needs more than the two frames the fast unwinder finds in them.
export ASAN_OPTIONS="fast_unwind_on_malloc=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export TSAN_OPTIONS="suppressions=$suppressions/tsan.supp:die_after_fork=0${TSAN_OPTIONS:+:$TSAN_OPTIONS}"

build=build
[ -z "$sanitize" ] || build="build-${sanitize//,/-}"
# Our own builds stop at any warning; a packager's build (the default) does not.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DJ2_SANITIZE="$sanitize" \
      -DJ2_WARNINGS_AS_ERRORS=ON \
      -DJ2_BUILD_BENCH="$([ -z "$sanitize" ] && echo ON || echo OFF)"
cmake --build "$build" -j "$(nproc)"
# The scene must pass qmllint without a warning.
cmake --build "$build" --target scene_qmllint
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" --timeout 300
