#!/usr/bin/env bash
# Measures the installer under Wine against two floors, side by side:
#   - the durable floor (bench_runner durable-floor): the file work that an
#     installation of this design must do for a fresh user folder, with the
#     installer's calls in its order: each archive copied to its temporary
#     name, flushed and renamed; then the wait for the player, as long as
#     the installer's information box was up in the same round; then each
#     archive copied to its temporary name again and flushed; the three
#     replacing moves;
#   - the UI floor (ui_floor.exe): the installer's dialog, the information
#     box shown from a second thread and the completion box, answered as the
#     installer's are, nothing else.
# The three take turns (installer, durable floor, UI floor, installer, ...),
# each after a `sync` and a pause, on full-size and then on small archives.
# For each it prints the median, minimum and maximum; then the installer's
# information box and peak working set, where its time goes and the platform
# calls of a whole run against the test double. It says at its start and at
# its end whether the machine was quiet (load average, CPU use, other busy
# processes). The last two lines are the ratios:
#   ratio_size_dependent = installer (full-size - small) / durable floor (full-size - small)
#   ratio_fixed          = installer, small archives / UI floor (both without the information box's wait)
#
# Where the time goes: addonwarlord1_traced (the installer with each platform
# call timed, tools/bench/traced_main.cpp) runs on the full-size and on the
# small archives, each run followed by a durable floor run, and
# tools/bench/trace-summary.py sums their records, the file calls one by one.
#
#   tools/run-benchmark.sh     AW_BENCH_RUNS (7) timed rounds per archive size,
#                              AW_BENCH_PAUSE (1) seconds of pause before each run,
#                              AW_BENCH_TRACED_RUNS (5) traced runs per archive size,
#                              AW_BENCH_FLOOR_PAUSE (box): the durable floor's wait
#                                for the player, "box" for the installer's of the
#                                round, or a fixed number of ms,
#                              AW_BENCH_SIZES ("full small"): the archive sizes,
#                              AW_BENCH_ORDER (fixed): "alternate" swaps the installer
#                                and the durable floor every other round
#
# Run as root, like the two main commands (it runs Wine as an ordinary user).
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
runs="${AW_BENCH_RUNS:-7}"
pause="${AW_BENCH_PAUSE:-1}"
traced_runs="${AW_BENCH_TRACED_RUNS:-5}"
floor_pause="${AW_BENCH_FLOOR_PAUSE:-box}"
sizes="${AW_BENCH_SIZES:-full small}"
order="${AW_BENCH_ORDER:-fixed}"
[[ "$floor_pause" == box || "$floor_pause" =~ ^[0-9]+$ ]] || { echo "AW_BENCH_FLOOR_PAUSE: box or ms" >&2; exit 2; }
[[ "$order" == fixed || "$order" == alternate ]] || { echo "AW_BENCH_ORDER: fixed or alternate" >&2; exit 2; }

