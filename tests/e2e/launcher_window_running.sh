#!/usr/bin/env bash
# Only the game's launcher is running, minimised: the installer shows nothing
# and ends, after restoring the launcher's window and bringing it to the
# foreground.
source "$(dirname "$0")/lib.sh"
e2e_begin launcher_window_running "$@"

start_stand_in "$launcher_window_class" --minimised
expect_window_state "$launcher_window_class" iconic=1 foreground=bystander

start_installer
expect_exit "$installer_pid" "the installer" 2
expect_window_state "$launcher_window_class" iconic=0 foreground=main
echo "PASS"
