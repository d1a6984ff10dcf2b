#!/usr/bin/env bash
# A registered, updated installation of one edition (base | expansion) on a
# fresh user folder: the installer tells which edition's data it installs,
# reports completion, ends with status 0, and leaves the three face archives
# patched and the record file in place, all read-only, with no temporary
# file behind. For the expansion edition the warlord's record in the
# scenario set-data file (read-only) gets status 1 and nothing else changes,
# and a read-only base-edition record in the record folder is gone. A second
# run over those read-only files succeeds the same way and changes no byte.
#   installs_edition.sh base|expansion INSTALLER.exe E2E_DRIVER.exe
source "$(dirname "$0")/lib.sh"
edition="$1"
shift
e2e_begin "installs_$edition" "$@"
payload="$repo_root/resources/payload"
readonly set_data_name="EDIT/SETDATA/EDATA000.77Q"
readonly warlord_record_index=5
set_up_demo_game "$edition"
if [[ $edition == base ]]; then
  information_text="將安裝碧潮紀行 本體專用資料。"
  record_name="addonwarlord1.77B"; record_payload="$payload/record_base.bin"
  installed_files=("EDIT/BUSHOU/$record_name")
else
  information_text="將安裝碧潮紀行 擴充版專用資料。"
  record_name="addonwarlord1.77P"; record_payload="$payload/record_expansion.bin"
  installed_files=("EDIT/BUSHOU/$record_name" "$set_data_name")
  mkdir -p "$game_data/EDIT/SETDATA" "$game_data/EDIT/BUSHOU"
  python3 "$(dirname "$0")/set_data.py" make "$scratch/set_data_before" 12 "$warlord_record_index"
  cp "$scratch/set_data_before" "$game_data/$set_data_name"
  printf 'an earlier base-edition record\n' >"$game_data/EDIT/BUSHOU/addonwarlord1.77B"
  chmod 444 "$game_data/$set_data_name" "$game_data/EDIT/BUSHOU/addonwarlord1.77B"
  give_to_wine_user "$documents/ZAVO"
fi
installed_files+=(GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77)

install_once() {
  install_as_player "$information_text"
}

expect_installed_files() {
  local size
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$record_payload" "$game_data/EDIT/BUSHOU/$record_name" || fail "record file differs from the payload"
  if [[ $edition == expansion ]]; then
    python3 "$(dirname "$0")/set_data.py" check "$scratch/set_data_before" "$game_data/$set_data_name" \
      "$warlord_record_index" || fail "the set-data file"
  fi
  expect_files_in_game_data "${installed_files[@]}"
  expect_read_only "$game_data/EDIT/BUSHOU/$record_name" "$game_data"/GRP/EDIT_KAO_?.V77
}

install_once
expect_installed_files
mkdir "$scratch/first"
(cd "$game_data" && cp --parents "${installed_files[@]}" "$scratch/first/")
install_once
expect_installed_files
for file in "${installed_files[@]}"; do
  cmp "$scratch/first/$file" "$game_data/$file" || fail "the second run changed $file"
done
echo "PASS"
