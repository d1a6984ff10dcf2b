#!/usr/bin/env bash
# Builds both configurations and runs every test: the unit tests natively
# (with the sanitizers), the static analysis on the native build's compile
# database, then the Windows build's tests under Wine, and last the check that
# the C++ files are formatted. Runs every step even when one fails; exits
# non-zero when anything failed.
set -uo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"

"$repo/tools/install-deps.sh" || exit 1

# AW_BUILD_ROOT moves the build trees (default: the presets' own, build/<preset>).
build_root="${AW_BUILD_ROOT:-$repo/build}"
summaries=()
failed=0

run_preset() { # preset
  local preset="$1" log
  log="$(mktemp)"
  echo "=== $preset: configure and build"
  local build_dir="$build_root/$preset"
  if ! cmake --preset "$preset" -B "$build_dir" || ! cmake --build "$build_dir" -j2; then
    summaries+=("$preset: BUILD FAILED")
    failed=1
    return
  fi
  echo "=== $preset: tests"
  ctest --test-dir "$build_dir" --output-on-failure -j2 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  summaries+=("$preset: $(grep -E 'tests passed|tests failed' "$log" | tail -n 1)")
  [[ $status -eq 0 ]] || failed=1
  rm -f "$log"
}

# A check of the code itself (tools/check-*.sh): its last line is its verdict.
run_check() { # name command...
  local name="$1" log started status
  shift
  log="$(mktemp)"
  echo "=== $name"
  started=$(date +%s)
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  local verdict
  verdict="$(tail -n 1 "$log")"
  verdict="${verdict#check-*: }"
  local took="$(( $(date +%s) - started )) s"
  if [[ $status -eq 0 ]]; then
    summaries+=("$name: $verdict ($took)")
  else
    summaries+=("$name: FAILED: $verdict ($took)")
    failed=1
  fi
  rm -f "$log"
}

run_preset native
run_check tidy "$repo/tools/check-tidy.sh" "$build_root/native"
run_preset windows
run_check format "$repo/tools/check-format.sh"

echo
echo "=== summary"
printf '%s\n' "${summaries[@]}"
exit "$failed"
