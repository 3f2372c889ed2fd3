#!/bin/sh
# The main job: builds the suite, writes the sample Applications folder and
# surveys it with corvane-survey: every application that can run both as
# 32-bit and as 64-bit code, and the mode it will launch in.
#
#   CORVANE_BUILD   build folder (default build)
#   CORVANE_SAMPLES where the sample folder goes (default "out/Sample Applications")
set -eu
cd "$(dirname "$0")/.."

scripts/setup.sh

build="${CORVANE_BUILD:-build}"
samples="${CORVANE_SAMPLES:-out/Sample Applications}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_TESTS=OFF >/dev/null
cmake --build "$build" --target corvane-make-samples corvane-survey

"$build/samples/corvane-make-samples" "$samples"
echo
echo "Survey of $samples:"
"$build/cli/survey/corvane-survey" --sort name "$samples"
echo
echo "Folders of the survey:"
"$build/cli/survey/corvane-survey" folders "$samples"
