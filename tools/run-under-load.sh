#!/usr/bin/env bash
# Runs N whole installations under Wine while other programs keep every
# processor busy, and classifies each outcome:
#   completed      status 0, the information and completion boxes, and
#                  exactly the files of an installation (the three archives
#                  patched, the record file, nothing else)
#   wrong-files    status 0, but the files or the boxes are not those
#   failed         ended with a failure code or another status of its own
#   crashed        ended by an exception (the status is its code)
#   hung           still running when the limit passed
#   harness-fault  the harness could not start, watch or tell the run
# Each installation starts on a fresh documents folder of a base-edition
# demo game (the small archives), with its boxes answered as a player would.
#
#   tools/run-under-load.sh [N]     N installations (default 100)
#   AW_LOAD_LIMIT (120)  seconds one installation may take before it counts as hung
#   AW_LOAD_BUSY (nproc) busy programs beside the installations
#
# The last lines give the count of each class; the logs of every run that
# did not complete stay in build/load/. Exits 0 only when every run
# completed. Run as root, like the two main commands (it runs Wine as an
# ordinary user).
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-100}"
limit="${AW_LOAD_LIMIT:-120}"
busy="${AW_LOAD_BUSY:-$(nproc)}"
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [N]" >&2; exit 2; }
"$repo/tools/install-deps.sh" >/dev/null

win_build="$repo/build/windows"
echo "=== building"
(cd "$repo" && cmake --preset windows -B "$win_build" >/dev/null)
cmake --build "$win_build" -j2 --target addonwarlord1_setup e2e_driver >/dev/null

source "$repo/tests/e2e/lib.sh"
installer="$win_build/app/addonwarlord1_setup.exe"
driver_exe="$win_build/tests/e2e/e2e_driver.exe"
exe_name="$(basename "$installer")"
prefix="load"
scratch="$(mktemp -d)"
logs="$repo/build/load"
rm -rf "$logs"
mkdir -p "$logs"

busy_pids=()
finish() {
  local status=$? pid
  for pid in "${busy_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  (exit "$status")
  e2e_end
}
trap finish EXIT
"$run_in_wine" --prefix "$prefix" --reset
expect_code_page 950 >/dev/null
set_up_demo_game base >/dev/null
readonly information_text="將安裝碧潮紀行 本體專用資料。"
readonly completion_text="已完成 addonwarlord1 的安裝"
readonly record="EDIT/BUSHOU/addonwarlord1.77B"

# The files and boxes of an installation, or what differs (on stderr).
check_installation() {
  expect boxes 2
  expect_text box1_text "$information_text"
  expect_text box2_text "$completion_text"
  local size
  for size in L M S; do expect_patched_archive "$size"; done
  cmp -s "$repo/resources/payload/record_base.bin" "$game_data/$record" || fail "the record file differs from the payload"
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 "$record"
}

# One installation, in a subshell of its own (a harness failure ends only
# it); its class is the last line of its output.
one_installation() { # run-number
  scratch="$scratch/run-$1"
  mkdir -p "$scratch"
  rm -rf "$documents/ZAVO"
  start_installer
  local status=0
  driven="$(wine_run "$driver_exe" --exe "$exe_name" --pid "$installer_wpid" unattended "$limit" | tr -d '\r')" ||
    status=$?
  printf '%s\n' "$driven"
  case "$(value_of outcome)" in
  timeout)
    "$run_in_wine" --prefix "$prefix" --stop
    echo "class=hung"; return ;;
  ended) ;;
  *) echo "class=harness-fault"; return ;;
  esac
  expect_exit "$installer_pid" "the installer"
  echo "status=$exit_status"
  if [[ $exit_status != "$(value_of exit_code)" ]]; then
    echo "class=harness-fault"
  elif (( exit_status >= 0x80000000 )); then
    echo "class=crashed"
  elif (( exit_status != 0 )); then
    echo "class=failed"
  elif (check_installation) >/dev/null; then
    echo "class=completed"
  else
    echo "class=wrong-files"
  fi
}

for ((i = 0; i < busy; i++)); do
  (while :; do :; done) &
  busy_pids+=($!)
done
echo "=== $runs installations beside $busy busy programs"
declare -A count=([completed]=0 [wrong-files]=0 [failed]=0 [crashed]=0 [hung]=0 [harness-fault]=0)
started_at=$SECONDS
for ((run = 1; run <= runs; run++)); do
  run_started=$SECONDS
  output="$( (one_installation "$run") 2>&1)" || true
  class="$(sed -n 's/^class=//p' <<<"$output" | tail -n 1)"
  [[ -n $class ]] || class=harness-fault
  count[$class]=$((count[$class] + 1))
  line="run $run: $class"
  [[ $class == completed ]] || line+=" ($(grep -E '^(status|outcome|installer)=|^FAIL' <<<"$output" | tr '\n' ' '))"
  echo "$line in $((SECONDS - run_started)) s"
  if [[ $class != completed ]]; then
    mkdir -p "$logs/run-$run"
    printf '%s\n' "$output" >"$logs/run-$run/output.txt"
    cp "$scratch/run-$run"/* "$logs/run-$run/" 2>/dev/null || true
  fi
done
echo "=== $runs installations in $((SECONDS - started_at)) s beside $busy busy programs"
for class in completed wrong-files failed crashed hung harness-fault; do echo "$class=${count[$class]}"; done
[[ ${count[completed]} -eq $runs ]]
