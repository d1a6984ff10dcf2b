#!/usr/bin/env bash
# Takes the README's pictures from real runs of the installer under Wine
# (code page 950, on an X server of their own): the progress dialog, the
# information box, the completion box and the two boxes of failure 103 (the
# game not updated far enough), and the dialog and information box once more
# at 144 DPI. Writes PNG files into docs/pictures/.
#
#   tools/make-pictures.sh
#
# Run as root, like the two main commands. The pictures are read from the
# screen by tools/bench's runner (a screen copy from inside Wine) and turned
# into PNG by a Python script: no image tools are needed.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
"$repo/tools/install-deps.sh" >/dev/null

# A Wine root of its own gives an X server of its own: windows of other
# programs running under Wine at the same time cannot cover the pictures.
export AW_WINE_ROOT="${AW_PICTURES_WINE_ROOT:-/tmp/addonwarlord1-pictures}"

win_build="${AW_PICTURES_BUILD_DIR:-$repo/build/windows}"
echo "=== building"
(cd "$repo" && cmake --preset windows -B "$win_build" >/dev/null)
cmake --build "$win_build" -j2 --target addonwarlord1_setup e2e_driver bench_runner >/dev/null

source "$repo/tests/e2e/lib.sh"
installer="$win_build/app/addonwarlord1_setup.exe"
driver_exe="$win_build/tests/e2e/e2e_driver.exe"
runner="$win_build/tools/bench/bench_runner.exe"
exe_name="$(basename "$installer")"
pictures="$repo/docs/pictures"
mkdir -p "$pictures"
prefix="pictures"
scratch="$(mktemp -d)"
# The private X server is ours alone: it goes when we do (the prefix
# template stays in $AW_WINE_ROOT for the next run).
end_pictures() {
  e2e_end
  local pid_file="$AW_WINE_ROOT/xvfb.pid"
  [[ -s $pid_file ]] && kill "$(cat "$pid_file")" 2>/dev/null && rm -f "$pid_file" "$AW_WINE_ROOT/display"
  return 0
}
trap end_pictures EXIT

# Runs the installer once, answering its boxes; its pictures land in $shots.
run_with_pictures() {
  local shots_wine
  shots="$("$run_in_wine" --prefix "$prefix" --drive-c)/pictures"
  rm -rf "$shots"
  mkdir -p "$shots"
  chown "$("$run_in_wine" --owner)" "$shots"
  shots_wine="$("$run_in_wine" --prefix "$prefix" --wine-path "$shots" | tr -d '\r')"
  driven="$("$run_in_wine" --prefix "$prefix" --with "$installer" "$runner" run-installer "$exe_name" "$shots_wine" | tr -d '\r')"
  printf '%s\n' "$driven" | sed 's/^/  /'
}

keep() { # picture-in-shots name-in-docs expected-text
  [[ -f $shots/$1.bmp ]] || fail "no picture $1 was taken"
  [[ -z ${3:-} || "$(value_of "${1//-/_}_text_hex")" == "$(cp950_hex "$3")" ]] ||
    fail "$1 shows $(cp950_hex_to_utf8 "$(value_of "${1//-/_}_text_hex")"), expected $3"
  python3 "$repo/tools/bench/bmp-to-png.py" "$shots/$1.bmp" "$pictures/$2.png"
  echo "wrote docs/pictures/$2.png"
}

# A fresh prefix with a base game whose archives are of full size: the
# dialog is then seen while the worker copies and patches.
fresh_base_game() {
  "$run_in_wine" --prefix "$prefix" --reset
  set_up_demo_game base >/dev/null
  use_large_archives
}

echo "=== a successful installation (base edition)"
fresh_base_game
run_with_pictures
[[ "$(value_of exit_code)" == 0 ]] || fail "the installation did not succeed"
keep dialog dialog
keep box-1 information-box "將安裝碧潮紀行 本體專用資料。"
keep box-2 completion-box "已完成 addonwarlord1 的安裝"

echo "=== the same at 144 DPI (150 %), to see that the dialog scales"
fresh_base_game
drive reg-set "Control Panel\\Desktop" LogPixels dword 144 >/dev/null
run_with_pictures
[[ "$(value_of exit_code)" == 0 ]] || fail "the installation at 144 DPI did not succeed"
keep dialog-2 dialog-144dpi
keep box-1 information-box-144dpi "將安裝碧潮紀行 本體專用資料。"

echo "=== failure 103: the game is not updated far enough"
"$run_in_wine" --prefix "$prefix" --reset
set_up_demo_game base >/dev/null
drive reg-set "software\\ZAVO\\$product_key\\PL" 1 dword 1 >/dev/null
run_with_pictures
[[ "$(value_of exit_code)" == 103 ]] || fail "the installer ended with $(value_of exit_code), expected 103"
keep box-1 failure-103 "請先套用「碧潮紀行」的更新程式後再重新啟動"
keep box-2 failure-103-code "addonwarlord1 的安裝失敗(103)"
