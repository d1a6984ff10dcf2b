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
# Every program is timed on its own performance counter at its last act,
# against the counter that its runner read just before creating it: the
# installer and the UI floor at the call of their completion box, the
# durable floor when its work is done; the wait for the player is left out.
# No watcher's lag in seeing an event counts on either side. The installer
# so timed is addonwarlord1_clocked (tools/bench/clocked_main.cpp): the
# installer built as it ships, which only notes when it calls its boxes.
# The installer as it ships runs too, watched from outside, for its memory
# and for the figures of the earlier method (its completion box as seen).
#
# Each round runs, on the full-size and on the small archives (which of the
# two first alternates from round to round), the installer as it ships, the
# clocked installer, the durable floor and the UI floor, each after a `sync`
# and a pause. For each it prints every run, then the median, minimum and
# maximum; then the per-round differences full-size minus small; the
# installer's peak working set, where its time goes and the platform calls of
# a whole run against the test double. It says at its start and at its end
# whether the machine was quiet (load average, CPU use, other busy
# processes). The last two lines are the ratios:
#   ratio_size_dependent = median over the rounds of the clocked installer's (full-size - small)
#                          / median over the rounds of the durable floor's (full-size - small)
#   ratio_fixed          = clocked installer, small archives / UI floor, small archives (medians)
#
# Where the time goes: addonwarlord1_traced (the installer with each platform
# call timed, tools/bench/traced_main.cpp) runs on the full-size and on the
# small archives, each run followed by a durable floor run, and
# tools/bench/trace-summary.py sums their records, the file calls one by one.
#
#   tools/run-benchmark.sh     AW_BENCH_RUNS (7) timed rounds,
#                              AW_BENCH_PAUSE (1) seconds of pause before each run,
#                              AW_BENCH_TRACED_RUNS (5) traced runs per archive size,
#                              AW_BENCH_FLOOR_PAUSE (box): the durable floor's wait
#                                for the player, "box" for the clocked installer's
#                                of the round, or a fixed number of ms,
#                              AW_BENCH_SIZES ("full small"): the archive sizes,
#                              AW_BENCH_ORDER (fixed): "alternate" swaps the durable
#                                floor and the UI floor every other round, so that
#                                the durable floor does not always follow an installer
#
# Run as root, like the two main commands (it runs Wine as an ordinary user),
# on a quiet machine. Its Wine prefix is "bench" under AW_WINE_ROOT.
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
cmake --build "$win_build" -j2 --target addonwarlord1_setup addonwarlord1_clocked e2e_driver bench_runner ui_floor \
  addonwarlord1_traced >/dev/null
cmake --build "$native_build" -j2 --target platform_call_count >/dev/null

source "$repo/tests/e2e/lib.sh"
installer="$win_build/app/addonwarlord1_setup.exe"
driver_exe="$win_build/tests/e2e/e2e_driver.exe"
runner="$win_build/tools/bench/bench_runner.exe"
ui_floor="$win_build/tools/bench/ui_floor.exe"
traced="$win_build/tools/bench/addonwarlord1_traced.exe"
clocked="$win_build/tools/bench/addonwarlord1_clocked.exe"
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

# Both sets of archives are made once, beside drive C: where no program
# looks, and moved in turn into the game's folder: a rename, so that
# switching sizes within a round costs nothing and leaves both in the page
# cache.
archive_store="$(dirname "$("$run_in_wine" --prefix "$prefix" --drive-c)")/bench-archives"
make_archives() { # full|small
  local letter
  mkdir -p "$archive_store/$1"
  for letter in L M S; do
    python3 "$repo/tools/demo/make-face-archive.py" "$archive_store/$1/EDIT_KAO_$letter.V77" "$letter" "$1"
  done
  chown -R "$owner" "$archive_store/$1"
}
archives_in_place=""
use_archives() { # full|small
  [[ $archives_in_place == "$1" ]] && return
  if [[ -n $archives_in_place ]]; then
    mv "$game_dir/GRP" "$archive_store/$archives_in_place"
  else
    rm -rf "$game_dir/GRP"  # the demo game's own
  fi
  mv "$archive_store/$1" "$game_dir/GRP"
  archives_in_place="$1"
}

# Every run starts on a fresh user folder, with nothing left for the kernel
# to write back from the run before, after a moment of quiet.
settle() {
  rm -rf "$documents/ZAVO"
  sync
  sleep "$pause"
}

