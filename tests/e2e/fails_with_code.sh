#!/usr/bin/env bash
# Installations that fail with a numbered code: the two failure boxes come in
# order, the bar stands where the run stopped, the installer ends with the
# code as its status, and the files are exactly as the failing step leaves
# them. Where something held a file, a run after its release completes.
#   fails_with_code.sh CASE INSTALLER.exe E2E_DRIVER.exe
# Cases:
#   base_patch_level_1          PL\1 = 1                         → 103
#   expansion_executable_2010   the executable dated 2010       → 104
#   source_archive_missing      S missing in the install folder  → 102
#   archive_held_at_commit      M archive held open by another   → 205
#   record_held_open            the record file held open        → 302
#   documents_named_in_thai     a documents folder that code page 950
#                               cannot name (ไทย)                → 105, nothing written
source "$(dirname "$0")/lib.sh"
case_name="$1"
shift
e2e_begin "fails_$case_name" "$@"
readonly face_failed="無法建立容貌資料"
readonly record_failed="無法建立武將資料"
readonly base_info="將安裝碧潮紀行 本體專用資料。"
readonly base_record="EDIT/BUSHOU/addonwarlord1.77B"

complete_run() {
  run_unattended
  expect outcome ended
  expect exit_code 0
  expect_text box2_text "已完成 addonwarlord1 的安裝"
}

case "$case_name" in
documents_named_in_thai)
  source "$(dirname "$0")/documents_folder.sh"
  set_up_demo_game base
  use_documents_folder_beyond_code_page "ไทย"
  folders_outside_documents >"$scratch/folders_before"
  fail_run 105 0 "無法使用「文件」資料夾"
  [[ -z "$(cd "$documents" && find . -mindepth 1)" ]] || fail "written in the documents folder: $(cd "$documents" && find .)"
  folders_outside_documents >"$scratch/folders_after"
  diff "$scratch/folders_before" "$scratch/folders_after" >&2 || fail "folders appeared or went outside the documents folder"
  ;;
base_patch_level_1)
  set_up_demo_game base 1
  # Stage 1 + 3 archives copied; the gate fails before its own step.
  fail_run 103 4 "請先套用「碧潮紀行」的更新程式後再重新啟動"
  for size in L M S; do expect_unpatched_archive "$size"; done
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77
  ;;
expansion_executable_2010)
  set_up_demo_game expansion 2 "2010-06-01 12:00:00"
  mkdir -p "$game_data/EDIT/SETDATA"
  python3 "$(dirname "$0")/set_data.py" make "$game_data/EDIT/SETDATA/EDATA000.77Q" 8 3
  cp "$game_data/EDIT/SETDATA/EDATA000.77Q" "$scratch/set_data_before"
  give_to_wine_user "$documents/ZAVO"
  fail_run 104 4 "請先套用「碧潮紀行 擴充版」的更新程式後再重新啟動"
  for size in L M S; do expect_unpatched_archive "$size"; done
  cmp "$scratch/set_data_before" "$game_data/EDIT/SETDATA/EDATA000.77Q" || fail "the set-data file changed"
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 EDIT/SETDATA/EDATA000.77Q
  ;;
source_archive_missing)
  set_up_demo_game base
  rm "$game_dir/GRP/EDIT_KAO_S.V77"
  fail_run 102 3 "尚未安裝「碧潮紀行」"
  expect_unpatched_archive L
  expect_unpatched_archive M
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77
  ;;
archive_held_at_commit)
  set_up_demo_game base
  pre_stage_archives
  start_holder "$game_data/GRP/EDIT_KAO_M.V77"
  # Stage 1, prepare 1, patch 3, commit L 1.
  fail_run 205 6 "$face_failed" "$base_info"
  expect_patched_archive L
  expect_read_only "$game_data/GRP/EDIT_KAO_L.V77"
  expect_unpatched_archive M
  expect_unpatched_archive S
  expect_read_only "$game_data/GRP/EDIT_KAO_M.\$\$\$" "$game_data/GRP/EDIT_KAO_S.\$\$\$"
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 \
    'GRP/EDIT_KAO_M.$$$' 'GRP/EDIT_KAO_S.$$$'
  stop_holder
  complete_run
  for size in L M S; do expect_patched_archive "$size"; done
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 "$base_record"
  ;;
record_held_open)
  set_up_demo_game base
  mkdir -p "$game_data/EDIT/BUSHOU"
  printf 'an earlier record\n' >"$game_data/$base_record"
  cp "$game_data/$base_record" "$scratch/record_before"
  chmod 444 "$game_data/$base_record"
  give_to_wine_user "$documents/ZAVO"
  start_holder "$game_data/$base_record"
  # Stage 1 + 3 copied, prepare 1, archives 6; the record's step is not reached.
  fail_run 302 11 "$record_failed" "$base_info"
  cmp "$scratch/record_before" "$game_data/$base_record" || fail "the held record changed"
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/$base_record.\$\$\$" ||
    fail "the temporary record file does not hold the new record"
  for size in L M S; do expect_patched_archive "$size"; done
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 \
    "$base_record" "$base_record.\$\$\$"
  stop_holder
  complete_run
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/$base_record" || fail "the record after the release"
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 "$base_record"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS"
