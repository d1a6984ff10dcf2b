#!/usr/bin/env bash
# The game is running: the installer shows nothing and ends, after restoring
# the game's window when it is minimised and bringing the game's last active
# pop-up (or the window itself) to the foreground; the launcher's window, also
# there, is left alone. Once the game has gone, the installer runs again
# (nothing of the earlier runs stands in its way).
source "$(dirname "$0")/lib.sh"
e2e_begin game_window_running "$@"

start_stand_in "$game_window_class" --minimised
start_stand_in "$launcher_window_class" --minimised
expect_window_state "$game_window_class" iconic=1 foreground=bystander
start_installer
expect_exit "$installer_pid" "the installer" 2
expect_window_state "$game_window_class" iconic=0 foreground=main
expect_window_state "$launcher_window_class" iconic=1
stop_stand_ins

# Under Wine a restore requested by another process is carried out later by
# the window's own thread, and the restored window then takes the
# foreground; so the pop-up case is checked with the game not minimised.
start_stand_in "$game_window_class" --popup
expect_window_state "$game_window_class" iconic=0 foreground=bystander
start_installer
expect_exit "$installer_pid" "the installer" 2
expect_window_state "$game_window_class" foreground=popup
stop_stand_ins

start_installer
expect_progress_dialog
expect_box "尚未安裝「碧潮紀行」"
press_ok
press_ok
expect_exit "$installer_pid" "the installer" 101
echo "PASS"
