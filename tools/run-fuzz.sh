#!/usr/bin/env bash
# Runs the fuzz targets for long: the face archive patch (any bytes as the
# L, M or S archive) and the set-data walk (any bytes as the file), one after
# the other, each for SECONDS (default 1800). Needs clang++ with libFuzzer
# (packages clang, libclang-rt-14-dev).
#   tools/run-fuzz.sh [SECONDS]
# Builds into $AW_BUILD_ROOT/fuzz (default build/fuzz); what each run finds
# stays in that folder's corpus/ and is used again by the next run, and an
# input that breaks the installer is kept in its artifacts/.
set -uo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-1800}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS]" >&2
  exit 2
fi
build_dir="${AW_BUILD_ROOT:-$repo/build}/fuzz"

"$repo/tests/fuzz/build-fuzzers.sh" "$build_dir" || exit 1

failed=0
for target in fuzz_face_archive_patch fuzz_set_data_walk; do
  "$repo/tests/fuzz/run-fuzzer.sh" "$build_dir" "$target" "$seconds" || failed=1
done
exit "$failed"
