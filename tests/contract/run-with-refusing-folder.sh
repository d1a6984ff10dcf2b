#!/usr/bin/env bash
# Runs the Win32 contract tests under Wine in the prefix PREFIX, with a folder
# that refuses the tests' writes: Wine takes a folder's Unix permissions as
# Windows' own, but a program inside it cannot set them, so the folder is
# made here, owned by root, with one readable file in it.
#   run-with-refusing-folder.sh PREFIX PROGRAM.exe [ARGS...]
set -euo pipefail
readonly run_in_wine="$(dirname "$0")/../wine/run-in-wine.sh"
prefix="$1"
shift
drive_c="$("$run_in_wine" --prefix "$prefix" --drive-c)"
refusing="$drive_c/refusing"
rm -rf "$refusing"
mkdir -p "$refusing"
printf 'kept\n' >"$refusing/kept.bin"
chown -R root:root "$refusing"
chmod 755 "$refusing"
chmod 644 "$refusing/kept.bin"
AW_TEST_REFUSING_FOLDER='C:\refusing\' exec "$run_in_wine" --prefix "$prefix" "$@"