# Whether anything else keeps the machine busy: the load averages, and over
# a 3 s sample (taken while the benchmark itself runs nothing) the CPU use and
# every process that used more than 2 % of a core. Quiet: under 5 % CPU in
# the sample. The load averages at the end include the benchmark's own runs.
quiet_check() { # when
  local frame load busy
  load="$(cut -d' ' -f1-3 /proc/loadavg)"
  frame="$(top -b -n 2 -d 3 -w 200 | awk '/^top -/ { n++ } n == 2')"
  busy="$(awk '/^%Cpu/ { for (i = 1; i <= NF; i++) if ($i ~ /^id/) { print 100 - $(i - 1); exit } }' <<<"${frame//,/ }")"
  echo "machine $1: load average $load, CPU busy ${busy}% over 3 s"
  awk 'f && $9 + 0 > 2 { printf "  busy: %s%% %s\n", $9, $12 } /^ *PID/ { f = 1 }' <<<"$frame"
  if awk -v b="$busy" 'BEGIN { exit !(b < 5) }'; then
    echo "machine_quiet_$1=yes"
  else
    echo "machine_quiet_$1=no"
  fi
}
quiet_check at_start
"$repo/tools/install-deps.sh" >/dev/null

win_build="${AW_BENCH_WIN_BUILD_DIR:-$repo/build/windows}"
native_build="${AW_BENCH_NATIVE_BUILD_DIR:-$repo/build/native}"
echo "=== building"
(cd "$repo" && cmake --preset windows -B "$win_build" >/dev/null && cmake --preset native -B "$native_build" >/dev/null)
cmake --build "$win_build" -j2 --target addonwarlord1_setup e2e_driver bench_runner ui_floor addonwarlord1_traced >/dev/null
cmake --build "$native_build" -j2 --target platform_call_count >/dev/null

source "$repo/tests/e2e/lib.sh"
installer="$win_build/app/addonwarlord1_setup.exe"
driver_exe="$win_build/tests/e2e/e2e_driver.exe"
runner="$win_build/tools/bench/bench_runner.exe"
ui_floor="$win_build/tools/bench/ui_floor.exe"
traced="$win_build/tools/bench/addonwarlord1_traced.exe"
exe_name="$(basename "$installer")"  # for the end-to-end helpers
prefix="bench"
scratch="$(mktemp -d)"
trap e2e_end EXIT
"$run_in_wine" --prefix "$prefix" --reset
documents="$("$run_in_wine" --prefix "$prefix" --documents)"
owner="$("$run_in_wine" --prefix "$prefix" --owner)"
set_up_demo_game base >/dev/null
archive_dir_wine="${wine_game_dir}GRP"
# The durable floor writes where the installer writes.
user_archive_dir="$documents/ZAVO/Vantaris77 Tc/GRP"
user_archive_dir_wine="$("$run_in_wine" --prefix "$prefix" --wine-path "$user_archive_dir" | tr -d '\r')"
archive_names=(EDIT_KAO_L.V77 EDIT_KAO_M.V77 EDIT_KAO_S.V77)

make_archives() { # full|small
  local size
  for size in L M S; do
    python3 "$repo/tools/demo/make-face-archive.py" "$game_dir/GRP/EDIT_KAO_$size.V77" "$size" "$1"
  done
  chown "$owner" "$game_dir"/GRP/*
}

# Every run starts on a fresh user folder, with nothing left for the kernel
# to write back from the run before, after a moment of quiet.
settle() {
  rm -rf "$documents/ZAVO"
  sync
  sleep "$pause"
}

run_in_prefix() { measured="$("$run_in_wine" --prefix "$prefix" "$@" | tr -d '\r')"; }
# The information box's time up in the installer's last run, whole ms.
box_up_ms=0
key() { sed -n "s/^$1=//p" <<<"$measured"; }
# One figure for a rounds line; "-" when the run did not report it.
field() { local value; value="$(key "$1" | head -n 1)"; echo "${value:--}"; }

# Each appends one line to $rounds_file: program, then its figures.
run_installer() {
  settle
  run_in_prefix --with "$installer" "$runner" run-installer "$exe_name"
  [[ "$(key exit_code)" == 0 ]] || fail "the installer did not succeed: $measured"
  box_up_ms="$(printf '%.0f' "$(key box_1_up_ms)")"
  echo "installer $(field work_ms) $(field dialog_visible_ms) $(field peak_working_set_bytes)" \
       "$(field box_1_seen_ms) $(field box_1_up_ms) $(field box_2_seen_ms)" >>"$rounds_file"
}

# The floor waits for the player where the installer does, as long as the
# installer's box was up in the same round (or AW_BENCH_FLOOR_PAUSE ms); its
# figures leave the wait out, as the installer's do.
run_durable_floor() { # [file for its output]
  settle
  mkdir -p "$user_archive_dir"
  chown -R "$owner" "$documents/ZAVO"
  local pause_ms="$floor_pause"
  [[ "$pause_ms" == box ]] && pause_ms="$box_up_ms"
  local arguments="durable-floor $pause_ms \"$archive_dir_wine\" \"$user_archive_dir_wine\""
  local name
  for name in "${archive_names[@]}"; do arguments+=" $name"; done
  run_in_prefix "$runner" time-program "$arguments"
  [[ -n "$(key work_ms)" ]] || fail "the durable floor failed: $measured"
  [[ $# -eq 0 ]] || echo "$measured" >"$1"
  # Timed to the moment its work was done, on its own clock against the one
  # read before it was created: its end is seen only at the next look, and
  # a look can take tens of ms while a program starts.
  local program_ms ended_ms
  program_ms="$(awk -v d="$(key done_at_ms)" -v c="$(key created_at_ms)" -v w="$(key pause_ms)" 'BEGIN { printf "%.1f", d - c - w }')"
  ended_ms="$(awk -v p="$(key ended_ms)" -v w="$(key pause_ms)" 'BEGIN { printf "%.1f", p - w }')"
  echo "durable $program_ms $(field work_ms) $(field pause_ms) $(field started_ms) $ended_ms" >>"$rounds_file"
}

run_ui_floor() {
  settle
  run_in_prefix --with "$ui_floor" "$runner" run-installer "$(basename "$ui_floor")"
  [[ "$(key boxes)" == 2 && "$(key exit_code)" == 0 ]] || fail "the UI floor did not run: $measured"
  echo "ui $(field work_ms) $(field dialog_visible_ms) $(field box_1_up_ms)" >>"$rounds_file"
}

# Round 0 warms the page cache and is not counted. The durable floor always
# runs after an installer, whose box it waits as long as.
measure() { # full|small
  local round
  for round in $(seq 0 "$runs"); do
    rounds_file="$scratch/rounds-$1"
    [[ $round -eq 0 ]] && rounds_file="$scratch/warm-up"
    if [[ "$order" == alternate && $((round % 2)) -eq 1 ]]; then
      run_installer
      run_ui_floor
      run_durable_floor
    else
      run_installer
      run_durable_floor
      run_ui_floor
    fi
    [[ $round -eq 0 ]] && continue
    echo "  round $round: $(tail -n 3 "$rounds_file" | awk '{ printf "%s %s ms  ", $1, $2 }')"
  done
}

# Median, minimum and maximum of one column of one program's lines.
stats() { # size program column
  awk -v p="$2" -v c="$3" '$1 == p && $c != "-" { print $c }' "$scratch/rounds-$1" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) { print "- - -"; exit } m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m, v[1], v[NR] }'
}
median() { stats "$@" | cut -d' ' -f1; }

# Traced runs, each followed by a durable floor run, for the file calls one
# by one beside the floor's.
trace() { # full|small
  local run
  for run in $(seq 1 "$traced_runs"); do
    settle
    rm -f "$documents/installer-trace.txt"
    run_in_prefix --with "$traced" "$runner" run-installer "$(basename "$traced")"
    [[ "$(key exit_code)" == 0 ]] || fail "the traced installer did not succeed: $measured"
    box_up_ms="$(printf '%.0f' "$(key box_1_up_ms)")"
    cp "$documents/installer-trace.txt" "$scratch/trace-$1-$run"
    rounds_file="$scratch/traced-rounds-$1"
    run_durable_floor "$scratch/floor-$1-$run"
  done
  echo "=== where the installer's time goes: $traced_runs traced runs on the $1 archives"
  python3 "$repo/tools/bench/trace-summary.py" "$scratch"/trace-"$1"-* --floor "$scratch"/floor-"$1"-*
}

for size in $sizes; do
  if [[ $size == full ]]; then
    echo "=== full-size archives"
  else
    echo "=== small archives (1104 slots, 64-byte blocks but slot 1027)"
  fi
  make_archives "$size"
  [[ $size == full ]] && stat -c '  %s bytes  %n' "$game_dir"/GRP/*
  measure "$size"
  [[ $traced_runs -gt 0 ]] && trace "$size"
done

echo "=== platform calls against the test double"
"$native_build/tools/bench/platform_call_count" | sed 's/^/  /'

echo
echo "=== every timed run: program, figures (installer: work, dialog visible, peak, box 1 seen, box 1 up,"
echo "    box 2 seen; durable floor: program without its wait, file work, wait, start, end; UI floor: work, dialog"
echo "    visible, box 1 up), ms"
for size in $sizes; do sed "s/^/  $size /" "$scratch/rounds-$size"; done
echo
echo "=== $runs runs of each, interleaved ($order order), after sync and a ${pause} s pause; median (min .. max), ms"
row() { # label size program column
  read -r m lo hi <<<"$(stats "$2" "$3" "$4")"
  printf '%-58s %8.1f  (%.1f .. %.1f)\n' "$1" "$m" "$lo" "$hi"
}
for size in $sizes; do
  row "installer, $size, start to completion box, no box wait" "$size" installer 2
  row "installer, $size, dialog visible" "$size" installer 3
  row "durable floor, $size, start to its work done, no wait" "$size" durable 2
  row "durable floor, $size, its file work alone, no wait" "$size" durable 3
  row "durable floor, $size, its wait for the player" "$size" durable 4
  row "durable floor, $size, its process's start" "$size" durable 5
  row "durable floor, $size, start to its end (not counted), no wait" "$size" durable 6
  row "UI floor, $size, start to its completion box, no box wait" "$size" ui 2
  row "UI floor, $size, dialog visible" "$size" ui 3
  row "UI floor, $size, information box up (not counted)" "$size" ui 4
  row "installer, $size, information box seen" "$size" installer 5
  row "installer, $size, information box up (not counted)" "$size" installer 6
done

[[ " $sizes " == *" full "* && " $sizes " == *" small "* ]] || { quiet_check at_end; exit 0; }
full_peak="$(median full installer 4)"
small_peak="$(median small installer 4)"
printf 'peak working set: small %d bytes, full-size %d bytes, growth %d bytes\n' \
  "$small_peak" "$full_peak" "$((${full_peak%.*} - ${small_peak%.*}))"
quiet_check at_end
awk -v fi="$(median full installer 2)" -v si="$(median small installer 2)" \
    -v fd="$(median full durable 2)" -v sd="$(median small durable 2)" -v su="$(median small ui 2)" 'BEGIN {
  printf "size-dependent: installer %.1f ms, durable floor %.1f ms\n", fi - si, fd - sd
  printf "fixed: installer %.1f ms, UI floor %.1f ms\n", si, su
  printf "ratio_size_dependent=%.3f\n", (fi - si) / (fd - sd)
  printf "ratio_fixed=%.3f\n", si / su
}'
