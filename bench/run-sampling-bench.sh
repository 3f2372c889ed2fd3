#!/bin/sh
# Builds a release tree with the benchmarks and runs the sampling benchmark:
# a partial refresh against reading the stat files, ps and top, on processes
# of 1, 10 and 100 threads. Takes a few minutes; extra arguments go to the
# benchmark (for example --benchmark_filter=Partial).
#
#   CORVANE_BENCH_BUILD  build folder (default build-bench)
set -eu
cd "$(dirname "$0")/.."

build="${CORVANE_BENCH_BUILD:-build-bench}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORVANE_BENCH=ON >/dev/null
cmake --build "$build" --target corvane-sampling-bench corvane-sampling-probe corvane-load-child
echo "machine: $(nproc) processors, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), kernel $(uname -r), load $(cut -d' ' -f1-3 /proc/loadavg)"
exec "$build/bench/corvane-sampling-bench" --benchmark_enable_random_interleaving=true \
    --benchmark_color=false "$@"
