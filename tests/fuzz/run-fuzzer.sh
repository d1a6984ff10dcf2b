#!/usr/bin/env bash
# Runs one built fuzz target for a bounded time, starting from its committed
# seeds plus whatever earlier runs in the same build folder found. Fails when
# the target crashes, leaks or breaks an oracle; the input that did it is kept
# in BUILD_DIR/artifacts/TARGET/.
#   tests/fuzz/run-fuzzer.sh BUILD_DIR TARGET SECONDS
set -uo pipefail

if [[ $# -ne 3 ]]; then
  echo "usage: $0 BUILD_DIR TARGET SECONDS" >&2
  exit 2
fi
build_dir="$1"
target="$2"
seconds="$3"
here="$(cd "$(dirname "$0")" && pwd)"
seeds="$here/corpus/$target"
binary="$build_dir/$target"

if [[ ! -x "$binary" ]]; then
  echo "run-fuzzer: $binary is not built (tests/fuzz/build-fuzzers.sh $build_dir)" >&2
  exit 1
fi
if [[ ! -d "$seeds" ]]; then
  echo "run-fuzzer: no seed corpus at $seeds" >&2
  exit 1
fi

# New inputs go to a working corpus in the build folder: the committed seeds
# stay as they are.
work="$build_dir/corpus/$target"
artifacts="$build_dir/artifacts/$target"
mkdir -p "$work" "$artifacts"
log="$build_dir/$target.log"

# The largest seed is about 21 KB; room to grow, but not so much that every
# mutation copies megabytes. The timeout only tells a hang from a slow input
# (one input takes milliseconds).
"$binary" "$work" "$seeds" \
  -max_total_time="$seconds" -max_len=65536 -timeout=120 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1
status=$?

runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)"
if [[ $status -ne 0 ]]; then
  tail -n 60 "$log"
  echo "$target: FAILED after ${runs:-?} executions (exit $status); input kept in $artifacts/, log $log"
  exit 1
fi
echo "$target: ${runs:-?} executions in ${seconds} s, ${rate:-?} per second, no finding"
