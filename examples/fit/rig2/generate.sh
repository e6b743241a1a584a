#!/bin/sh
# The rig-like benchmark set of model 2 (examples/fit/rigset.sh). The bundled
# DesignStart.dat was prepared before cx0 and cy0 started from the model's own
# slope at zero slip; the benchmark table was measured from it. Run from anywhere:
#   sh examples/fit/rig2/generate.sh [GRIPFIT]   (default build/ci/fitter/gripfit)
set -e
here=$(cd "$(dirname "$0")" && pwd)
exec sh "$here/../rigset.sh" 2 "$here" "$@"
