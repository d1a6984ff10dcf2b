#!/usr/bin/env bash
# Builds the installer and runs it under Wine against a demo installation of
# the game, answering its message boxes as a user would and showing them.
#
#   tools/run-demo.sh               the base edition
#   tools/run-demo.sh --expansion   the expansion edition
#
# Run as root (it installs what is missing and runs Wine as an ordinary user).
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
edition=base
case "${1:-}" in
  "") ;;
  --expansion) edition=expansion ;;
  *) echo "usage: $0 [--expansion]" >&2; exit 2 ;;
esac

"$repo/tools/install-deps.sh"

build_dir="${AW_DEMO_BUILD_DIR:-$repo/build/windows}"
echo "=== building the Windows configuration in $build_dir"
(cd "$repo" && cmake --preset windows -B "$build_dir" >/dev/null)
cmake --build "$build_dir" -j2 --target addonwarlord1_setup e2e_driver

source "$repo/tests/e2e/lib.sh"
installer="$build_dir/app/addonwarlord1_setup.exe"
driver_exe="$build_dir/tests/e2e/e2e_driver.exe"
exe_name="$(basename "$installer")"
prefix="demo-$edition"
scratch="$(mktemp -d)"
keep_prefix=1
trap e2e_end EXIT

echo "=== setting up a demo game ($edition edition) in a fresh Wine prefix"
"$run_in_wine" --prefix "$prefix" --reset
documents="$("$run_in_wine" --prefix "$prefix" --documents)"
set_up_demo_game "$edition" >/dev/null
echo "registry: HKCU\\software\\ZAVO\\$product_key\\Install InstallInfo = $wine_game_dir, PL\\1 = 2"
echo "game folder: $game_dir"
echo "documents folder: $documents"

echo "=== running the installer"
start_installer
drive wait-dialog "$hang_guard_seconds" >/dev/null
echo "dialog: $(cp950_hex_to_utf8 "$(value_of dialog_caption_hex)") / $(cp950_hex_to_utf8 "$(value_of dialog_status_hex)")"
while kill -0 "$installer_pid" 2>/dev/null; do
  driven="$("$run_in_wine" --prefix "$prefix" "$driver_exe" --exe "$exe_name" wait-box 2 | tr -d '\r')" || continue
  echo "box: $(cp950_hex_to_utf8 "$(value_of box_text_hex)")    (progress $(value_of dialog_bar_pos)/12)"
  "$run_in_wine" --prefix "$prefix" "$driver_exe" --exe "$exe_name" press-ok "$hang_guard_seconds" >/dev/null
done
wait "$installer_pid" || true

echo "=== files under the documents folder"
(cd "$documents" && find . -type f -exec ls -l {} + | sed 's/^/  /')
echo "=== the installer: $installer"
echo "=== the demo's C: drive stays in $("$run_in_wine" --prefix "$prefix" --drive-c)"
