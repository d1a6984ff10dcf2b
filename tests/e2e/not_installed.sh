#!/usr/bin/env bash
# No installation of the game is registered: the dialog opens centred, then
# the two failure boxes for 101 follow, and the installer ends without having
# written anything under the documents folder.
source "$(dirname "$0")/lib.sh"
e2e_begin not_installed "$@"

start_installer
expect_progress_dialog
expect dialog_bar_pos 0
expect_between centre_dx -2 2
expect_between centre_dy -2 2

expect_box "尚未安裝「碧潮紀行」"
expect dialog_bar_pos 0
expect dialog_enabled 0
press_ok

expect_box "addonwarlord1 的安裝失敗(101)"
press_ok

expect_exit "$installer_pid" "the installer" 101

expect_nothing_written
echo "PASS"
