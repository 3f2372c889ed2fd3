#!/bin/sh
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer, runs
# every test inside a desktop session of its own (Xvfb, openbox, a D-Bus
# session bus), then runs each fuzz target for a bounded time.
#
#   CORVANE_TEST_BUILD  build folder (default build-tests)
#   FUZZ_SECONDS        seconds per fuzz target (default 20; 0 skips fuzzing)
set -eu
cd "$(dirname "$0")/.."

scripts/setup.sh

build="${CORVANE_TEST_BUILD:-build-tests}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON >/dev/null
cmake --build "$build"

export LANG=C.UTF-8
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
scripts/with-session.sh ctest --test-dir "$build" --output-on-failure -j 2 --timeout 300

if [ "${FUZZ_SECONDS:-20}" -gt 0 ]; then
    scripts/run-fuzzers.sh "$build/tests/fuzz/corvane-fuzz-seeds" "${FUZZ_SECONDS:-20}"
fi
echo "run-tests: all tests passed"
