#!/usr/bin/env bash
# Remakes the README pictures in docs/images from the bundled examples: builds
# gripsim, gripplot and the gripfit plug-in for Octave, runs the examples and
# the worked fit in a scratch folder and draws their result files.
#   scripts/pictures.sh                      builds with the release preset
#   BUILD_DIR=build/mine scripts/pictures.sh builds in a folder of your own
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ -n "${BUILD_DIR:-}" ]; then
  build=$BUILD_DIR
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DGRIP_BUILD_OCTAVE_MEX=ON >/dev/null
else
  build=build/release
  cmake --preset release >/dev/null
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target gripsim gripplot gripfit_octave
gripsim=$(realpath "$build/runner/gripsim")
plugin=$(realpath "$build/gateway/octave")
gripplot=$(realpath "$build/plot/gripplot")
images=$(realpath docs/images)

# Run in a copy, so that the result files do not land among the examples.
run=build/pictures
rm -rf "$run" && mkdir -p "$run/fit" && cp examples/*.dat examples/*.ctl "$run"/ && find examples/fit -maxdepth 1 -type f -exec cp -t "$run/fit" {} +
cd "$run"
"$gripsim" passenger.ctl >/dev/null
"$gripplot" slip_sweep.dat -o "$images/slip_sweep.png"
"$gripplot" alpha_sweep.dat -o "$images/alpha_sweep.png"
"$gripplot" TractalFinput3.dat -o "$images/measured_and_model.png"
"$gripsim" discrete_geometric.ctl >/dev/null
"$gripplot" DiscreteOutput.dat -o "$images/contact_patch.png"
cd fit
octave-cli --no-gui --no-history --quiet --eval "addpath('$plugin'); gripfit_fit;" >/dev/null
"$gripplot" file1.dat file2.dat file3.dat file4.dat file5.dat -o "$images/fit_listings.png"
