#!/usr/bin/env bash
# The installer process ends abruptly (TerminateProcess, the nearest a test
# gets to pulling the plug) at random moments of a full base installation on
# a fresh user folder with archives of realistic size, one moment drawn in
# each of as many equal slices of the run as there are kills, so that every
# phase of the file work that lasts two slices or more is hit. The kills that
# landed in each phase are counted; copying and patching the archives, which
# take most of the run, must each have been hit. After each kill every
# face archive and the record file is absent or, byte for byte, as it was or
# as a successful run makes it (compared by SHA-256), and a following run
# completes with exactly the files of an undisturbed run.
#   killed_during_install.sh INSTALLER.exe E2E_DRIVER.exe
# AW_E2E_KILLS (default 20) and AW_E2E_SEED (default: from the clock) set the
# number of kills and the seed of the moments; the seed is printed first, and
# a failure is replayed with the same seed.
source "$(dirname "$0")/lib.sh"
e2e_begin killed_during_install "$@"
readonly kills="${AW_E2E_KILLS:-20}"
readonly seed="${AW_E2E_SEED:-$(date +%s)}"
echo "seed=$seed"
RANDOM="$seed"
readonly record="EDIT/BUSHOU/addonwarlord1.77B"
readonly targets=(GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 "$record")
started_at=$SECONDS

set_up_demo_game base
use_large_archives

sha_of() { sha256sum "$1" | cut -d' ' -f1; }

declare -A old_sha new_sha
for size in L M S; do old_sha[GRP/EDIT_KAO_$size.V77]="$(sha_of "$game_dir/GRP/EDIT_KAO_$size.V77")"; done
old_sha[$record]=absent

# The undisturbed run gives the expected files and the span the kills fall in.
run_unattended
expect outcome ended
expect exit_code 0
expect_text box2_text "已完成 addonwarlord1 的安裝"
run_ms="$(value_of elapsed_ms)"
for size in L M S; do expect_patched_archive "$size"; done
cmp "$repo_root/resources/payload/record_base.bin" "$game_data/$record" || fail "the record file"
for target in "${targets[@]}"; do new_sha[$target]="$(sha_of "$game_data/$target")"; done
runs=1
checks=0

# Classifies every target as absent, old or new into $states; anything else
# is a half-written file, counted and told.
half_written=0
classify_targets() {
  local target sha
  states=()
  for target in "${targets[@]}"; do
    if [[ ! -e $game_data/$target ]]; then states+=(absent); continue; fi
    sha="$(sha_of "$game_data/$target")"
    checks=$((checks + 1))
    if [[ $sha == "${new_sha[$target]}" ]]; then states+=(new)
    elif [[ $sha == "${old_sha[$target]}" ]]; then states+=(old)
    else
      states+=(HALF-WRITTEN)
      half_written=$((half_written + 1))
      echo "FAIL: after a kill at $moment ms, $target is neither absent, nor as it was, nor as installed" >&2
    fi
  done
}

# The phase of the file work a kill landed in, from the targets' states.
declare -A kills_in=([copying]=0 [patching]=0 [committing]=0 [record]=0 [done]=0)
phase_of_states() {
  local archives="${states[*]:0:3}" record_state="${states[3]}"
  if [[ $archives == *absent* ]]; then echo copying
  elif [[ $archives == "old old old" ]]; then echo patching
  elif [[ $archives == *old* ]]; then echo committing
  elif [[ $record_state == absent ]]; then echo record
  else echo done
  fi
}

# The run after a kill must complete and leave exactly the installed files.
incomplete_runs=0
check_following_run() {
  local target
  if [[ "$(value_of outcome) $(value_of exit_code)" != "ended 0" ]]; then
    incomplete_runs=$((incomplete_runs + 1))
    echo "FAIL: the run after a kill at $moment ms ended with $(value_of outcome) $(value_of exit_code)" >&2
    return
  fi
  for target in "${targets[@]}"; do
    checks=$((checks + 1))
    if [[ ! -f $game_data/$target || "$(sha_of "$game_data/$target")" != "${new_sha[$target]}" ]]; then
      incomplete_runs=$((incomplete_runs + 1))
      echo "FAIL: after the run that followed a kill at $moment ms, $target is not as installed" >&2
      return
    fi
  done
}

# A moment after the run has ended kills nothing; it is drawn again in the
# same slice of the latest undisturbed run.
killed=0
attempts=0
ended_by_itself=0
while (( killed < kills && attempts < 3 * kills )); do
  attempts=$((attempts + 1))
  rm -rf "$documents/ZAVO"
  slice_ms=$(( run_ms / kills ))
  moment=$(( killed * slice_ms + (RANDOM * 32768 + RANDOM) % slice_ms ))
  run_unattended --kill-after "$moment"
  runs=$((runs + 1))
  outcome="$(value_of outcome)"
  [[ $outcome == killed || $outcome == ended ]] || fail "the run to be killed at $moment ms: $outcome"
  if [[ $outcome != killed ]]; then ended_by_itself=$((ended_by_itself + 1)); continue; fi
  killed=$((killed + 1))
  classify_targets
  phase="$(phase_of_states)"
  kills_in[$phase]=$((kills_in[$phase] + 1))
  # The driver comes to watch a moment after the start: it kills no earlier.
  echo "kill $killed at $moment ms (done at $(value_of killed_at_ms) ms), $phase: ${targets[*]}: ${states[*]}"

  run_unattended
  runs=$((runs + 1))
  check_following_run
  if [[ $(value_of outcome) == ended ]]; then run_ms="$(value_of elapsed_ms)"; fi
done
rm -rf "$documents/ZAVO"
phases_missed=0
for phase in copying patching; do
  if (( kills_in[$phase] == 0 )); then
    echo "FAIL: no kill landed while the archives were $phase" >&2
    phases_missed=$((phases_missed + 1))
  fi
done
echo "kills by phase: copying=${kills_in[copying]} patching=${kills_in[patching]}" \
  "committing=${kills_in[committing]} record=${kills_in[record]} done=${kills_in[done]}," \
  "runs that ended before their kill: $ended_by_itself"
failures=$((half_written + incomplete_runs + (killed < kills) + phases_missed))
[[ $failures -eq 0 ]] && echo "PASS in $((SECONDS - started_at)) s" || echo "FAIL in $((SECONDS - started_at)) s (seed $seed)"
echo "kills=$killed runs=$runs checks=$checks half_written=$half_written incomplete_runs=$incomplete_runs seed=$seed"
exit $((failures > 0))
