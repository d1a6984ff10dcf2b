#!/usr/bin/env bash
# A second copy started while the first waits at its first box ends at once
# and shows nothing; the first is undisturbed and finishes normally. After
# both have ended a new copy runs again.
source "$(dirname "$0")/lib.sh"
e2e_begin second_copy "$@"

start_installer
first_pid=$installer_pid
expect_box "尚未安裝「碧潮紀行」"
first_box="$(value_of box_hwnd)"

start_installer
expect_exit "$installer_pid" "the second copy" 3
watch_installer "$first_pid"
drive count-windows
expect dialogs 1
expect boxes 1
expect_box "尚未安裝「碧潮紀行」"
expect box_hwnd "$first_box"

press_ok
expect_box "addonwarlord1 的安裝失敗(101)"
press_ok
expect_exit "$first_pid" "the first copy" 101

start_installer
expect_progress_dialog
expect_box "尚未安裝「碧潮紀行」"
press_ok
press_ok
expect_exit "$installer_pid" "the third copy" 101
echo "PASS"
