#!/usr/bin/env bash
# Builds the gripfit program and fits the passenger-car example
# (examples/fit/passenger) in a copy under build/, so that the result
# files do not land among the examples. Extra arguments go to gripfit.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release -DGRIP_BUILD_OCTAVE_MEX=OFF >/dev/null
cmake --build --preset release -j2 --target gripfit
run=build/fit-example
rm -rf "$run" && mkdir -p "$run" && cp examples/fit/passenger/*.dat "$run"/
cd "$run"
status=0
../release/fitter/gripfit "$@" || status=$?
echo "results in $run: DesignResults.dat, file1.dat ... file7.dat, FitReport.txt, FitReport.json"
exit "$status"
