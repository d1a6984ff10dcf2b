#!/usr/bin/env bash
# install-on-linux.sh from the release's folder, run by a player (an ordinary
# user) whose home holds a Steam installation of its own: two libraries (the
# second elsewhere, with a space in its path), three prefixes made with Wine
# of which one holds the game, Steam's record of the tool each game uses, the
# player's stand-in Proton that runs the system's Wine in
# $STEAM_COMPAT_DATA_PATH/pfx as Proton does, Steam's own Proton 8.0 and the
# Steam Linux Runtime. The driver answers the installer's boxes with OK.
#   - the game or its launcher running in its prefix (a program started from
#     the game's folder by its Windows path, or by its Unix path): 13, nothing run
#   - the warlord installed byte for byte in the game's prefix, through the
#     runtime and the game's Proton, in code page 950; the other prefixes untouched
#   - the game in ~/.wine too: 11, --list names both; --prefix ~/.wine
#     installs there with the system's Wine, leaving the Steam prefix as it was
#   - a home where no prefix holds the game: 10
#   - the game's Proton not to be told: 12, nothing run
#   installs_in_game_prefix.sh INSTALL-ON-LINUX.SH INSTALLER.exe E2E_DRIVER.exe
# With AW_TEST_KEEP=1 the player's files stay for a look after a pass too.
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/steam_tree.sh"
[[ $# -eq 3 ]] || fail "usage: $0 INSTALL-ON-LINUX.SH INSTALLER.exe E2E_DRIVER.exe"
script_file="$1"
installer="$2"
driver_exe="$3"
exe_name="addonwarlord1_setup.exe"
prefix="linux-game"
scratch="$(mktemp -d)"
work="$(mktemp -d "${TMPDIR:-/tmp}/aw-linux-steam.XXXXXX")"
background_pids=()

end_test() {
  local status=$? pfx pid
  [[ $status -eq 0 ]] || printf '%s\n' "--- the last run of install-on-linux.sh:" "${output:-}" >&2
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pfx in "${wine_prefixes_used[@]}"; do
    as_player env WINEPREFIX="$pfx" wineserver -k </dev/null >/dev/null 2>&1 || true
  done
  "$run_in_wine" --prefix "$prefix" --remove || true
  if [[ $status -eq 0 && ${AW_TEST_KEEP:-0} != 1 ]]; then rm -rf "$work"; else echo "the player's files are kept: $work" >&2; fi
  rm -rf "$scratch"
}
trap end_test EXIT
trap 'script_stopped $? "$LINENO" "$BASH_COMMAND"' ERR
chmod 755 "$work"
cd "$work"
wine_prefixes_used=()

# --- The player's home and Steam, with prefixes made by Wine -------------------
# The prefixes without the game are the run-in-wine prefix as Wine made it,
# linked rather than copied as nothing runs in them, but for the registry
# files that Wine rewrites in place; the game's prefix and ~/.wine are copies
# of it once the demo game is set up.
"$run_in_wine" --prefix "$prefix" --reset
expect_code_page 950
"$run_in_wine" --prefix "$prefix" --stop
made_by_wine="$(dirname "$("$run_in_wine" --prefix "$prefix" --drive-c)")"
home="$work/home"
root="$home/.local/share/Steam"
library="$work/Steam Library 2"
(
  export HOME="$home"
  make_steam "$root" "$library"
  add_runtime "$root"
  add_custom_proton "$root" "Proton-Standin" "Standin-9" "Standin-9"
  add_steam_proton "$library" "Proton 8.0" 2348590 "8.0-104"
  map_tools "$root" 2001000=proton_8 2001010=Standin-9
)
custom="$root/compatibilitytools.d/Proton-Standin"
official="$library/steamapps/common/Proton 8.0"
steam_prefix() { # library app-id proton-folder prefix-version cp-option
  mkdir -p "$1/steamapps/compatdata/$2"
  cp "$5" "$made_by_wine" "$1/steamapps/compatdata/$2/pfx"
  cp --remove-destination "$made_by_wine"/*.reg "$1/steamapps/compatdata/$2/pfx/"
  proton_set_up "$1/steamapps/compatdata/$2" "$3" "$4" "$root"
}
steam_prefix "$root" 2001000 "$official" "8.0-104" -al
steam_prefix "$library" 2001020 "$official" "8.0-104" -al
decoys=("$root/steamapps/compatdata/2001000" "$library/steamapps/compatdata/2001020")
set_up_demo_game base
"$run_in_wine" --prefix "$prefix" --stop
steam_prefix "$library" 2001010 "$custom" "Standin-9" -a
game_pfx="$library/steamapps/compatdata/2001010/pfx"
wine_prefixes_used=("$game_pfx" "$home/.wine")

release="$work/release"
mkdir -p "$release"
cp "$script_file" "$release/install-on-linux.sh"
cp "$installer" "$release/$exe_name"
chmod 755 "$release/install-on-linux.sh"
cp "$driver_exe" "$work/e2e_driver.exe"
export AW_TEST_RECORD="$work/record"
: >"$AW_TEST_RECORD"
chown -R "$("$run_in_wine" --owner)" "$work"

# Every file of a folder with its size, time and mode: a prefix that a run
# touched differs.
snapshot() { # folder
  (cd "$1" && find . -printf '%p %s %T@ %m\n' | LC_ALL=C sort)
}
declare -A decoy_before=()
for decoy in "${decoys[@]}"; do decoy_before[$decoy]="$(snapshot "$decoy")"; done

as_player() { "$run_in_wine" --as-user "$home" -- "$@"; }

# Runs install-on-linux.sh from the release folder as the player; its output
# is in $output, its status in $status.
run_script() { # args...
  : >"$AW_TEST_RECORD"
  status=0
  timeout -k 5 "$wine_run_limit_seconds" "$run_in_wine" --as-user "$home" -- "$release/install-on-linux.sh" "$@" \
    </dev/null >"$scratch/script.out" 2>&1 || status=$?
  output="$(cat "$scratch/script.out")"
  printf '%s\n' "--- install-on-linux.sh $*" "$output"
}

expect_status() { # status what
  [[ $status -eq $1 ]] || fail "$2: install-on-linux.sh ended with $status, expected $1"
}

expect_said() { # text what
  [[ $output == *"$1"* ]] || fail "$2: install-on-linux.sh did not say '$1'"
}

expect_nothing_started() { # what
  [[ ! -s $AW_TEST_RECORD ]] || fail "$1: started $(cat "$AW_TEST_RECORD")"
}

# The script run with the driver in WINE-PREFIX answering the installer's
# boxes with OK; the driver's report is in $driven.
install_as_player() { # wine-prefix args...
  local pfx="$1" driver_pid waited=0
  shift
  # The driver reads the boxes in code page 950: texts the installer showed
  # under another code page read back as other bytes.
  as_player env WINEPREFIX="$pfx" LC_ALL=zh_TW.UTF-8 wine "$work/e2e_driver.exe" --exe "$exe_name" \
    unattended "$hang_guard_seconds" \
    </dev/null >"$scratch/driver.out" 2>"$scratch/driver.err" &
  driver_pid=$!
  background_pids+=("$driver_pid")
  run_script "$@"
  [[ $status -eq 0 ]] || { kill "$driver_pid" 2>/dev/null || true; fail "the installation: status $status"; }
  while kill -0 "$driver_pid" 2>/dev/null; do
    (( waited++ < hang_guard_seconds * 10 )) || fail "the driver did not end within $hang_guard_seconds s"
    sleep 0.1
  done
  wait "$driver_pid" || fail "the driver failed: $(cat "$scratch/driver.out" "$scratch/driver.err")"
  # The prefix's wineserver outlives the run by a few seconds and writes its
  # registry files when it ends: the cases after this one change them.
  as_player env WINEPREFIX="$pfx" wineserver -w </dev/null >/dev/null 2>&1 || true
  driven="$(tr -d '\r' <"$scratch/driver.out")"
  printf '%s\n' "--- e2e_driver unattended" "$driven"
  expect outcome ended
  expect exit_code 0
  expect boxes 2
  # The texts as the installer showed them: right only in code page 950.
  expect_text box1_text "將安裝碧潮紀行 本體專用資料。"
  expect_text box2_text "已完成 addonwarlord1 的安裝"
  expect_said "Result: the installer ended with 0: installed." "the installation"
}

# The warlord as the installer leaves him in the prefix's documents folder.
expect_warlord_in() { # wine-prefix
  game_dir="$1/drive_c/Games/Vantaris77"
  game_data="$1/drive_c/users/$("$run_in_wine" --owner | cut -d: -f1)/Documents/ZAVO/Vantaris77 Tc"
  local size
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/EDIT/BUSHOU/addonwarlord1.77B" ||
    fail "the record file differs from the payload"
  expect_files_in_game_data EDIT/BUSHOU/addonwarlord1.77B GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77
}

# --- The game or its launcher running in the game's prefix --------------------
cp "$work/e2e_driver.exe" "$game_pfx/drive_c/Games/Vantaris77/Launcher.exe"
chown "$("$run_in_wine" --owner)" "$game_pfx/drive_c/Games/Vantaris77/Launcher.exe"
for started_as in 'C:\Games\Vantaris77\Launcher.exe' "$game_pfx/drive_c/Games/Vantaris77/Launcher.exe"; do
  as_player env WINEPREFIX="$game_pfx" wine "$started_as" make-window "$launcher_window_class" \
    </dev/null >"$scratch/launcher.out" 2>&1 &
  launcher_pid=$!
  background_pids+=("$launcher_pid")
  waited=0
  until grep -q '^ready=1' "$scratch/launcher.out"; do
    kill -0 "$launcher_pid" 2>/dev/null || fail "the launcher's stand-in ended: $(cat "$scratch/launcher.out")"
    (( waited++ < hang_guard_seconds * 10 )) || fail "the launcher's stand-in was not ready within $hang_guard_seconds s"
    sleep 0.1
  done
  run_script
  expect_status 13 "the launcher started as $started_as"
  expect_said "The game or its launcher is running in that prefix:" "the launcher started as $started_as"
  expect_said "Launcher.exe" "the launcher started as $started_as"
  expect_nothing_started "the launcher started as $started_as"
  as_player env WINEPREFIX="$game_pfx" wineserver -k </dev/null >/dev/null 2>&1 || true
  wait "$launcher_pid" 2>/dev/null || true
done
rm "$game_pfx/drive_c/Games/Vantaris77/Launcher.exe"

# --- The installation in the game's Steam prefix ------------------------------
install_as_player "$game_pfx"
expect_said "Found the game (base edition, installed in C:\\Games\\Vantaris77\\) in Steam app 2001010:" "found"
expect_said "Proton: ${custom/#$home/\~} (Steam runs app 2001010 with Standin-9)." "the game's Proton"
runtime="$root/steamapps/common/$runtime_folder"
expected_record="$(printf '%s\n' "runtime $runtime --verb=run tools=$custom:$runtime" \
  "proton $custom verb=run data=$library/steamapps/compatdata/2001010 client=$root app=2001010 steamappid= host_lc_all=zh_TW.UTF-8 exe=$release/$exe_name")"
[[ "$(cat "$AW_TEST_RECORD")" == "$expected_record" ]] ||
  fail "not the game's Proton in the Steam Linux Runtime: started $(cat "$AW_TEST_RECORD")"
expect_warlord_in "$game_pfx"

# --- The game in ~/.wine as well ------------------------------------------------
cp -a "$made_by_wine" "$home/.wine"
run_script
expect_status 11 "the game in a Steam prefix and in ~/.wine"
expect_said "The game was found in 2 prefixes;" "the game in a Steam prefix and in ~/.wine"
expect_nothing_started "the game in a Steam prefix and in ~/.wine"
run_script --list
expect_status 0 "--list"
[[ $output == "$game_pfx"$'\n'"$home/.wine" ]] || fail "--list printed '$output'"
steam_game_before="$(snapshot "$game_pfx")"
install_as_player "$home/.wine" --prefix "$home/.wine"
expect_said "Wine: /usr/bin/wine (the system's Wine)." "--prefix ~/.wine"
expect_nothing_started "--prefix ~/.wine"
expect_warlord_in "$home/.wine"
[[ "$(snapshot "$game_pfx")" == "$steam_game_before" ]] || fail "the run in ~/.wine changed the Steam prefix"

# --- A home where no prefix holds the game -------------------------------------
other_home="$work/other-home"
mkdir -p "$other_home/.local/share/Steam/steamapps/compatdata"
ln -s "$root/steamapps/compatdata/2001000" "$other_home/.local/share/Steam/steamapps/compatdata/2001000"
chown -R "$("$run_in_wine" --owner)" "$other_home"
saved_home="$home"
home="$other_home"
run_script
home="$saved_home"
expect_status 10 "no prefix with the game"
expect_said "The game was not found in any Wine or Proton prefix." "no prefix with the game"

# --- The game's Proton not to be told -------------------------------------------
rm "$home/.wine/user.reg"
(export HOME="$home"; map_tools "$root" 2001010=GE-Proton-Gone)
rm "$library/steamapps/compatdata/2001010/config_info" "$library/steamapps/compatdata/2001010/version"
run_script
expect_status 12 "the game's Proton not installed"
expect_said 'Steam names "GE-Proton-Gone" for app 2001010' "the game's Proton not installed"
expect_nothing_started "the game's Proton not installed"

for decoy in "${decoys[@]}"; do
  [[ "$(snapshot "$decoy")" == "${decoy_before[$decoy]}" ]] || fail "a prefix without the game was changed: $decoy"
done
echo "PASS"