run_in_prefix() { measured="$("$run_in_wine" --prefix "$prefix" "$@" | tr -d '\r')"; }
# The information box's time up in the clocked installer's last run, whole ms.
box_up_ms=0
key() { sed -n "s/^$1=//p" <<<"$measured"; }
# One figure for a rounds line; "-" when the run did not report it.
field() { local value; value="$(key "$1" | head -n 1)"; echo "${value:--}"; }
# A figure computed from the run's keys (awk's variables k_<key>), one decimal.
computed() { # awk-expression key...
  local expression="$1" name assignments=()
  shift
  for name in "$@"; do
    [[ -n "$(key "$name")" ]] || { echo -; return; }
    assignments+=(-v "k_$name=$(key "$name")")
  done
  awk "${assignments[@]}" "BEGIN { printf \"%.1f\", $expression }"
}

# Each appends one line to $rounds_file: round, archive size, program, then
# its figures (see the header of "every timed run" below).
record() { echo "$round $size $*" >>"$rounds_file"; }

# The installer as it ships, watched from outside: its completion box as
# seen, its memory.
run_installer() {
  settle
  run_in_prefix --with "$installer" "$runner" run-installer "$exe_name"
  [[ "$(key exit_code)" == 0 ]] || fail "the installer did not succeed: $measured"
  record installer "$(field work_ms)" "$(field dialog_visible_ms)" "$(field peak_working_set_bytes)" \
         "$(field box_1_up_ms)"
}

# The installer timed on its own counter at its completion box's call, the
# information box's time up left out, as the watcher saw it.
run_clocked_installer() { # [file for its output]
  settle
  run_in_prefix --with "$clocked" "$runner" run-installer "$(basename "$clocked")"
  [[ "$(key exit_code)" == 0 && -n "$(key completion_box_called_at_ms)" ]] ||
    fail "the clocked installer did not succeed or did not tell its moments: $measured"
  box_up_ms="$(printf '%.0f' "$(key box_1_up_ms)")"
  record clocked "$(computed 'k_completion_box_called_at_ms - k_created_at_ms - k_box_1_up_ms' \
                     completion_box_called_at_ms created_at_ms box_1_up_ms)" \
         "$(field work_ms)" "$(field dialog_visible_ms)" "$(field box_1_up_ms)" \
         "$(computed 'k_box_2_seen_ms - (k_completion_box_called_at_ms - k_created_at_ms)' \
                     box_2_seen_ms completion_box_called_at_ms created_at_ms)"
}

# The floor waits for the player where the installer does, as long as the
# clocked installer's box was up in the same round (or AW_BENCH_FLOOR_PAUSE
# ms); its figures leave the wait out, as the installer's do. Besides its
# time to its work done: its end as seen, and what lies between the two
# (how long the program took to end after it returned, by the system's
# process times; its watcher's last look).
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
  record durable "$(computed 'k_done_at_ms - k_created_at_ms - k_pause_ms' done_at_ms created_at_ms pause_ms)" \
         "$(field work_ms)" "$(field pause_ms)" "$(field started_ms)" \
         "$(computed 'k_ended_ms - k_pause_ms' ended_ms pause_ms)" \
         "$(computed 'k_ended_ms - (k_done_at_ms - k_created_at_ms)' ended_ms done_at_ms created_at_ms)" \
         "$(computed 'k_lifetime_ms - k_leaving_ms' lifetime_ms leaving_ms)" \
         "$(computed 'k_last_look_ended_ms - k_last_look_began_ms' last_look_ended_ms last_look_began_ms)" \
         "$(computed 'k_ended_ms - k_last_look_ended_ms' ended_ms last_look_ended_ms)"
}

run_ui_floor() {
  settle
  run_in_prefix --with "$ui_floor" "$runner" run-installer "$(basename "$ui_floor")"
  [[ "$(key boxes)" == 2 && "$(key exit_code)" == 0 && -n "$(key completion_box_called_at_ms)" ]] ||
    fail "the UI floor did not run: $measured"
  record ui "$(computed 'k_completion_box_called_at_ms - k_created_at_ms - k_box_1_up_ms' \
                completion_box_called_at_ms created_at_ms box_1_up_ms)" \
         "$(field work_ms)" "$(field dialog_visible_ms)" "$(field box_1_up_ms)"
}

