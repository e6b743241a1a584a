#!/bin/sh
# The rig-like benchmark set of model 1 (examples/fit/rigset.sh). The bundled
# DesignStart.dat was prepared while model 1 still recommended bounds for pin
# (0.1 to 0.4), so that it frees the same 19 design variables as the other
# sets; a preparation now leaves pin fixed (18), and starts cx0 and cy0 from
# the model's own slope at zero slip. Run from anywhere:
#   sh examples/fit/rig1/generate.sh [GRIPFIT]   (default build/ci/fitter/gripfit)
set -e
here=$(cd "$(dirname "$0")" && pwd)
exec sh "$here/../rigset.sh" 1 "$here" "$@"
