#!/bin/sh
# The main job: builds the suite, writes the sample Applications folder and
# lists every sample bundle with the architectures of its executable.
#
#   CORVANE_BUILD   build folder (default build)
#   CORVANE_SAMPLES where the sample folder goes (default "out/Sample Applications")
set -eu
cd "$(dirname "$0")/.."

scripts/setup.sh

build="${CORVANE_BUILD:-build}"
samples="${CORVANE_SAMPLES:-out/Sample Applications}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target corvane-make-samples corvane-bundle-info

"$build/samples/corvane-make-samples" "$samples"
echo "Sample applications in $samples:"
"$build/cli/corvane-bundle-info" "$samples"
