#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: clang, libFuzzer, ASan + UBSan) and
# runs each for SECONDS (default 60), one after the other, from a copy of its
# seed corpus. Prints executions and coverage per target; exits non-zero
# when any target found a crash, leak, timeout or out-of-memory.
#   scripts/fuzz.sh [SECONDS]
# Reproducers and logs go to build/fuzz/findings/<target>/ (or $GRIP_FUZZ_FINDINGS).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
jobs="${GRIP_FUZZ_BUILD_JOBS:-2}"
targets=(parameter_file run_control measurement_file design_start design_target number_text design_search rig_delimited rig_tydex)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

# The targets work in a scratch folder of their own: every path is absolute.
build="$PWD/build/fuzz"
findingsRoot="$(realpath -m "${GRIP_FUZZ_FINDINGS:-$build/findings}")"
work="$(mktemp -d "${TMPDIR:-/tmp}/grip-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
status=0
printf '%-18s %10s %8s %8s  %s\n' target executions coverage features result
for target in "${targets[@]}"; do
  corpus="$work/corpus/$target"
  findings="$findingsRoot/$target"
  mkdir -p "$corpus" "$findings"
  cp fuzz/corpus/"$target"/* "$corpus"/  # the repository's corpus stays as it is
  log="$findingsRoot/$target.log"
  dict=()
  [ -f fuzz/dict/"$target".dict ] && dict=(-dict="$PWD/fuzz/dict/$target.dict")
  result=ok
  if ! "$build/fuzz/fuzz_$target" "$corpus" "${dict[@]}" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -detect_leaks=1 \
      -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1; then
    result="FAILED (see $log and $findings/)"
    status=1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  printf '%-18s %10s %8s %8s  %s\n' "$target" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result"
done
exit "$status"
