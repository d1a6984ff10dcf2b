#!/usr/bin/env bash
# Another program holds files while the installer runs: a virus scanner,
# indexer or sync client reading them (sharing reading, writing and
# deletion), or a program that takes a file for itself (sharing nothing).
#   files_held_meanwhile.sh CASE INSTALLER.exe E2E_DRIVER.exe
# Cases:
#   game_files_read            the game's executable and its three archives read
#                              during the whole run                  → installed, 0
#   game_archive_held_briefly  the game's L archive taken until staging's copy
#                              of it has failed once                 → installed, 0
#   game_archive_held_too_long the same until the installer gives up → 102
#   archive_held_at_patch      the player's L archive taken until the patch's
#                              copy of it has failed once            → installed, 0
#   set_data_read_briefly      the set-data file read until the installer's open
#                              of it has failed once                 → installed, flagged
#   set_data_read_too_long     the same until the installer gives up → 401, nothing written
#
# A hold is let go on what the installer does, never after a set time: the
# installer runs with Wine's file warnings on, and every open of a file that
# fails is a line in its log. A brief hold ends once the first failed
# attempt is there, so the installer has met it; the case then checks that
# the hold ended within the installer's attempts. A lasting hold ends only
# once the installer has shown its failure, after all of its attempts.
# Every open of the installer's that another program's hold refused is a
# line of Wine's file channel in the run's log.
export AW_E2E_WINEDEBUG="fixme-all,warn+file"
source "$(dirname "$0")/lib.sh"
case_name="$1"
shift
e2e_begin "held_$case_name" "$@"
readonly set_data_name="EDIT/SETDATA/EDATA000.77Q"
readonly warlord_record_index=3
# install/RetryPolicy.h: kHeldFileAttempts.
readonly held_file_attempts=5
# Wine's code for an open refused by another handle's share mode.
readonly sharing_violation_status="c0000043"

# Keeps a file open with full sharing until killed.
start_shared_holder() { # unix-path [--press-ok]
  start_until_ready "shared-$(basename "$1")-$RANDOM" hold-file-shared "$(wine_run --wine-path "$1")" -1 "${@:2}"
  holder_pid=$ready_pid
}

# Keeps a file open, sharing nothing, until killed.
start_exclusive_holder() { # unix-path
  start_until_ready "exclusive-$(basename "$1")" hold-file "$(wine_run --wine-path "$1")" --share-nothing
  holder_pid=$ready_pid
}

start_installer_logging_failed_opens() {
  start_installer
  installer_log="$scratch/installer-$installer_runs.wine"
}

# How often the installer's opens of files whose Windows path matches the
# extended regular expression failed because another program held them.
held_opens() { # path-regex
  grep -cE "Unable to create file L\".*$1.*\" \(status $sharing_violation_status\)" "$installer_log" || true
}

# Lets the holder go as soon as the installer has met its hold once, in the
# background, so that nothing the case does meanwhile delays the release.
release_once_met() { # path-regex
  (
    waited=0
    until (( $(held_opens "$1") > 0 )); do
      kill -0 "$installer_pid" 2>/dev/null || fail "the installer ended before it met the hold on $1"
      (( waited++ < hang_guard_seconds * 20 )) || fail "the installer did not meet the hold on $1 within $hang_guard_seconds s"
      sleep 0.05
    done
    stop_holder
  ) &
  release_pid=$!
  background_pids+=("$release_pid")
}

expect_released() {
  wait "$release_pid" || fail "the hold was not released"
}

# The hold ended within the installer's attempts: it met it, then got through.
expect_waited_out() { # path-regex
  local failed
  failed="$(held_opens "$1")"
  echo "held_opens=$failed"
  (( failed >= 1 )) || fail "the installer never met the hold on $1"
  (( failed < held_file_attempts )) ||
    fail "the hold on $1 outlasted the installer's $held_file_attempts attempts (released too late: $failed failed opens)"
}

# The hold lasted through every attempt the installer made.
expect_held_throughout() { # path-regex
  local failed
  failed="$(held_opens "$1")"
  echo "held_opens=$failed"
  kill -0 "$holder_pid" 2>/dev/null || fail "the holder of $1 ended before the installer gave up"
  (( failed == held_file_attempts )) ||
    fail "the installer met the hold on $1 $failed times, expected $held_file_attempts attempts"
}

# An expansion installation whose player already has the archives and a
# set-data file.
set_up_expansion_with_set_data() {
  set_up_demo_game expansion
  pre_stage_archives
  mkdir -p "$game_data/EDIT/SETDATA"
  python3 "$(dirname "$0")/set_data.py" make "$scratch/set_data_before" 8 "$warlord_record_index"
  cp "$scratch/set_data_before" "$game_data/$set_data_name"
  give_to_wine_user "$documents/ZAVO"
}

