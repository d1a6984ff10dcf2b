#!/usr/bin/env bash
# Another program reads files while the installer runs, opening them for
# reading and sharing reading, writing and deletion, as virus scanners,
# search indexers and sync clients do.
#   files_held_meanwhile.sh CASE INSTALLER.exe E2E_DRIVER.exe
# Cases:
#   game_files_read         the game's executable and its three archives read
#                           during the whole run              → installed, 0
#   set_data_read_briefly   the set-data file read for 300 ms from the moment
#                           the information box is answered   → installed, flagged
#   set_data_read_too_long  the same for 4 s, longer than the installer waits
#                           → 401, nothing written
source "$(dirname "$0")/lib.sh"
case_name="$1"
shift
e2e_begin "held_$case_name" "$@"
readonly set_data_name="EDIT/SETDATA/EDATA000.77Q"
readonly warlord_record_index=3

# Keeps a file open with full sharing until killed (or for MS milliseconds).
start_shared_holder() { # unix-path [ms [--press-ok]]
  start_until_ready "shared-$(basename "$1")-$RANDOM" hold-file-shared "$(wine_run --wine-path "$1")" "${2:--1}" "${@:3}"
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

readonly expansion_info="將安裝碧潮紀行 擴充版專用資料。"

case "$case_name" in
game_files_read)
  set_up_demo_game base
  start_shared_holder "$game_dir/VANT77.exe"
  for size in L M S; do start_shared_holder "$game_dir/GRP/EDIT_KAO_$size.V77"; done
  run_unattended
  expect outcome ended
  expect exit_code 0
  expect_text box1_text "將安裝碧潮紀行 本體專用資料。"
  expect_text box2_text "已完成 addonwarlord1 的安裝"
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/EDIT/BUSHOU/addonwarlord1.77B" || fail "the record file"
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 EDIT/BUSHOU/addonwarlord1.77B
  ;;
set_data_read_briefly)
  set_up_expansion_with_set_data
  start_installer
  expect_progress_dialog
  expect_box "$expansion_info"
  start_shared_holder "$game_data/$set_data_name" 300 --press-ok
  expect_box "已完成 addonwarlord1 的安裝"
  expect dialog_bar_pos 12
  press_ok
  expect_exit "$installer_pid" "the installer" 0
  python3 "$(dirname "$0")/set_data.py" check "$scratch/set_data_before" "$game_data/$set_data_name" \
    "$warlord_record_index" || fail "the set-data file is not flagged"
  for size in L M S; do expect_patched_archive "$size"; done
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 \
    EDIT/BUSHOU/addonwarlord1.77P "$set_data_name"
  ;;
set_data_read_too_long)
  set_up_expansion_with_set_data
  start_installer
  expect_progress_dialog
  expect_box "$expansion_info"
  start_shared_holder "$game_data/$set_data_name" 4000 --press-ok
  # Stage 1, prepare 1; the set-data step is not reached.
  expect_box "無法更新劇本資料"
  expect dialog_bar_pos 2
  press_ok
  expect_box "addonwarlord1 的安裝失敗(401)"
  press_ok
  expect_exit "$installer_pid" "the installer" $((401 % 256))
  expect_no_installer_windows
  cmp "$scratch/set_data_before" "$game_data/$set_data_name" || fail "the set-data file changed"
  for size in L M S; do expect_unpatched_archive "$size"; done
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 "$set_data_name"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS"
