#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time,
# starting from seeds made by the test fixtures and the pinned regression
# inputs. Fails when a target finds a crash (its input is kept in
# build-fuzz/findings).
#
#   run-fuzzers.sh SEED_MAKER [SECONDS]
set -eu
cd "$(dirname "$0")/.."

seed_maker="$1"
seconds="${2:-20}"
build=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCORVANE_FUZZ=ON -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$build"

work="$build/work"
rm -rf "$work"
mkdir -p "$work" "$build/findings"
"$seed_maker" "$work/seeds"

status=0
for pair in PropertyList:property-list ExecutableHeader:executable-header Bookmark:bookmark \
    DesktopEntry:desktop-entry; do
    target="fuzz_${pair%%:*}"
    kind="${pair#*:}"
    corpus="$work/corpus-$kind"
    mkdir -p "$corpus"
    cp "$work/seeds/$kind/"* "$corpus/"
    if [ -d "tests/fuzz/regressions/$kind" ]; then
        cp "tests/fuzz/regressions/$kind/"* "$corpus/"
    fi
    log="$work/$target.log"
    if "$build/tests/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$build/findings/$target-" "$corpus" >"$log" 2>&1; then
        runs=$(grep -o 'Done [0-9]* runs in [0-9]* second' "$log" | tail -1)
        echo "$target: ${runs:-finished}"
    else
        echo "$target: FAILED, see $log and $build/findings" >&2
        tail -40 "$log" >&2
        status=1
    fi
done
exit $status
