#!/usr/bin/env bash
# Measures the installer on face archives of realistic size, under Wine, and
# prints the figures that docs/PERFORMANCE.md records:
#   - the installer's working time on a fresh user folder (from its start to
#     its completion box, without the time its information box waited for OK),
#   - the time of the copies any installation must make (each archive copied
#     twice with CopyFileA by tools/bench's baseline program) and the ratio,
#   - the installer's peak working set with small and with full-size archives,
#   - the platform calls of a whole run against the test double, for 1104 slots.
#
#   tools/run-benchmark.sh            (AW_BENCH_RUNS=5 timed runs of each; median)
#
# Run as root, like the two main commands (it runs Wine as an ordinary user).
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
runs="${AW_BENCH_RUNS:-5}"
"$repo/tools/install-deps.sh" >/dev/null

win_build="${AW_BENCH_WIN_BUILD_DIR:-$repo/build/windows}"
native_build="${AW_BENCH_NATIVE_BUILD_DIR:-$repo/build/native}"
echo "=== building"
(cd "$repo" && cmake --preset windows -B "$win_build" >/dev/null && cmake --preset native -B "$native_build" >/dev/null)
cmake --build "$win_build" -j2 --target addonwarlord1_setup e2e_driver bench_runner >/dev/null
cmake --build "$native_build" -j2 --target platform_call_count >/dev/null

source "$repo/tests/e2e/lib.sh"
installer="$win_build/app/addonwarlord1_setup.exe"
driver_exe="$win_build/tests/e2e/e2e_driver.exe"
runner="$win_build/tools/bench/bench_runner.exe"
exe_name="$(basename "$installer")"
prefix="bench"
scratch="$(mktemp -d)"
trap e2e_end EXIT
"$run_in_wine" --prefix "$prefix" --reset
documents="$("$run_in_wine" --prefix "$prefix" --documents)"
owner="$("$run_in_wine" --prefix "$prefix" --owner)"
set_up_demo_game base >/dev/null
archive_dir_wine="${wine_game_dir}GRP"
baseline_dir="$documents/baseline"
mkdir -p "$baseline_dir"
chown "$owner" "$baseline_dir"
baseline_dir_wine="$("$run_in_wine" --prefix "$prefix" --wine-path "$baseline_dir" | tr -d '\r')"

make_archives() { # full|small
  local size
  for size in L M S; do
    python3 "$repo/tools/demo/make-face-archive.py" "$game_dir/GRP/EDIT_KAO_$size.V77" "$size" "$1"
  done
  chown "$owner" "$game_dir"/GRP/*
}

# One installation on a fresh user folder; its key=value lines in $measured.
install_once() {
  rm -rf "$documents/ZAVO"
  measured="$("$run_in_wine" --prefix "$prefix" --with "$installer" "$runner" run-installer "$exe_name" | tr -d '\r')"
  [[ "$(sed -n 's/^exit_code=//p' <<<"$measured")" == 0 ]] || fail "the installer did not succeed: $measured"
}

copy_once() {
  measured="$("$run_in_wine" --prefix "$prefix" "$runner" time-program \
                "copy-twice \"$archive_dir_wine\" \"$baseline_dir_wine\" EDIT_KAO_L.V77 EDIT_KAO_M.V77 EDIT_KAO_S.V77" \
              | tr -d '\r')"
  grep -q '^copy_ms=' <<<"$measured" || fail "the baseline copies failed: $measured"
}

key() { sed -n "s/^$1=//p" <<<"$measured"; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Figures of every timed round, one line each: work dialog peak copy flush
# replace program (the baseline program's run without its flush and replace)
# whole (with them).
rounds_file="$scratch/rounds"
take_installer() { installer_figures="$(key work_ms) $(key dialog_visible_ms) $(key peak_working_set_bytes)"; }
take_baseline() {
  baseline_figures="$(key copy_ms) $(key flush_ms) $(key replace_ms) $(awk -v g="$(key program_ms)" \
    -v f="$(key flush_ms)" -v r="$(key replace_ms)" 'BEGIN { print g - f - r, g }')"
}

# Installer and baseline take turns going first, so that both see the same
# machine; each starts with nothing left to write back from the other (sync).
# The first round only warms the page cache.
measure() {
  local round
  : >"$rounds_file"
  for round in $(seq 0 "$runs"); do
    if (( round % 2 )); then sync; copy_once; take_baseline; fi
    sync; install_once; take_installer
    if (( round % 2 == 0 )); then sync; copy_once; take_baseline; fi
    [[ $round -eq 0 ]] && continue
    echo "$installer_figures $baseline_figures" >>"$rounds_file"
    read -r w d p c f r g _ <<<"$installer_figures $baseline_figures"
    echo "  run $round: installer $w ms (dialog visible at $d ms, peak working set $p bytes);" \
         "baseline program $g ms (copies $c ms; then, apart, flush $f ms, replace $r ms)"
  done
}

column_median() { awk -v n="$1" '{ print $n }' "$rounds_file" | median; }
medians() { # prefix: sets <prefix>_work, _dialog, _peak, _copy, _flush, _replace, _program, _whole
  local name i=1
  for name in work dialog peak copy flush replace program whole; do
    printf -v "${1}_$name" '%s' "$(column_median $i)"
    i=$((i + 1))
  done
}

echo "=== full-size archives"
make_archives full
stat -c '  %s bytes  %n' "$game_dir"/GRP/*
measure
medians full

echo "=== small archives (1104 slots, 64-byte blocks but slot 1027)"
make_archives small
measure
medians small

echo "=== platform calls against the test double"
"$native_build/tools/bench/platform_call_count" | sed 's/^/  /'

echo
echo "=== summary ($runs runs each, medians, warm page cache)"
# shellcheck disable=SC2154  # full_* and small_* are set by medians
awk -v w="$full_work" -v d="$full_dialog" -v c="$full_copy" -v f="$full_flush" -v r="$full_replace" -v g="$full_program" -v gw="$full_whole" \
    -v sw="$small_work" -v sc="$small_copy" -v fp="$full_peak" -v sp="$small_peak" 'BEGIN {
  printf "installer, full-size archives, start to completion box: %8.1f ms (dialog visible at %.1f ms)\n", w, d
  printf "baseline program, start to end (six CopyFileA calls):   %8.1f ms (the copies alone %.1f ms)\n", g, c
  printf "writing the three second copies through to the disk:    %8.1f ms (timed apart)\n", f
  printf "moving the second copies over the first:                 %8.1f ms (timed apart)\n", r
  printf "ratio installer / baseline program:                     %8.3f (target <= 1.05: %s)\n", w / g, (w / g <= 1.05) ? "met" : "MISSED"
  printf "ratio installer / copies alone:                         %8.3f\n", w / c
  printf "ratio installer / baseline program with flush, replace: %8.3f\n", w / gw
  printf "size-dependent part: installer %.1f ms, copies %.1f ms, ratio %.3f\n", w - sw, c - sc, (w - sw) / (c - sc)
  printf "installer, small archives, start to completion box:     %8.1f ms\n", sw
  printf "peak working set, small archives:     %10d bytes\n", sp
  printf "peak working set, full-size archives: %10d bytes\n", fp
  printf "growth: %d bytes (target < 1048576: %s)\n", fp - sp, (fp - sp < 1048576) ? "met" : "MISSED"
}'
