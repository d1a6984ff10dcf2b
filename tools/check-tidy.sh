#!/usr/bin/env bash
# Runs clang-tidy (Debian 12's, tools/install-deps.sh installs it) with
# .clang-tidy's checks over every translation unit of ours in the native
# build's compile database: the product's code, the platform double, the
# tests and the build machine's tools (GoogleTest's own sources are left
# out). Warnings count as errors: it names each file with a finding and exits
# 1. Configures the native build first when it has no compile database yet.
#   tools/check-tidy.sh [BUILD_DIR]     (default $AW_BUILD_ROOT/native, build/native)
# AW_TIDY_JOBS sets how many clang-tidy run at once (default 2).
set -uo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd -P)"
cd "$repo"
build_dir="${1:-${AW_BUILD_ROOT:-$repo/build}/native}"
jobs="${AW_TIDY_JOBS:-2}"
command -v clang-tidy >/dev/null || { echo "check-tidy: clang-tidy is missing (tools/install-deps.sh)" >&2; exit 2; }

if [[ ! -f "$build_dir/compile_commands.json" ]]; then
  cmake --preset native -B "$build_dir" >/dev/null || { echo "check-tidy: the native build could not be configured" >&2; exit 2; }
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Our own sources: under the checkout, not under the build folder.
python3 - "$build_dir/compile_commands.json" "$repo" "$build_dir" >"$work/units" <<'PY' || exit 2
import json, os, sys
database, repo, build = sys.argv[1], os.path.realpath(sys.argv[2]), os.path.realpath(sys.argv[3])
units = set()
for entry in json.load(open(database)):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    if path.startswith(repo + os.sep) and not path.startswith(build + os.sep):
        units.add(path)
for path in sorted(units):
    sys.stdout.write(path + "\0")
PY
total=$(tr -cd '\0' <"$work/units" | wc -c)
[[ $total -gt 0 ]] || { echo "check-tidy: no sources of ours in $build_dir/compile_commands.json" >&2; exit 2; }

# Each unit's report goes to a file of its own, so that parallel runs do not
# interleave; a unit with a finding (or that clang-tidy cannot read) leaves
# its name in failed/.
mkdir -p "$work/reports" "$work/failed"
xargs -0 -n 1 -P "$jobs" sh -c '
  report="$1/reports/$(printf "%s" "$3" | tr / _)"
  clang-tidy -p "$2" --quiet "$3" >"$report" 2>&1 || : >"$1/failed/$(basename "$report")"
' sh "$work" "$build_dir" <"$work/units"

failed=()
while IFS= read -r -d '' unit; do
  key="$(printf '%s' "$unit" | tr / _)"
  [[ -e "$work/failed/$key" ]] || continue
  failed+=("${unit#"$repo"/}")
  echo "--- ${unit#"$repo"/}"
  # clang-tidy's own tally ("N warnings generated") says nothing of ours.
  grep -vE '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' "$work/reports/$key"
done <"$work/units"

if [[ ${#failed[@]} -eq 0 ]]; then
  echo "check-tidy: no findings in $total translation units"
  exit 0
fi
printf 'check-tidy: findings in %s\n' "${failed[@]}"
# A finding in a header shows in every unit that includes it: each once here.
cat "$work"/reports/* |
  sed -nE 's/^(.+):([0-9]+):([0-9]+): (warning|error): .* \[([^],]+)[],].*$/\1:\2:\3 \5/p' | sort -u |
  while read -r place check; do echo "check-tidy: finding: ${place#"$repo"/} [$check]"; done
echo "check-tidy: ${#failed[@]} of $total translation units have findings ($(clang-tidy --version | grep -o 'version [0-9.]*'))"
exit 1
