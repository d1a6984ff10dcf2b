#!/usr/bin/env bash
# Formats every tracked C++ file in place to .clang-format's style, with
# Debian 12's clang-format (tools/install-deps.sh installs it), and says how
# many it changed; `git diff` shows how.
#   tools/format-code.sh
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
cd "$repo"
command -v clang-format >/dev/null || { echo "format-code: clang-format is missing (tools/install-deps.sh)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$repo/tools/cpp-sources.sh" >"$work/sources"
xargs -0 sha1sum <"$work/sources" >"$work/before"
xargs -0 -n 20 -P 2 clang-format -i --style=file <"$work/sources"
changed=$(sha1sum --quiet --check "$work/before" 2>/dev/null | grep -c ': FAILED$' || true)
echo "format-code: $(wc -l <"$work/before") C++ files formatted, $changed of them changed"
