#!/usr/bin/env bash
# The installer downloaded into a folder where DLLs named like system ones
# already lie, each of which leaves a marker file when any process loads it.
# With Wine's default load order, and again with native-first for the names
# that Windows does not protect as KnownDLLs (which is how Windows searches
# for those), the installation completes as usual and no marker appears.
# First a probe that loads DLLs by bare name from that folder shows, under
# each load order, that a load does leave its marker. Under native first, a
# load by bare name made inside the running installer (as Windows' own DLLs
# make theirs, long after start) gets the system's DLL, not the one beside
# it: the search was narrowed before the program's code ran.
#   no_dll_planting.sh INSTALLER.exe E2E_DRIVER.exe MARKER.dll PROBE.exe
source "$(dirname "$0")/lib.sh"
marker_dll="$3"
probe="$4"
e2e_begin no_dll_planting "$1" "$2"

readonly unprotected_names=(version uxtheme dwmapi propsys userenv winmm msimg32 cryptbase profapi
  textshaping sspicli cfgmgr32 powrprof wldp uiautomationcore explorerframe apphelp windows.storage
  dbghelp netapi32 wtsapi32 cabinet)
# Loaded in the running installer by bare name; nothing the installer does loads it.
readonly loaded_later="cabinet.dll"
readonly protected_names=(shcore imm32 oleaut32 comctl32 kernelbase msctf)
native_first="$(IFS=,; echo "${unprotected_names[*]}")=n,b"

planted="$scratch/planted"
installer_folder="Downloads"
mkdir "$planted"
for name in "${unprotected_names[@]}" "${protected_names[@]}"; do
  cp "$marker_dll" "$planted/$name.dll"
  installer_companions+=("$planted/$name.dll")
done

drive_c="$("$run_in_wine" --prefix "$prefix" --drive-c)"
markers="$drive_c/dll-markers"
mkdir "$markers"
give_to_wine_user "$markers"
export AW_TEST_MARKER_DIR='C:\dll-markers'

markers_left() { (cd "$markers" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' '); }

expect_markers() { # what expected-markers...
  local what="$1" expected=""
  shift
  [[ $# -eq 0 ]] || expected="$(printf '%s\n' "$@" | LC_ALL=C sort | tr '\n' ' ')"
  if [[ "$(markers_left)" != "$expected" ]]; then
    local marker
    for marker in "$markers"/*; do
      [[ -f $marker ]] && echo "$(basename "$marker"): $(iconv -f UTF-16LE -t UTF-8 "$marker")" >&2
    done
    fail "$what: markers '$(markers_left)', expected '$expected'"
  fi
  rm -f "$markers"/*
}

probe_loads() { # dll-name...
  local status=0 companion with=()
  for companion in "${installer_companions[@]}"; do with+=(--with "$companion"); done
  wine_run "${with[@]}" "$probe" "$@" || status=$?
  [[ $status -eq 0 ]] || fail "the probe could not load $status of $*"
}

set_up_demo_game base
readonly information_text="將安裝碧潮紀行 本體專用資料。"
readonly record_name="addonwarlord1.77B"

install_once() {
  if [[ ${1:-} == --load-later ]]; then
    start_installer
    expect_progress_dialog
    expect_box "$information_text"
    drive load-in "$loaded_later" "$hang_guard_seconds"
    expect remote_load loaded
    expect_markers "a load by bare name in the running installer"
    press_ok
    expect_box "已完成 addonwarlord1 的安裝"
    expect dialog_bar_pos 12
    press_ok
    expect_exit "$installer_pid" "the installer" 0
  else
    install_as_player "$information_text"
  fi
  local size
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/EDIT/BUSHOU/$record_name" ||
    fail "record file differs from the payload"
  expect_files_in_game_data "EDIT/BUSHOU/$record_name" GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77
  expect_read_only "$game_data/EDIT/BUSHOU/$record_name" "$game_data"/GRP/EDIT_KAO_?.V77
}

echo "--- Wine's default load order"
unset AW_WINE_DLLOVERRIDES
probe_loads shcore.dll
expect_markers "the probe, default load order" shcore.dll.loaded
install_once
expect_markers "the installer, default load order"

echo "--- native first for the DLLs that Windows does not protect"
export AW_WINE_DLLOVERRIDES="$native_first"
probe_loads version.dll msimg32.dll uxtheme.dll "$loaded_later"
expect_markers "the probe, native first" version.dll.loaded msimg32.dll.loaded uxtheme.dll.loaded \
  "$loaded_later.loaded"
install_once --load-later
expect_markers "the installer, native first"
echo "PASS"
