#!/usr/bin/env bash
# Checks that every tracked C++ file is formatted to .clang-format's style, with
# Debian 12's clang-format (tools/install-deps.sh installs it). Names each file
# that is not and exits 1; tools/format-code.sh formats them.
#   tools/check-format.sh
set -uo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
command -v clang-format >/dev/null || { echo "check-format: clang-format is missing (tools/install-deps.sh)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$repo/tools/cpp-sources.sh" >"$work/sources" || exit 2
total=$(tr -cd '\0' <"$work/sources" | wc -c)
# One clang-format at a time: its reports of parallel runs would interleave.
xargs -0 -n 50 clang-format --dry-run --Werror --style=file <"$work/sources" 2>"$work/report"
status=$?
sed -nE 's/^(.+):[0-9]+:[0-9]+: error: code should be clang-formatted.*/\1/p' "$work/report" | sort -u >"$work/unformatted"
bad=$(wc -l <"$work/unformatted")
if [[ $status -ne 0 && $bad -eq 0 ]]; then
  cat "$work/report" >&2
  echo "check-format: clang-format itself failed (status $status)" >&2
  exit 2
fi
if [[ $bad -eq 0 ]]; then
  echo "check-format: all $total C++ files are formatted"
  exit 0
fi
sed 's/^/check-format: not formatted: /' "$work/unformatted"
echo "check-format: $bad of $total C++ files are not formatted ($(clang-format --version));" \
     "tools/format-code.sh formats them, clang-format --dry-run FILE shows where"
exit 1
