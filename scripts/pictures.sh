#!/usr/bin/env bash
# Remakes the README pictures in docs/images from the bundled examples: builds
# gripsim and gripplot, runs the examples in a scratch folder and draws their
# result files.
#   scripts/pictures.sh                      builds with the release preset
#   BUILD_DIR=build/mine scripts/pictures.sh builds in a folder of your own
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
if [ -n "${BUILD_DIR:-}" ]; then
  build=$BUILD_DIR
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
else
  build=build/release
  cmake --preset release >/dev/null
fi
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target gripsim gripplot
gripsim=$(realpath "$build/runner/gripsim")
gripplot=$(realpath "$build/plot/gripplot")
images=$(realpath docs/images)

# Run in a copy, so that the result files do not land among the examples.
run=build/pictures
rm -rf "$run" && mkdir -p "$run" && cp examples/*.dat examples/*.ctl "$run"/
cd "$run"
"$gripsim" passenger.ctl >/dev/null
"$gripplot" slip_sweep.dat -o "$images/slip_sweep.png"
"$gripplot" alpha_sweep.dat -o "$images/alpha_sweep.png"
"$gripplot" TractalFinput3.dat -o "$images/measured_and_model.png"
"$gripsim" discrete_geometric.ctl >/dev/null
"$gripplot" DiscreteOutput.dat -o "$images/contact_patch.png"
