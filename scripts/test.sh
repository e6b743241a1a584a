#!/usr/bin/env bash
# Builds everything and runs every test (unit, end-to-end, Octave plug-in).
#   scripts/test.sh             optimised build with the plug-in for GNU Octave
#   scripts/test.sh --sanitize  debug build under AddressSanitizer and UBSan
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
preset=ci
[ "${1:-}" = "--sanitize" ] && preset=debug
cmake --preset "$preset"
cmake --build --preset "$preset" -j "$(nproc)"
ctest --preset "$preset" -j "$(nproc)"