# The completion box is up: a full bar, OK, status 0 and no window left.
expect_completion() {
  expect_text box_text "已完成 addonwarlord1 的安裝"
  expect_text box_caption "$caption_text"
  expect box_owner_is_dialog 1
  expect dialog_bar_pos 12
  press_ok
  expect_exit "$installer_pid" "the installer" 0
}

# The two failure boxes, the status, and no window left.
expect_failure() { # code specific-text bar_pos
  expect_text box_text "$2"
  expect dialog_bar_pos "$3"
  press_ok
  expect_box "addonwarlord1 的安裝失敗($1)"
  press_ok
  expect_exit "$installer_pid" "the installer" "$1"
}

readonly base_info="將安裝碧潮紀行 本體專用資料。"
readonly expansion_info="將安裝碧潮紀行 擴充版專用資料。"
readonly base_record="EDIT/BUSHOU/addonwarlord1.77B"
readonly archives=(GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77)
# Windows paths as Wine's log writes them (backslashes doubled).
readonly games_archive_l='Games\\\\Vantaris77\\\\GRP\\\\EDIT_KAO_L\.V77'
readonly players_archive_l='Vantaris77 Tc\\\\GRP\\\\EDIT_KAO_L\.V77'
readonly set_data_file='EDATA000\.77Q'

case "$case_name" in
game_files_read)
  set_up_demo_game base
  start_shared_holder "$game_dir/VANT77.exe"
  for size in L M S; do start_shared_holder "$game_dir/GRP/EDIT_KAO_$size.V77"; done
  run_unattended
  expect outcome ended
  expect exit_code 0
  expect_text box1_text "$base_info"
  expect_text box2_text "已完成 addonwarlord1 的安裝"
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/$base_record" || fail "the record file"
  expect_files_in_game_data "${archives[@]}" "$base_record"
  ;;
game_archive_held_briefly)
  set_up_demo_game base
  start_exclusive_holder "$game_dir/GRP/EDIT_KAO_L.V77"
  start_installer_logging_failed_opens
  release_once_met "$games_archive_l"
  expect_progress_dialog
  drive wait-box "$hang_guard_seconds"
  expect_released
  expect_waited_out "$games_archive_l"
  expect_text box_text "$base_info"
  press_ok
  drive wait-box "$hang_guard_seconds"
  expect_completion
  for size in L M S; do expect_patched_archive "$size"; done
  expect_files_in_game_data "${archives[@]}" "$base_record"
  ;;
game_archive_held_too_long)
  set_up_demo_game base
  start_exclusive_holder "$game_dir/GRP/EDIT_KAO_L.V77"
  start_installer_logging_failed_opens
  expect_progress_dialog
  drive wait-box "$hang_guard_seconds"
  expect_held_throughout "$games_archive_l"
  stop_holder
  # Staging's own step; L was not copied.
  expect_failure 102 "尚未安裝「碧潮紀行」" 1
  expect_files_in_game_data
  ;;
archive_held_at_patch)
  set_up_demo_game base
  pre_stage_archives
  start_exclusive_holder "$game_data/GRP/EDIT_KAO_L.V77"
  start_installer_logging_failed_opens
  expect_progress_dialog
  expect_box "$base_info"
  release_once_met "$players_archive_l"
  press_ok
  drive wait-box "$hang_guard_seconds"
  expect_released
  expect_waited_out "$players_archive_l"
  expect_completion
  for size in L M S; do expect_patched_archive "$size"; done
  expect_files_in_game_data "${archives[@]}" "$base_record"
  ;;
set_data_read_briefly)
  set_up_expansion_with_set_data
  start_installer_logging_failed_opens
  expect_progress_dialog
  expect_box "$expansion_info"
  # Opened before the box is answered: the installer cannot reach the file first.
  start_shared_holder "$game_data/$set_data_name" --press-ok
  release_once_met "$set_data_file"
  drive wait-box "$hang_guard_seconds"
  expect_released
  expect_waited_out "$set_data_file"
  expect_completion
  python3 "$(dirname "$0")/set_data.py" check "$scratch/set_data_before" "$game_data/$set_data_name" \
    "$warlord_record_index" || fail "the set-data file is not flagged"
  for size in L M S; do expect_patched_archive "$size"; done
  expect_files_in_game_data "${archives[@]}" EDIT/BUSHOU/addonwarlord1.77P "$set_data_name"
  ;;
set_data_read_too_long)
  set_up_expansion_with_set_data
  start_installer_logging_failed_opens
  expect_progress_dialog
  expect_box "$expansion_info"
  start_shared_holder "$game_data/$set_data_name" --press-ok
  drive wait-box "$hang_guard_seconds"
  expect_held_throughout "$set_data_file"
  stop_holder
  # Stage 1, prepare 1; the set-data step is not reached.
  expect_failure 401 "無法更新劇本資料" 2
  cmp "$scratch/set_data_before" "$game_data/$set_data_name" || fail "the set-data file changed"
  for size in L M S; do expect_unpatched_archive "$size"; done
  expect_files_in_game_data "${archives[@]}" "$set_data_name"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS"
