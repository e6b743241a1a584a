#!/usr/bin/env bash
# Builds the gripfit program, prepares the example rig run (examples/rig,
# SAE axes) into build/prepare-example and fits it there. Extra arguments
# go to gripfit prepare (--model 2 keeps the cambered sweeps).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release -DGRIP_BUILD_OCTAVE_MEX=OFF >/dev/null
cmake --build --preset release -j2 --target gripfit
run=build/prepare-example
rm -rf "$run"
build/release/fitter/gripfit prepare --convention sae --out "$run" "$@" examples/rig/run_sae.dat
cd "$run"
status=0
../release/fitter/gripfit || status=$?
echo "prepared and fitted in $run: Prepare.txt, DesignStart.dat, DesignTarget.dat, DesignResults.dat, FitReport.txt"
exit "$status"
