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

# Starts the installer in the background; its pid is in $installer_pid.
start_installer() {
  # Not through wine_run: $! must be the runner itself, not a subshell.
  "$run_in_wine" --prefix "$prefix" "$installer" &
  installer_pid=$!
  background_pids+=("$installer_pid")
}

# Waits until a background program has ended and checks that it has.
expect_exit() { # pid what
  local waited=0
  while kill -0 "$1" 2>/dev/null; do
    (( waited++ < hang_guard_seconds * 10 )) || fail "$2 did not end within $hang_guard_seconds s"
    sleep 0.1
  done
  wait "$1" || true
}

# Starts a stand-in for the game's or the launcher's window and waits until it is set up.
start_stand_in() { # class [--minimised] [--popup]
  local log="$scratch/stand-in-$1.log" waited=0
  : >"$log"
  "$run_in_wine" --prefix "$prefix" "$driver_exe" make-window "$@" >"$log" 2>&1 &
  background_pids+=("$!")
  until grep -q '^ready=' "$log"; do
    kill -0 "$!" 2>/dev/null || fail "make-window $*: $(cat "$log")"
    (( waited++ < hang_guard_seconds * 10 )) || fail "make-window $* was not ready within $hang_guard_seconds s"
    sleep 0.1
  done
  grep -q '^ready=1' "$log" || fail "make-window $*: $(cat "$log")"
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

# A demo installation of the game in the prefix: the registry keys of one
# edition (patch level 2), the game executable dated 2012 and three small but
# well-formed face archives. Sets game_dir (Unix path) and product_key.
set_up_demo_game() { # base|expansion
  local game_folder game_exe size drive_c
  if [[ $1 == base ]]; then
    product_key="Vantaris77 Tc"; game_folder="Vantaris77"; game_exe="VANT77.exe"
  else
    product_key="Vantaris77QX Tc"; game_folder="Vantaris77QX"; game_exe="VANT77QX.exe"
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
    "software\\ZAVO\\$product_key\\PL" 1 dword 2
  drive set-file-time "$wine_game_dir$game_exe" "2012-06-01 12:00:00"
}
