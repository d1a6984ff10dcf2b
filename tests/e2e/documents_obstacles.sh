#!/usr/bin/env bash
# What stands in the installer's way in the documents folder, as a player's
# Windows shows it: a folder that refuses the installer's writes (Controlled
# folder access or a ransomware shield on Windows; here the folder's Unix
# permissions, which Wine reports as access denied alike), a read-only
# leftover of an earlier run, and a file where a folder must be. Each case
# checks the boxes, the bar, the status and that nothing was half written;
# once the obstacle is gone, a second run completes.
#   documents_obstacles.sh CASE INSTALLER.exe E2E_DRIVER.exe
# Cases:
#   documents_not_writable    a fresh documents folder refusing writes  → 106, nothing written
#   grp_not_writable          the player's GRP refusing writes          → 106, archives as they were
#   record_leftover_read_only a read-only addonwarlord1.77B.$$$ left    → installed, leftover replaced
#   file_in_place_of_grp      a file named GRP                          → 109, nothing written
source "$(dirname "$0")/lib.sh"
case_name="$1"
shift
e2e_begin "obstacle_$case_name" "$@"
readonly refused_text="Windows 或安全性軟體拒絕讓安裝程式寫入「文件」資料夾，請允許本程式後再執行一次"
readonly file_in_the_way_text="「文件」資料夾中有檔案佔用了安裝程式需要的資料夾名稱，請將該檔案移走或改名後再執行"
readonly base_info="將安裝碧潮紀行 本體專用資料。"
readonly base_record="EDIT/BUSHOU/addonwarlord1.77B"
readonly archives=(GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77)

expect_base_installed() {
  local size
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/$base_record" || fail "the record file"
  expect_read_only "$game_data/$base_record" "$game_data"/GRP/EDIT_KAO_?.V77
  expect_files_in_game_data "${archives[@]}" "$base_record"
}

set_up_demo_game base
case "$case_name" in
documents_not_writable)
  documents_folder="$(readlink -f "$documents")"
  chmod 555 "$documents_folder"
  # Refused at the first folder the installer makes, before any other step.
  fail_run 106 0 "$refused_text"
  expect_nothing_written
  chmod 755 "$documents_folder"
  install_as_player "$base_info"
  expect_base_installed
  ;;
grp_not_writable)
  pre_stage_archives
  chmod 555 "$game_data/GRP"
  # Stage 1, prepare 1: the patch's first copy is refused.
  fail_run 106 2 "$refused_text" "$base_info"
  for size in L M S; do expect_unpatched_archive "$size"; done
  expect_files_in_game_data "${archives[@]}"
  chmod 755 "$game_data/GRP"
  install_as_player "$base_info"
  expect_base_installed
  ;;
record_leftover_read_only)
  mkdir -p "$game_data/EDIT/BUSHOU"
  printf 'a record half written by an earlier run\n' >"$game_data/$base_record.\$\$\$"
  chmod 444 "$game_data/$base_record.\$\$\$"
  give_to_wine_user "$documents/ZAVO"
  install_as_player "$base_info"
  expect_base_installed
  ;;
file_in_place_of_grp)
  mkdir -p "$game_data"
  printf 'not a folder\n' >"$game_data/GRP"
  cp "$game_data/GRP" "$scratch/grp_file"
  give_to_wine_user "$documents/ZAVO"
  # Told before any folder is made.
  fail_run 109 0 "$file_in_the_way_text"
  cmp "$scratch/grp_file" "$game_data/GRP" || fail "the file named GRP changed"
  [[ "$(cd "$documents" && find . -mindepth 1 | LC_ALL=C sort | tr '\n' ' ')" == "./ZAVO ./ZAVO/Vantaris77 Tc ./ZAVO/Vantaris77 Tc/GRP " ]] ||
    fail "written under the documents folder: $(cd "$documents" && find . -mindepth 1)"
  rm "$game_data/GRP"
  install_as_player "$base_info"
  expect_base_installed
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS"
