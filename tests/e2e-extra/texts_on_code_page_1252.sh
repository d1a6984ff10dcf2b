#!/usr/bin/env bash
# A player whose system code page is 1252 (Western) reads the same Chinese:
# no game is installed, and the dialog's caption and status line and both
# failure boxes read right through the wide-character API. A second copy
# started meanwhile ends at once with status 3; the installer itself ends
# with its failure code, 101.
#
#   texts_on_code_page_1252.sh INSTALLER.exe wide_text_check.exe
set -uo pipefail
installer="$1"
checker="$2"
run_in_wine="$(dirname "$0")/../wine/run-in-wine.sh"
prefix=e2e-extra-cp1252
export AW_WINE_LOCALE=C.UTF-8
scratch="$(mktemp -d)"
trap 'kill "${installer_pid:-}" "${checker_pid:-}" 2>/dev/null; "$run_in_wine" --prefix "$prefix" --stop; rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; [[ -f $scratch/checker.log ]] && cat "$scratch/checker.log" >&2; exit 1; }

"$run_in_wine" --prefix "$prefix" --reset || fail "could not prepare the prefix"

"$run_in_wine" --prefix "$prefix" "$installer" &
installer_pid=$!
# The first box stays until the second copy below has ended, however long
# that copy takes to start: the first copy is surely running meanwhile.
drive_c="$("$run_in_wine" --prefix "$prefix" --drive-c)"
rm -f "$drive_c/second-copy-ended"
"$run_in_wine" --prefix "$prefix" "$checker" --hold-first-box-until 'C:\second-copy-ended' \
  >"$scratch/checker.log" 2>&1 &
checker_pid=$!

for _ in $(seq 600); do
  grep -q '^box0 ' "$scratch/checker.log" && break
  kill -0 "$checker_pid" 2>/dev/null || break
  kill -0 "$installer_pid" 2>/dev/null || { wait "$installer_pid"; fail "the installer ended (status $?) before its first box"; }
  sleep 0.1
done
grep -q '^box0 ' "$scratch/checker.log" ||
  fail "the first failure box did not come within 60 s (the installer is $(kill -0 "$installer_pid" 2>/dev/null && echo "still running" || echo "no longer running"))"

timeout -k 5 120 "$run_in_wine" --prefix "$prefix" "$installer"
second_status=$?
touch "$drive_c/second-copy-ended"
[[ $second_status -eq 3 ]] || fail "a second copy ended with $second_status, expected 3"

wait "$checker_pid"
checker_status=$?
checker_pid=""
wait "$installer_pid"
installer_status=$?
installer_pid=""

cat "$scratch/checker.log"
grep -q '^acp 1252' "$scratch/checker.log" || fail "the system code page was not 1252"
[[ $checker_status -eq 0 ]] || fail "a text read wrong"
[[ $installer_status -eq 101 ]] || fail "the installer ended with $installer_status, expected 101"
echo "PASS"
