#!/usr/bin/env bash
# A registered, updated installation of one edition (base | expansion): the
# installer tells which edition's data it installs, reports completion, and
# leaves the three face archives patched and the record file in place, all
# read-only, with no temporary file behind. A second run over those
# read-only files succeeds the same way and yields the same files.
#   installs_edition.sh base|expansion INSTALLER.exe E2E_DRIVER.exe
source "$(dirname "$0")/lib.sh"
edition="$1"
shift
e2e_begin "installs_$edition" "$@"
payload="$repo_root/resources/payload"
if [[ $edition == base ]]; then
  information_text="將安裝碧潮紀行 本體專用資料。"
  record_name="addonwarlord1.77B"; record_payload="$payload/record_base.bin"
else
  information_text="將安裝碧潮紀行 擴充版專用資料。"
  record_name="addonwarlord1.77P"; record_payload="$payload/record_expansion.bin"
fi

set_up_demo_game "$edition"
documents="$("$run_in_wine" --prefix "$prefix" --documents)"
game_data="$documents/ZAVO/Vantaris77 Tc"

install_once() {
  start_installer
  expect_progress_dialog
  expect_box "$information_text"
  press_ok
  expect_box "已完成 addonwarlord1 的安裝"
  expect dialog_bar_pos 12
  press_ok
  expect_exit "$installer_pid" "the installer"
  expect_no_installer_windows
}

expect_installed_files() {
  local size lower expected_files
  for size in L M S; do
    lower="$(tr 'LMS' 'lms' <<<"$size")"
    python3 "$(dirname "$0")/check_face_archive.py" "$game_dir/GRP/EDIT_KAO_$size.V77" \
      "$game_data/GRP/EDIT_KAO_$size.V77" "$payload/face_$lower.bin" "$size" || fail "face archive $size"
  done
  cmp "$record_payload" "$game_data/EDIT/BUSHOU/$record_name" || fail "record file differs from the payload"
  expected_files="$(printf '%s\n' "EDIT/BUSHOU/$record_name" GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77)"
  [[ "$(cd "$game_data" && find . -type f | sed 's|^\./||' | sort)" == "$expected_files" ]] ||
    fail "files under the game's documents folder: $(cd "$game_data" && find . -type f)"
  [[ -z "$(cd "$game_data" && find . -type f -perm /222)" ]] ||
    fail "files left writable: $(cd "$game_data" && find . -type f -perm /222)"
}

install_once
expect_installed_files
install_once
expect_installed_files
echo "PASS"
