#!/usr/bin/env bash
# Folders named in Big5 with characters whose second byte is 0x5C, the
# backslash (許 B3 5C, 功 A5 5C, 蓋 BB 5C), under code page 950: the base
# edition installs completely, byte for byte like any other run, and no
# folder appears anywhere but inside the documents folder.
#   installs_with_big5_names.sh CASE INSTALLER.exe E2E_DRIVER.exe
# Cases:
#   documents_in_read_only_parent  documents folder 許功蓋的文件 in a folder the player may not write
#   documents_ending_with_xu       documents folder 我的文件許
#   game_folder                    the game installed in C:\Games\許功蓋遊戲
source "$(dirname "$0")/lib.sh"
case_name="$1"
shift
e2e_begin "big5_$case_name" "$@"
source "$(dirname "$0")/documents_folder.sh"

case "$case_name" in
documents_in_read_only_parent) demo_game_folder="" ;;
documents_ending_with_xu) demo_game_folder="" ;;
game_folder) demo_game_folder="許功蓋遊戲" ;;
*) fail "unknown case $case_name" ;;
esac
set_up_demo_game base
case "$case_name" in
documents_in_read_only_parent) use_documents_folder "許功蓋的文件" ;;
documents_ending_with_xu) use_documents_folder "我的文件許" ;;
esac
folders_outside_documents >"$scratch/folders_before"
profile_dir="$(dirname "$documents")"
[[ $case_name == documents_in_read_only_parent ]] && chmod a-w "$profile_dir"

install_as_player "將安裝碧潮紀行 本體專用資料。"
chmod u+w "$profile_dir"

expect_base_edition_inside_documents
echo "PASS"
