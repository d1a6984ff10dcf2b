# Shared by the end-to-end cases: each case gets a Wine prefix of its own
# (e2e-<case>), starts the installer there and checks what a user would see
# through e2e_driver. Every wait has a generous limit that only guards
# against a hang, and watches the installer meanwhile: a crash, an early exit
# and a slow start end differently. The installer is started by the driver
# (`launch`), which tells its full 32-bit status; a crash shows as its
# exception code. A failed case prints the driver's last observation and
# each installer run's ending with Wine's error lines.
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

# Status as the driver reports it: an NTSTATUS error or warning (the top bit
# set) is the exception that ended a crashed program.
describe_status() { # full-status
  if [[ $1 =~ ^[0-9]+$ ]] && (( $1 >= 0x80000000 )); then
    printf 'a crash (exception 0x%08X)' "$1"
  else
    printf 'status %s' "$1"
  fi
}

e2e_begin() { # case-name installer.exe e2e_driver.exe
  [[ $# -eq 3 ]] || fail "usage: $0 INSTALLER.exe E2E_DRIVER.exe"
  prefix="e2e-$1"
  installer="$2"
  driver_exe="$3"
  exe_name="$(basename "$installer")"
  scratch="$(mktemp -d)"
  trap e2e_end EXIT
  trap 'script_stopped $? "$LINENO" "$BASH_COMMAND"' ERR
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

# A command that failed outside `fail` ends the case too (set -e): say which,
# so that a fault of the script is never a silent red.
script_stopped() { # status line command
  echo "FAIL: $(basename "$0") stopped at line $2 with status $1: $3" >&2
}

# A prefix is kept after a failure (or with keep_prefix=1), for a look at
# what the installer left.
keep_prefix=0
e2e_end() {
  local status=$? pid
  if [[ $status -ne 0 ]]; then
    report_last_observation >&2
    report_installer_runs >&2
  fi
  for pid in "${background_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [[ $status -eq 0 && $keep_prefix -eq 0 ]]; then
    "$run_in_wine" --prefix "$prefix" --remove || true
  else
    "$run_in_wine" --prefix "$prefix" --stop || true
    [[ $status -eq 0 ]] || echo "the Wine prefix is kept: $("$run_in_wine" --prefix "$prefix" --drive-c)" >&2
  fi
  rm -rf "$scratch"
}

# Every program run in the prefix: the driver's own waits end well before
# this limit, which catches Wine itself stuck (status 124).
readonly wine_run_limit_seconds=$((hang_guard_seconds * 2 + 30))
wine_run() { timeout -k 5 "$wine_run_limit_seconds" "$run_in_wine" --prefix "$prefix" "$@"; }

# Runs the driver, watching the installer started last (see watch_installer);
# its key=value lines are kept in $driven (and logged).
drive() {
  local status=0 watching=()
  [[ -n ${watched_wpid:-} ]] && watching=(--pid "$watched_wpid")
  driven="$(wine_run "$driver_exe" --exe "$exe_name" "${watching[@]}" "$@")" || status=$?
  driven="${driven//$'\r'/}"
  last_drive="$*"
  printf '%s\n' "--- e2e_driver $*" "$driven"
  [[ $status -eq 0 ]] || fail "$(explain_driver_failure "$status" "$@")"
}

# Why a driver command failed, from what it printed: the installer ended
# (with which status) before what it waited for, or the limit passed while
# the installer still ran.
explain_driver_failure() { # status driver-command...
  local status="$1" waited_for ending
  shift
  [[ $status -ne 124 ]] || { echo "e2e_driver $* did not end within $wine_run_limit_seconds s"; return; }
  waited_for="$(value_of waited_for)"
  [[ -n $waited_for ]] || { echo "e2e_driver $* ended with $status"; return; }
  case "$(value_of installer)" in
  ended) ending="$(describe_status "$(value_of installer_exit_code)")" ;;
  gone) ending="$(installer_ending_of_wpid "$watched_wpid")" ;;
  running) echo "$waited_for: not within $(value_of waited_s) s, and the installer is still running"; return ;;
  not-running) echo "$waited_for: not within $(value_of waited_s) s, and no installer is running"; return ;;
  *) echo "$waited_for: not within $(value_of waited_s) s"; return ;;
  esac
  echo "the installer ended with $ending before $waited_for"
}

