#!/usr/bin/env bash
# Builds gripsim and runs it on the bundled passenger-car example.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target gripsim
# Run in a copy, so that the result files do not land among the examples.
run=build/example
rm -rf "$run" && mkdir -p "$run" && cp -r examples/* "$run"/
cd "$run"
../release/runner/gripsim passenger.ctl
echo "result files in $run: alpha_sweep.dat, slip_sweep.dat, TractalFinput3.dat, DiscreteOutput.dat"
