#!/bin/sh
# A rig-like benchmark set: the long generated rig run (cornering sweeps at
# three loads and cambers, a slip-ratio run; force lag, friction drift and
# noise of about 1 % of the load) prepared for the fit of MODEL by gripfit
# prepare in SAE axes, into FOLDER. Only the prepared sweeps that
# DesignTarget.dat lists are kept.
#   sh examples/fit/rigset.sh MODEL FOLDER [GRIPFIT]   (default build/ci/fitter/gripfit)
set -e
model=$1
here=$(cd "$2" && pwd)
top=$(cd "$(dirname "$0")/../.." && pwd)
gripfit=${3:-$top/build/ci/fitter/gripfit}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
/usr/bin/python3 "$top/examples/rig/generate.py" --full "$work" > /dev/null
"$gripfit" prepare --convention sae --model "$model" --out "$work/prepared" "$work/run_sae.dat"
cp "$work/prepared/DesignStart.dat" "$work/prepared/DesignTarget.dat" "$here/"
sed -n 's/^ file = \([^ ]*\).*/\1/p' "$work/prepared/DesignTarget.dat" | while read -r name; do
  cp "$work/prepared/$name" "$here/"
done
