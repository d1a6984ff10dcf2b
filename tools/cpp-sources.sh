#!/usr/bin/env bash
# Prints the C++ files that git tracks in this checkout, NUL-separated and
# relative to its top, for the formatter's two commands
# (tools/check-format.sh, tools/format-code.sh). A tracked file deleted in the
# work tree is left out.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  echo "cpp-sources: $repo is not a git checkout; the formatter works on the files git tracks" >&2
  exit 2
fi
git ls-files -z -- '*.cpp' '*.cc' '*.h' '*.hpp' '*.inl' |
  while IFS= read -r -d '' file; do
    [[ -f "$file" ]] && printf '%s\0' "$file"
  done
