#!/bin/sh
# The rig-like benchmark set of model 2: the long generated rig run (cornering
# sweeps at three loads and cambers, a slip-ratio run; force lag, friction
# drift and noise of about 1 % of the load) prepared for the fit by gripfit
# prepare in SAE axes. Only the prepared sweeps that DesignTarget.dat lists
# are kept. Run from anywhere:
#   sh examples/fit/rig2/generate.sh [GRIPFIT]   (default build/ci/fitter/gripfit)
set -e
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)
gripfit=${1:-$top/build/ci/fitter/gripfit}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$top/examples/rig/generate.py" --full "$work" > /dev/null
"$gripfit" prepare --convention sae --model 2 --out "$work/prepared" "$work/run_sae.dat"
cp "$work/prepared/DesignStart.dat" "$work/prepared/DesignTarget.dat" "$here/"
sed -n 's/^ file = \([^ ]*\).*/\1/p' "$work/prepared/DesignTarget.dat" | while read -r name; do
  cp "$work/prepared/$name" "$here/"
done
