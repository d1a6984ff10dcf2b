#!/usr/bin/env bash
# The harness itself: with a misbehaving program in the installer's place,
# the waits tell a crash, an early exit, a slow start, a program that runs on
# but shows nothing and one that never answers apart, each in its own words,
# and the full status passes through (a crash as its exception code, 302 as
# 302). A prefix made for tests shows no crash dialog, so a crash ends the
# process, and the failed case's report carries Wine's crash report.
#   harness_tells_endings_apart.sh MISBEHAVING.exe E2E_DRIVER.exe
source "$(dirname "$0")/lib.sh"
e2e_begin harness "$@"
readonly access_violation=$((0xC0000005))

# Runs a check that must fail, in a subshell, and checks the message it
# fails with; what it printed is in $scratch/failed.out.
expect_failure() { # expected-message command...
  local expected="$1" message
  shift
  message="$( ("$@") 2>&1 >"$scratch/failed.out" | sed -n 's/^FAIL: //p' | tail -n 1)" || true
  [[ $message == "$expected" ]] || fail "'$*' failed with '$message', expected '$expected'"
  echo "as expected: $message"
}

start_misbehaving() { # mode args...
  installer_args=("$@")
  start_installer
}

stop_all() { "$run_in_wine" --prefix "$prefix" --stop; }

# The program's cue: a file it waits for (see MisbehavingProgram.cpp).
drive_c="$(wine_run --drive-c)"
cue() { touch "$drive_c/$1"; }

echo "--- a crash before any window"
start_misbehaving crash
expect_failure "the installer ended with a crash (exception 0xC0000005) before its progress dialog" \
  drive wait-dialog "$hang_guard_seconds"
expect_exit "$installer_pid" "the program" "$access_violation"
expect_failure "the program ended with a crash (exception 0xC0000005), expected status 0" \
  expect_exit "$installer_pid" "the program" 0
report_installer_runs | grep -q "^Unhandled exception: page fault" || fail "no crash report among the run's lines"

echo "--- an early exit with a status above 255, looked for after the end"
start_misbehaving exit 302
expect_exit "$installer_pid" "the program" 302
expect_failure "the installer ended with status 302 before a message box" drive wait-box "$hang_guard_seconds"
expect_failure "the program ended with status 302, expected status 301" expect_exit "$installer_pid" "the program" 301

echo "--- a crash while a box is waited for"
start_misbehaving crash-later 'C:\crash-now'
drive wait-dialog "$hang_guard_seconds"
cue crash-now
expect_failure "the installer ended with a crash (exception 0xC0000005) before a message box" \
  drive wait-box "$hang_guard_seconds"

echo "--- a slow start, then a dialog whose thread is busy for a while"
start_misbehaving slow 4000 3000
drive wait-dialog "$hang_guard_seconds"
expect dialog_bar_pos 7
expect dialog_bar_high 12
drive wait-box "$hang_guard_seconds"
expect box_text_hex "$(printf done | od -An -tx1 | tr -d ' \n')"
press_ok
expect_exit "$installer_pid" "the program" 0

echo "--- a program that runs on and shows no box"
start_misbehaving quiet
drive wait-dialog "$hang_guard_seconds"
expect_failure "a message box: not within 3 s, and the installer is still running" drive wait-box 3
stop_all

echo "--- a dialog that never answers"
start_misbehaving deaf 'C:\be-deaf'
drive wait-dialog "$hang_guard_seconds"
cue be-deaf
waited=0
until [[ -e $drive_c/be-deaf.deaf ]]; do
  (( waited++ < hang_guard_seconds * 10 )) || fail "the program did not stop answering within $hang_guard_seconds s"
  sleep 0.1
done
expect_failure "its progress dialog to answer: not within 3 s, and the installer is still running" \
  drive wait-dialog 3
grep -qx 'dialog_bar_pos=no-answer' "$scratch/failed.out" || fail "an unanswered bar read as $(grep '^dialog_bar_pos=' "$scratch/failed.out")"
stop_all
echo "PASS"