# The sizes of one round: with two, which runs first alternates, so that
# neither size always follows the other.
sizes_of_round() { # round
  local list
  read -ra list <<<"$sizes"
  if [[ ${#list[@]} -eq 2 && $(($1 % 2)) -eq 0 ]]; then echo "${list[1]} ${list[0]}"; else echo "${list[*]}"; fi
}

# Round 0 warms the page cache and is not counted. The durable floor runs
# after the clocked installer, whose box it waits as long as.
measure() {
  for round in $(seq 0 "$runs"); do
    rounds_file="$scratch/rounds"
    [[ $round -eq 0 ]] && rounds_file="$scratch/warm-up"
    for size in $(sizes_of_round "$round"); do
      use_archives "$size"
      run_installer
      run_clocked_installer
      if [[ "$order" == alternate && $((round % 2)) -eq 1 ]]; then
        run_ui_floor
        run_durable_floor
      else
        run_durable_floor
        run_ui_floor
      fi
    done
    [[ $round -eq 0 ]] && continue
    echo "  round $round: $(awk -v r="$round" '$1 == r && $3 != "installer" { printf "%s %s %s ms  ", $2, $3, $4 }' \
                               "$rounds_file")"
  done
}

# Median, minimum and maximum of the numbers on stdin, "- - -" for none.
summary() {
  sort -g | awk '{ v[NR] = $1 }
    END { if (NR == 0) { print "- - -"; exit }
          m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; print m, v[1], v[NR] }'
}
# Of one column of one program's runs on one size.
stats() { # size program column
  awk -v s="$1" -v p="$2" -v c="$3" '$2 == s && $3 == p && $c != "-" { print $c }' "$scratch/rounds" | summary
}
median() { stats "$@" | cut -d' ' -f1; }
# Round by round, full-size minus small, of one column of one program.
differences() { # program column
  awk -v p="$1" -v c="$2" '$3 == p && $c != "-" { v[$1 " " $2] = $c; r[$1] = 1 }
    END { for (k in r) if ((k " full") in v && (k " small") in v)
            printf "%s %.1f\n", k, v[k " full"] - v[k " small"] }' \
    "$scratch/rounds" | sort -n
}

# Traced runs, each followed by a durable floor run, for the file calls one
# by one beside the floor's.
trace() { # full|small
  local run
  size="$1"
  use_archives "$size"
  for run in $(seq 1 "$traced_runs"); do
    settle
    rm -f "$documents/installer-trace.txt"
    run_in_prefix --with "$traced" "$runner" run-installer "$(basename "$traced")"
    [[ "$(key exit_code)" == 0 ]] || fail "the traced installer did not succeed: $measured"
    box_up_ms="$(printf '%.0f' "$(key box_1_up_ms)")"
    cp "$documents/installer-trace.txt" "$scratch/trace-$1-$run"
    rounds_file="$scratch/traced-rounds"
    round="t$run"
    run_durable_floor "$scratch/floor-$1-$run"
  done
  echo "=== where the installer's time goes: $traced_runs traced runs on the $1 archives"
  python3 "$repo/tools/bench/trace-summary.py" "$scratch"/trace-"$1"-* --floor "$scratch"/floor-"$1"-*
}

for size in $sizes; do make_archives "$size"; done
if [[ " $sizes " == *" full "* ]]; then
  echo "=== full-size archives"
  stat -c '  %s bytes  %n' "$archive_store"/full/*
fi
echo "=== $runs rounds, each on $(sed 's/ / and /' <<<"$sizes") archives (which first alternates)"
measure
for size in $sizes; do
  [[ $traced_runs -gt 0 ]] && trace "$size"
done

echo "=== platform calls against the test double"
"$native_build/tools/bench/platform_call_count" | sed 's/^/  /'

echo
echo "=== every timed run: round, archives, program, figures in ms (installer, as it ships: completion box"
echo "    seen, dialog visible, peak bytes, information box up; clocked installer: completion box called,"
echo "    seen, dialog visible, information box up, box seen after its call; durable floor: work done,"
echo "    file work alone, wait, its start, its end seen, end seen after work done, its end after it"
echo "    returned, watcher's last look, end seen after that look; UI floor: completion box called, seen, dialog"
echo "    visible, information box up; every time from the program's creation leaves the wait out)"
sed 's/^/  /' "$scratch/rounds"
echo
echo "=== $runs rounds, each program after sync and a ${pause} s pause ($order order); median (min .. max), ms"
row() { # label size program column
  read -r m lo hi <<<"$(stats "$2" "$3" "$4")"
  [[ $m == - ]] && { printf '%-66s        -\n' "$1"; return; }
  printf '%-66s %8.1f  (%.1f .. %.1f)\n' "$1" "$m" "$lo" "$hi"
}
for size in $sizes; do
  row "clocked installer, $size, start to its completion box call" "$size" clocked 4
  row "clocked installer, $size, start to completion box seen" "$size" clocked 5
  row "clocked installer, $size, completion box seen after its call" "$size" clocked 8
  row "clocked installer, $size, dialog visible" "$size" clocked 6
  row "clocked installer, $size, information box up (not counted)" "$size" clocked 7
  row "installer as it ships, $size, start to completion box seen" "$size" installer 4
  row "installer as it ships, $size, dialog visible" "$size" installer 5
  row "installer as it ships, $size, information box up (not counted)" "$size" installer 7
  row "durable floor, $size, start to its work done" "$size" durable 4
  row "durable floor, $size, its file work alone" "$size" durable 5
  row "durable floor, $size, its wait for the player (not counted)" "$size" durable 6
  row "durable floor, $size, its process's start" "$size" durable 7
  row "durable floor, $size, start to its end seen (not counted)" "$size" durable 8
  row "durable floor, $size, its end seen after its work done" "$size" durable 9
  row "durable floor, $size, its end after it returned (process times)" "$size" durable 10
  row "durable floor, $size, its watcher's last look before that" "$size" durable 11
  row "durable floor, $size, its end seen after that look" "$size" durable 12
  row "UI floor, $size, start to its completion box call" "$size" ui 4
  row "UI floor, $size, start to completion box seen" "$size" ui 5
  row "UI floor, $size, dialog visible" "$size" ui 6
  row "UI floor, $size, information box up (not counted)" "$size" ui 7
done

[[ " $sizes " == *" full "* && " $sizes " == *" small "* ]] || { quiet_check at_end; exit 0; }
echo
echo "=== size-dependent part, round by round: full-size minus small, ms"
{ differences clocked 4 | sed 's/^/clocked /'; differences durable 4 | sed 's/^/durable /'; } |
  awk '{ d[$2, $1] = $3; r[$2] = 1 }
    END { for (k in r) printf "%s %s %s\n", k, ((k, "clocked") in d) ? d[k, "clocked"] : "-",
                                              ((k, "durable") in d) ? d[k, "durable"] : "-" }' |
  sort -n | awk '{ printf "  round %s: clocked installer %8s  durable floor %8s\n", $1, $2, $3 }'
read -r installer_part installer_lo installer_hi <<<"$(differences clocked 4 | cut -d' ' -f2 | summary)"
read -r floor_part floor_lo floor_hi <<<"$(differences durable 4 | cut -d' ' -f2 | summary)"
# Rounded once, so that the ratio is that of the figures printed.
installer_part="$(printf '%.1f' "$installer_part")"
floor_part="$(printf '%.1f' "$floor_part")"
printf '%-66s %8.1f  (%.1f .. %.1f)\n' "clocked installer, full-size minus small, per round" \
  "$installer_part" "$installer_lo" "$installer_hi"
printf '%-66s %8.1f  (%.1f .. %.1f)\n' "durable floor, full-size minus small, per round" \
  "$floor_part" "$floor_lo" "$floor_hi"
full_peak="$(median full installer 6)"
small_peak="$(median small installer 6)"
printf 'peak working set (installer as it ships): small %d bytes, full-size %d bytes, growth %d bytes\n' \
  "$small_peak" "$full_peak" "$((${full_peak%.*} - ${small_peak%.*}))"
quiet_check at_end
awk -v si="$(printf '%.1f' "$(median small clocked 4)")" -v su="$(printf '%.1f' "$(median small ui 4)")" \
    -v ip="$installer_part" -v fp="$floor_part" \
    -v ofi="$(median full installer 4)" -v osi="$(median small installer 4)" \
    -v ofd="$(median full durable 4)" -v osd="$(median small durable 4)" -v osu="$(median small ui 5)" 'BEGIN {
  printf "earlier method on these runs: size-dependent %.3f, fixed %.3f", (ofi - osi) / (ofd - osd), osi / osu
  printf " (installer as it ships, UI floor to their completion box seen; differences of medians)\n"
  printf "size-dependent (medians of the per-round differences): installer %.1f ms, durable floor %.1f ms\n", ip, fp
  printf "fixed (medians, small archives): installer %.1f ms, UI floor %.1f ms\n", si, su
  printf "ratio_size_dependent=%.3f\n", ip / fp
  printf "ratio_fixed=%.3f\n", si / su
}'