report_last_observation() {
  [[ -n ${last_drive:-} ]] || return 0
  printf '%s\n' "--- the driver's last observation (e2e_driver $last_drive):" "$driven"
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
# NAME=VALUE settings for the installer's run, e.g. WINEDLLOVERRIDES=shlwapi=d
# to make a DLL unavailable to it (added to the usual overrides). They reach
# the installer through the launcher, which needs only kernel32, user32 and
# advapi32 itself.
installer_env=()
# Its command line (the installer takes none; a stand-in for it may).
installer_args=()
# A folder under C:\ to start the installer from, with its companions,
# instead of beside the launcher: a player's download folder holds no
# launcher, and the launcher's own loads must not count as the installer's.
installer_folder=""
# Wine's debug channels for the installer's runs: its error lines, kept in
# the run's log and printed when the case fails.
readonly installer_winedebug="${AW_E2E_WINEDEBUG:-fixme-all}"

installer_runs=0
declare -A launch_log_of=() launch_log_of_wpid=()

# Starts the installer in the background through the driver's launcher; $installer_pid
# is the local process that stands for it (for expect_exit), $installer_wpid
# its Windows process id, and the driver watches it from now on.
start_installer() {
  local companion with=(--with "$installer") env_args=() setting log waited=0
  local program
  program="$(basename "$installer")"
  for companion in "${installer_companions[@]}"; do with+=(--with "$companion"); done
  if [[ -n $installer_folder ]]; then
    local folder
    folder="$("$run_in_wine" --prefix "$prefix" --drive-c)/$installer_folder"
    rm -rf "$folder" && mkdir -p "$folder"
    cp "$installer" "${installer_companions[@]}" "$folder/"
    give_to_wine_user "$folder"
    with=()
    program="C:\\$installer_folder\\$program"
  fi
  for setting in "${installer_env[@]}"; do env_args+=(--env "$setting"); done
  installer_runs=$((installer_runs + 1))
  log="$scratch/installer-$installer_runs"
  # Not through wine_run: $! must be the runner itself, not a subshell.
  WINEDEBUG="$installer_winedebug" "$run_in_wine" --prefix "$prefix" "${with[@]}" "${env_args[@]}" \
    "$driver_exe" launch "$program" "${installer_args[@]}" >"$log.report" 2>"$log.wine" &
  installer_pid=$!
  background_pids+=("$installer_pid")
  launch_log_of[$installer_pid]="$log"
  until grep -qs '^pid=' "$log.report"; do
    grep -qs '^start_error=' "$log.report" && fail "the installer could not be started: $(cat "$log.report")"
    kill -0 "$installer_pid" 2>/dev/null || fail "the launcher ended before it started the installer: $(cat "$log.report" "$log.wine")"
    (( waited++ < hang_guard_seconds * 10 )) || fail "the launcher did not start the installer within $hang_guard_seconds s"
    sleep 0.1
  done
  installer_wpid="$(sed -n 's/^pid=//p' "$log.report" | tr -d '\r' | head -n 1)"
  launch_log_of_wpid[$installer_wpid]="$log"
  watched_wpid="$installer_wpid"
}

# From now on the driver watches the installer started as `pid` (a value of
# $installer_pid), e.g. the first copy again once a second one has ended.
watch_installer() { # pid
  local log="${launch_log_of[$1]:?not an installer started by start_installer}" wpid
  for wpid in "${!launch_log_of_wpid[@]}"; do
    if [[ ${launch_log_of_wpid[$wpid]} == "$log" ]]; then
      watched_wpid="$wpid"
      return 0
    fi
  done
  fail "no Windows process id is known for the installer started as $1"
}

# The full status in a launch report once there is one ("" before).
reported_status() { # log
  sed -n 's/^exit_code=//p' "$1.report" | tr -d '\r' | head -n 1
}

# How the installer with this Windows process id ended, as its launcher
# reports; the launcher tells it a moment after the driver saw the end.
installer_ending_of_wpid() { # wpid
  local log="${launch_log_of_wpid[$1]:-}" waited=0
  [[ -n $log ]] || { echo "an unknown status (not started here)"; return; }
  until [[ -n "$(reported_status "$log")" ]]; do
    (( waited++ < 100 )) || { echo "an unknown status (its launcher did not report it within 10 s)"; return; }
    sleep 0.1
  done
  describe_status "$(reported_status "$log")"
}

# Waits until a background program has ended and checks that it has, and
# with what status: for an installer the full 32-bit status (a crash shows
# as its exception code), for any other program what the shell sees.
expect_exit() { # pid what [expected-status]
  local log="${launch_log_of[$1]:-}" waited=0
  if [[ -z $log ]]; then
    while kill -0 "$1" 2>/dev/null; do
      (( waited++ < hang_guard_seconds * 10 )) || fail "$2 did not end within $hang_guard_seconds s"
      sleep 0.1
    done
    exit_status=0
    wait "$1" || exit_status=$?
    [[ $# -lt 3 || $exit_status -eq $3 ]] || fail "$2 ended with status $exit_status, expected $3"
    return
  fi
  until [[ -n "$(reported_status "$log")" ]]; do
    kill -0 "$1" 2>/dev/null || [[ -n "$(reported_status "$log")" ]] ||
      fail "the launcher of $2 ended without telling its status (a harness fault): $(cat "$log.report")"
    (( waited++ < hang_guard_seconds * 10 )) || fail "$2 did not end within $hang_guard_seconds s: it is still running"
    sleep 0.1
  done
  wait "$1" 2>/dev/null || true
  exit_status="$(reported_status "$log")"
  [[ $# -lt 3 || $exit_status == "$3" ]] ||
    fail "$2 ended with $(describe_status "$exit_status"), expected $(describe_status "$3")"
}

# Every installer run of the case: how it ended, and Wine's error lines and
# crash report.
report_installer_runs() {
  local run log status
  for ((run = 1; run <= installer_runs; run++)); do
    log="$scratch/installer-$run"
    status="$(reported_status "$log")"
    echo "--- installer run $run: $([[ -n $status ]] && echo "ended with $(describe_status "$status")" || echo "no ending reported")"
    grep -v -E '^(pid|exit_code)=' "$log.report" | head -n 40 || true
    grep -E ':err:|^wine: ' "$log.wine" | head -n 40 || true
  done
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

# A box the installer shows with no progress dialog (one that cannot be
# made, or a run ending before it): its text and the installer's caption.
expect_lone_box() { # utf8-text
  drive wait-box "$hang_guard_seconds"
  expect_text box_text "$1"
  expect_text box_caption "$caption_text"
  expect dialog none
}

press_ok() { drive press-ok "$hang_guard_seconds"; }

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
}

# Runs the installer to its failure: the boxes before the failure (answered),
# then the specific and the generic failure box with the bar at bar_pos.
fail_run() { # code bar_pos specific-text [boxes-before...]
  local code="$1" bar_pos="$2" specific="$3" box
  shift 3
  start_installer
  expect_progress_dialog
  for box in "$@"; do expect_box "$box"; press_ok; done
  expect_box "$specific"
  expect dialog_bar_pos "$bar_pos"
  press_ok
  expect_box "addonwarlord1 的安裝失敗($code)"
  press_ok
  expect_exit "$installer_pid" "the installer" "$code"
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

# A run that ended before its work left the documents folder as it was: empty.
expect_nothing_written() {
  local documents written
  documents="$("$run_in_wine" --prefix "$prefix" --documents)"
  written="$(cd "$documents" && find . -mindepth 1)"
  [[ -z $written ]] || fail "written under the documents folder: $written"
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
