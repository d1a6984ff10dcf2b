#!/usr/bin/env bash
# Builds the libFuzzer targets with clang++ into the given folder.
#   tests/fuzz/build-fuzzers.sh BUILD_DIR
set -euo pipefail

if [[ $# -ne 1 ]]; then
  echo "usage: $0 BUILD_DIR" >&2
  exit 2
fi
build_dir="$1"
here="$(cd "$(dirname "$0")" && pwd)"
compiler="${AW_FUZZ_CXX:-clang++}"

cmake -S "$here/project" -B "$build_dir" -DCMAKE_CXX_COMPILER="$compiler" >/dev/null
cmake --build "$build_dir" -j2
