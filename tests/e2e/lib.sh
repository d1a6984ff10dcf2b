# Shared by the end-to-end cases: each case gets a Wine prefix of its own
# (e2e-<case>), starts the installer there and checks what a user would see
# through e2e_driver. Every wait has a generous limit that only guards
# against a hang.
set -euo pipefail

readonly repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
readonly run_in_wine="$repo_root/tests/wine/run-in-wine.sh"
readonly hang_guard_seconds=60

readonly game_window_class="ZAVO_VANTARIS_77_WINDOW"
readonly launcher_window_class="ZAVO_VANTARIS_77_LAUNCHER_WINDOW"

background_pids=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

e2e_begin() { # case-name installer.exe e2e_driver.exe
  [[ $# -eq 3 ]] || fail "usage: $0 INSTALLER.exe E2E_DRIVER.exe"
  prefix="e2e-$1"
  installer="$2"
  driver_exe="$3"
  exe_name="$(basename "$installer")"
  scratch="$(mktemp -d)"
  trap e2e_end EXIT
  "$run_in_wine" --prefix "$prefix" --reset
  expect_code_page "${AW_E2E_CODE_PAGE:-950}"
}

# Wine picks the code page from the locale and says nothing when it cannot:
# a test must not pass while it looks at the wrong one.
expect_code_page() { # number
  drive code-page
  [[ "$(value_of acp)" == "$1" ]] ||
    fail "Wine runs with code page '$(value_of acp)', the test needs $1 (is the locale ${AW_WINE_LOCALE:-zh_TW.UTF-8} generated? run tools/install-deps.sh)"
}

# A prefix is kept after a failure (or with keep_prefix=1), for a look at
# what the installer left.
keep_prefix=0
e2e_end() {
  local status=$? pid
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [[ $status -eq 0 && $keep_prefix -eq 0 ]]; then
    "$run_in_wine" --prefix "$prefix" --remove || true
  else
    "$run_in_wine" --prefix "$prefix" --stop || true
    [[ $status -eq 0 ]] || echo "the Wine prefix is kept: $("$run_in_wine" --prefix "$prefix" --drive-c)" >&2
  fi
  rm -rf "$scratch"
}

wine_run() { "$run_in_wine" --prefix "$prefix" "$@"; }

# Runs the driver; its key=value lines are kept in $driven (and logged).
drive() {
  local status=0
  driven="$(wine_run "$driver_exe" --exe "$exe_name" "$@")" || status=$?
  driven="${driven//$'\r'/}"
  printf '%s\n' "--- e2e_driver $*" "$driven"
  [[ $status -eq 0 ]] || fail "e2e_driver $* ended with $status"
}

value_of() { # key: from the last drive
  sed -n "s/^$1=//p" <<<"$driven" | head -n 1
}

expect() { # key expected-value
  local actual
  actual="$(value_of "$1")"
  [[ $actual == "$2" ]] || fail "$1 is '$actual', expected '$2'"
}

# The hex bytes of a UTF-8 text in code page 950, as the driver prints texts.
cp950_hex() {
  printf '%s' "$1" | iconv -f UTF-8 -t CP950 | od -An -v -tx1 | tr -d ' \n'
}

expect_text() { # key-without-_hex utf8-text
  local actual expected
  actual="$(value_of "$1_hex")"
  expected="$(cp950_hex "$2")"
  [[ $actual == "$expected" ]] ||
    fail "$1 is $(cp950_hex_to_utf8 "$actual") ($actual), expected $2 ($expected)"
}

cp950_hex_to_utf8() {
  local hex="$1" escaped=""
  while [[ -n $hex ]]; do escaped+="\\x${hex:0:2}"; hex="${hex:2}"; done
  printf "%b" "$escaped" | iconv -f CP950 -t UTF-8 2>/dev/null || printf '?'
}

expect_at_most() { # key limit
  local actual
  actual="$(value_of "$1")"
  [[ $actual =~ ^-?[0-9]+$ && $actual -le $2 ]] || fail "$1 is '$actual', expected at most $2"
}

expect_between() { # key low high
  local actual
  actual="$(value_of "$1")"
  [[ $actual =~ ^-?[0-9]+$ && $actual -ge $2 && $actual -le $3 ]] ||
    fail "$1 is '$actual', expected $2..$3"
}

expect_bits() { # key mask expected: (value & mask) == expected
  local actual
  actual="$(value_of "$1")"
  [[ $actual =~ ^0x[0-9a-fA-F]+$ ]] || fail "$1 is '$actual', not a number"
  (( (actual & $2) == $3 )) || fail "$1 is $actual: under mask $2 expected $3"
}

# Files copied beside the installer when it starts (run-in-wine.sh --with).
installer_companions=()

# Starts the installer in the background; its pid is in $installer_pid.
start_installer() {
  local companion with=()
  for companion in "${installer_companions[@]}"; do with+=(--with "$companion"); done
  # Not through wine_run: $! must be the runner itself, not a subshell.
  "$run_in_wine" --prefix "$prefix" "${with[@]}" "$installer" &
  installer_pid=$!
  background_pids+=("$installer_pid")
}

# Waits until a background program has ended and checks that it has, and
# with what status (Wine passes it on modulo 256: 302 arrives as 46).
expect_exit() { # pid what [expected-status]
  local waited=0
  while kill -0 "$1" 2>/dev/null; do
    (( waited++ < hang_guard_seconds * 10 )) || fail "$2 did not end within $hang_guard_seconds s"
    sleep 0.1
  done
  exit_status=0
  wait "$1" || exit_status=$?
  [[ $# -lt 3 || $exit_status -eq $3 ]] || fail "$2 ended with status $exit_status, expected $3"
}

# Starts a driver command that stays until killed and waits until it reports
# ready=1; its pid is in $ready_pid.
start_until_ready() { # log-name driver-command args...
  local log="$scratch/$1.log" waited=0
  shift
  : >"$log"
  "$run_in_wine" --prefix "$prefix" "$driver_exe" "$@" >"$log" 2>&1 &
  ready_pid=$!
  background_pids+=("$ready_pid")
  until grep -q '^ready=' "$log"; do
    kill -0 "$ready_pid" 2>/dev/null || fail "$*: $(cat "$log")"
    (( waited++ < hang_guard_seconds * 10 )) || fail "$* was not ready within $hang_guard_seconds s"
    sleep 0.1
  done
  grep -q '^ready=1' "$log" || fail "$*: $(cat "$log")"
}

# Starts a stand-in for the game's or the launcher's window and waits until it is set up.
start_stand_in() { # class [--minimised] [--popup]
  start_until_ready "stand-in-$1" make-window "$@"
}

# Another program keeps a file open (sharing reading only) until
# stop_holder; as under Wine no file held open can be replaced.
start_holder() { # unix-path
  start_until_ready "holder-$(basename "$1")" hold-file "$(wine_run --wine-path "$1")"
  holder_pid=$ready_pid
}

stop_holder() {
  kill "$holder_pid" 2>/dev/null || true
  wait "$holder_pid" 2>/dev/null || true
}

readonly caption_text="碧潮紀行 - 下載武將的安裝"
readonly status_text="正在安裝 addonwarlord1..."

# The progress dialog as it must look however far the run has come.
expect_progress_dialog() {
  drive wait-dialog "$hang_guard_seconds"
  expect_text dialog_caption "$caption_text"
  expect_text dialog_status "$status_text"
  expect dialog_bar_low 0
  expect dialog_bar_high 12
  # A caption but no system menu (so no close box); its own taskbar button.
  expect_bits dialog_style 0x00C80000 0x00C00000
  expect_bits dialog_exstyle 0x00040000 0x00040000
}

expect_box() { # utf8-text
  drive wait-box "$hang_guard_seconds"
  expect_text box_text "$1"
  expect_text box_caption "$caption_text"
  expect box_owner_is_dialog 1
}

press_ok() { drive press-ok "$hang_guard_seconds"; }

expect_no_installer_windows() {
  drive count-windows
  expect dialogs 0
  expect boxes 0
}

# A whole successful installation as a player goes through it: the dialog,
# the edition's information box, the completion box with a full bar, exit 0.
install_as_player() { # information-text
  start_installer
  expect_progress_dialog
  expect_box "$1"
  press_ok
  expect_box "已完成 addonwarlord1 的安裝"
  expect dialog_bar_pos 12
  press_ok
  expect_exit "$installer_pid" "the installer" 0
  expect_no_installer_windows
}

# Waits (with the hang guard) until the stand-in's window is in the expected
# state, then checks it: expectations are iconic=0|1 and foreground=main|popup|bystander.
expect_window_state() { # class expectation...
  local class="$1" expectation
  shift
  drive window-state "$class" "$hang_guard_seconds" "$@"
  for expectation in "$@"; do expect "${expectation%%=*}" "${expectation#*=}"; done
}

stop_stand_ins() {
  local pid
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  background_pids=()
}

# A demo installation of the game in the prefix (in C:\Games\$demo_game_folder
# when that is set): the registry keys of one edition (patch level 2 unless given), the game executable (dated 2012
# unless given) and three small but well-formed face archives. Sets game_dir
# (Unix path), product_key, and the documents paths documents and game_data.
set_up_demo_game() { # base|expansion [patch-level [executable-date]]
  local game_folder game_exe size drive_c patch_level="${2:-2}" exe_date="${3:-2012-06-01 12:00:00}"
  if [[ $1 == base ]]; then
    product_key="Vantaris77 Tc"; game_folder="${demo_game_folder:-Vantaris77}"; game_exe="VANT77.exe"
  else
    product_key="Vantaris77QX Tc"; game_folder="${demo_game_folder:-Vantaris77QX}"; game_exe="VANT77QX.exe"
  fi
  drive_c="$("$run_in_wine" --prefix "$prefix" --drive-c)"
  game_dir="$drive_c/Games/$game_folder"
  mkdir -p "$game_dir/GRP"
  printf 'MZ demo game executable\n' >"$game_dir/$game_exe"
  for size in L M S; do
    python3 "$repo_root/tools/demo/make-face-archive.py" "$game_dir/GRP/EDIT_KAO_$size.V77" "$size"
  done
  chown -R "$("$run_in_wine" --owner)" "$drive_c/Games"

  wine_game_dir="C:\\Games\\$game_folder\\"
  drive reg-set \
    "software\\ZAVO\\$product_key\\Install" InstallInfo sz "$wine_game_dir" \
    "software\\ZAVO\\$product_key\\PL" 1 dword "$patch_level"
  drive set-file-time "$wine_game_dir$game_exe" "$exe_date"
  documents="$("$run_in_wine" --prefix "$prefix" --documents)"
  game_data="$documents/ZAVO/Vantaris77 Tc"
}

# Files put under the documents folder from outside, owned by the wine user.
give_to_wine_user() { # path...
  chown -R "$("$run_in_wine" --owner)" "$@"
}

# Archives of realistic size in place of the demo game's small ones.
use_large_archives() {
  local size
  for size in L M S; do
    python3 "$repo_root/tools/demo/make-face-archive.py" "$game_dir/GRP/EDIT_KAO_$size.V77" "$size" full
  done
  give_to_wine_user "$game_dir"
}

# The archives as a player who had them already (copies of the game's).
pre_stage_archives() {
  mkdir -p "$game_data/GRP"
  cp "$game_dir"/GRP/EDIT_KAO_?.V77 "$game_data/GRP/"
  give_to_wine_user "$documents/ZAVO"
}

# The installed archive of one size is the game's with the face patched in.
expect_patched_archive() { # L|M|S
  local lower
  lower="$(tr 'LMS' 'lms' <<<"$1")"
  python3 "$repo_root/tests/e2e/check_face_archive.py" "$game_dir/GRP/EDIT_KAO_$1.V77" \
    "$game_data/GRP/EDIT_KAO_$1.V77" "$repo_root/resources/payload/face_$lower.bin" "$1" ||
    fail "face archive $1 is not the patched archive"
}

expect_unpatched_archive() { # L|M|S
  cmp -s "$game_dir/GRP/EDIT_KAO_$1.V77" "$game_data/GRP/EDIT_KAO_$1.V77" ||
    fail "face archive $1 is not the game's archive as it was"
}

expect_read_only() { # path...
  local path
  for path in "$@"; do
    [[ -f $path && -z "$(find "$path" -perm /222)" ]] || fail "$path is missing or writable"
  done
}

# The files under the game's documents folder, relative to it, one a line, sorted.
files_in_game_data() {
  (cd "$game_data" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
}

expect_files_in_game_data() { # relative-path...
  local expected
  expected="$(printf '%s\n' "$@" | LC_ALL=C sort)"
  [[ "$(files_in_game_data)" == "$expected" ]] ||
    fail "files under the game's documents folder: $(files_in_game_data | tr '\n' ' '), expected $*"
}

# Starts the installer and runs it unattended with e2e_driver (boxes are
# answered with OK); further driver options (--kill-after, --poke) pass on.
run_unattended() { # driver-options...
  start_installer
  drive unattended "$hang_guard_seconds" "$@"
  expect_exit "$installer_pid" "the installer"
  driven+=$'\n'"installer_status=$exit_status"
  echo "installer_status=$exit_status"
}
