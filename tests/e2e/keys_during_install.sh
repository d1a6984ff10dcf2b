#!/usr/bin/env bash
# Enter, Esc and close requests (key messages, the OK and Cancel commands,
# WM_CLOSE, the system menu's close) reach the progress dialog at random
# moments of full installations on archives of realistic size, while the
# boxes are answered as a user would. Every run still reports its outcome
# (the completion box comes, the status is 0) and leaves exactly the files of
# an undisturbed run; no file is left half written.
#   keys_during_install.sh INSTALLER.exe E2E_DRIVER.exe
# AW_E2E_KEY_RUNS (default 6) and AW_E2E_SEED (default: from the clock).
source "$(dirname "$0")/lib.sh"
e2e_begin keys_during_install "$@"
readonly key_runs="${AW_E2E_KEY_RUNS:-6}"
readonly seed="${AW_E2E_SEED:-$(date +%s)}"
echo "seed=$seed"
started_at=$SECONDS
set_up_demo_game base
use_large_archives

pokes=0
checks=0
for ((run = 1; run <= key_runs; run++)); do
  rm -rf "$documents/ZAVO"
  # Never zero: zero sends nothing.
  run_unattended --poke $((seed * 1000 + run))
  expect outcome ended
  expect exit_code 0
  expect installer_status 0
  expect boxes 2
  expect_text box1_text "將安裝碧潮紀行 本體專用資料。"
  expect_text box2_text "已完成 addonwarlord1 的安裝"
  for size in L M S; do expect_patched_archive "$size"; done
  cmp "$repo_root/resources/payload/record_base.bin" "$game_data/EDIT/BUSHOU/addonwarlord1.77B" || fail "the record file"
  expect_files_in_game_data GRP/EDIT_KAO_L.V77 GRP/EDIT_KAO_M.V77 GRP/EDIT_KAO_S.V77 EDIT/BUSHOU/addonwarlord1.77B
  pokes=$((pokes + $(value_of pokes)))
  checks=$((checks + 5))
done
rm -rf "$documents/ZAVO"
echo "PASS in $((SECONDS - started_at)) s"
echo "pokes=$pokes runs=$key_runs checks=$checks seed=$seed"
