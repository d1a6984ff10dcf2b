#!/usr/bin/env bash
# The ways a run can end before the installation reports, for real under
# Wine: a system DLL that cannot be had (WINEDLLOVERRIDES=<dll>=d makes it so
# for one run), and a damaged copy whose dialog template is gone. Each ends
# with its own status and, where a box can still be shown, the numbered
# failure; none writes anything; and the debugger's channel names the cause.
#
# Without user32 (or gdi32, which Wine's user32 needs) no box can be shown;
# nor without comctl32 under Wine, whose message boxes then fail (measured):
# the status alone tells. ole32, which serves only the taskbar button's
# progress, cannot be taken away here: Wine's own imm32 needs it for every
# window (measured), so only a Win32 test shows the taskbar without it.
#
#   every_ending_told.sh CASE INSTALLER.exe E2E_DRIVER.exe [REMOVE_RESOURCE.exe]
#   CASE: shell32 | shlwapi | comctl32 | gdi32 | user32 | damaged_copy
# The debugger's channel, where the program leaves what a developer needs.
export AW_E2E_WINEDEBUG="fixme-all,warn+debugstr"
source "$(dirname "$0")/lib.sh"
case_name="$1"
shift
remove_resource="${3:-}"
e2e_begin "ending_$case_name" "$1" "$2"

expect_debug_line() { # pattern [log]
  local log="${2:-$scratch/installer-$installer_runs.wine}"
  grep -q "addonwarlord1: $1" "$log" ||
    fail "no debugger line '$1': $(grep -i debugstr "$log" | head -5)"
}

set_up_demo_game base
# Wine starts its desktop process for the first program that opens a window,
# with that program's environment: started by the installer, it would inherit
# the DLL override and crash. A window of another program opened first keeps
# the desktop up and the override the installer's alone.
start_stand_in AW_KEEP_DESKTOP_UP
case "$case_name" in
  shell32|shlwapi)
    installer_env=("WINEDLLOVERRIDES=$case_name=d")
    start_installer
    expect_lone_box "無法載入 Windows 的系統元件"
    press_ok
    expect_lone_box "addonwarlord1 的安裝失敗(504)"
    press_ok
    expect_exit "$installer_pid" "the installer" 504
    # Wine's shell32 needs shlwapi: without it, shell32 is the first to fail.
    expect_debug_line "\\(shell32\\|$case_name\\).dll could not be loaded (error [0-9]*)"
    expect_nothing_written
    ;;
  comctl32)
    installer_env=("WINEDLLOVERRIDES=comctl32=d")
    start_installer
    expect_exit "$installer_pid" "the installer" 504
    expect_debug_line "comctl32.dll could not be loaded (error [0-9]*)"
    expect_nothing_written
    ;;
  gdi32|user32)
    # The driver's launcher needs user32 itself: the installer is started
    # alone, and the status is what the shell sees of it.
    log="$scratch/alone.wine"
    AW_WINE_DLLOVERRIDES="$case_name=d" WINEDEBUG="$AW_E2E_WINEDEBUG" "$run_in_wine" --prefix "$prefix" \
      "$installer" 2>"$log" &
    alone_pid=$!
    background_pids+=("$alone_pid")
    expect_exit "$alone_pid" "the installer" $((504 % 256))
    # gdi32 missing takes user32 with it.
    expect_debug_line "user32.dll could not be loaded (error [0-9]*)" "$log"
    expect_nothing_written
    ;;
  damaged_copy)
    [[ -n $remove_resource ]] || fail "the damaged copy needs remove_resource.exe"
    damaged_dir="$("$run_in_wine" --prefix "$prefix" --drive-c)/damaged"
    mkdir -p "$damaged_dir"
    cp "$installer" "$damaged_dir/"
    give_to_wine_user "$damaged_dir"
    # The dialog template, 102.
    wine_run "$remove_resource" 'C:\damaged\'"$exe_name" 5 102 || fail "could not damage the copy"
    installer="$damaged_dir/$exe_name"
    start_installer
    expect_lone_box "無法顯示安裝視窗"
    press_ok
    expect_lone_box "addonwarlord1 的安裝失敗(503)"
    press_ok
    expect_exit "$installer_pid" "the installer" 503
    expect_debug_line "the progress dialog could not be made (error [0-9]*)"
    expect_nothing_written
    ;;
  *) fail "unknown case $case_name" ;;
esac
echo "PASS"
