#!/usr/bin/env python3
"""Where the traced installer's time goes: reads the records that
addonwarlord1_traced writes (one per run) and prints, as medians over the
runs, the moments a run passes, the time spent inside each kind of platform
call on each thread, and the worker's copies, flushes and moves one by one
(time and CPU time), beside the durable floor's same calls when the floor's
output of the same rounds is given.

    trace-summary.py TRACE... [--floor FLOOR_OUTPUT...]
"""
import statistics
import sys
from collections import defaultdict


def read(path):
    calls = []
    with open(path, encoding="ascii") as trace:
        for line in trace:
            fields = line.split()
            if fields[0] == "entry":
                entry = float(fields[1])
                continue
            thread, name, count, begin, end, inside, cpu = fields
            calls.append((thread, name, int(count[1:]), float(begin), float(end), float(inside),
                          None if cpu == "-" else float(cpu)))
    return entry, calls


def first(calls, thread, name, field):
    for call in calls:
        if call[0] == thread and call[1] == name:
            return call[field]
    return None


def last(calls, thread, name, field):
    found = None
    for call in calls:
        if call[0] == thread and call[1] == name:
            found = call[field]
    return found


def milestones(entry, calls):
    """Moments in ms since the process was created."""
    return {
        "program entry (WinMain)": entry,
        "dialog creation begins": first(calls, "ui", "RunModalDialog", 3),
        "dialog initialises (WM_INITDIALOG)": first(calls, "ui", "WM_INITDIALOG", 3),
        "worker started": first(calls, "ui", "StartThread", 4),
        "information box called": first(calls, "worker", "MessageBox", 3),
        "information box returned": first(calls, "worker", "MessageBox", 4),
        "completion handled (WM_INSTALL_DONE)": first(calls, "ui", "WM_INSTALL_DONE", 3),
        "completion box called": first(calls, "ui", "MessageBox", 3),
        "completion box returned": first(calls, "ui", "MessageBox", 4),
        "worker's last call ends": last(calls, "worker", "PostMessage", 4),
    }


# Each phase runs from one moment to the next; medians of each run's own
# difference, which scatter less than differences of the medians.
PHASES = [
    ("system starts the process", None, "program entry (WinMain)"),
    ("guard, icon, before the dialog", "program entry (WinMain)", "dialog creation begins"),
    ("dialog window and font created", "dialog creation begins", "dialog initialises (WM_INITDIALOG)"),
    ("dialog initialisation, worker start", "dialog initialises (WM_INITDIALOG)", "worker started"),
    ("steps 1 to 4 up to the information box", "worker started", "information box called"),
    ("information box, with its wait for OK", "information box called", "information box returned"),
    ("steps 4 to 6 after the box", "information box returned", "worker's last call ends"),
    ("completion reaches the dialog", "worker's last call ends", "completion handled (WM_INSTALL_DONE)"),
    ("completion box, with its wait for OK", "completion box called", "completion box returned"),
]


def phases(moments):
    print("  phases, ms (median of each run's own duration):")
    for label, start, end in PHASES:
        values = [m[end] - (m[start] if start else 0) for m in moments
                  if m[end] is not None and (start is None or m[start] is not None)]
        if values:
            print(f"    {label:<44} {statistics.median(values):8.1f}  ({min(values):.1f} .. {max(values):.1f})")


def inside_by_call(calls):
    totals = defaultdict(lambda: [0, 0.0])
    for thread, name, count, _, _, inside, _ in calls:
        totals[(thread, name)][0] += count
        totals[(thread, name)][1] += inside
    return totals


# The file calls that grow with the archives, in the order both the installer
# and the durable floor make them: staging (copy to the temporary name, flush,
# rename), the second copy of each archive and its flush, the replacing moves;
# the installer then flushes and moves its record file.
FILE_CALLS = ([f"staging {a}: {c}" for a in "LMS" for c in ("copy", "flush", "rename")]
              + [f"{a} to its .$$$: {c}" for a in "LMS" for c in ("copy", "flush")]
              + [f"{a}: replacing move" for a in "LMS"]
              + ["record file: flush", "record file: move"])
INSTALLER_FILE_CALLS = {"CopyFile", "FlushFileBuffers", "MoveFileEx"}
FLOOR_FILE_CALLS = {"CopyFileA", "FlushFileBuffers", "MoveFileExA"}


def installer_file_calls(calls):
    """(ms, cpu ms) of each of the worker's file calls, in order."""
    return [(inside, cpu) for thread, name, count, _, _, inside, cpu in calls
            if thread == "worker" and name in INSTALLER_FILE_CALLS and count == 1]


def floor_file_calls(path):
    found = []
    with open(path, encoding="ascii") as output:
        for line in output:
            if line.startswith("file_call="):
                name, _, ms, cpu = line[len("file_call="):].split()
                if name in FLOOR_FILE_CALLS:
                    found.append((float(ms), float(cpu)))
    return found


def median_at(runs, index, field):
    values = [run[index][field] for run in runs if index < len(run) and run[index][field] is not None]
    return f"{statistics.median(values):7.1f}" if values else "      -"


def file_calls(installer_runs, floor_runs):
    print("  file calls one by one, ms and the thread's CPU ms in them (medians):")
    print(f"    {'':<28} {'installer':>9} {'cpu':>7}   {'floor':>7} {'cpu':>7}")
    for index, label in enumerate(FILE_CALLS):
        print(f"    {label:<28} {median_at(installer_runs, index, 0):>9} {median_at(installer_runs, index, 1)}"
              f"   {median_at(floor_runs, index, 0)} {median_at(floor_runs, index, 1)}")


def main(arguments):
    paths = arguments
    floors = []
    if "--floor" in arguments:
        at = arguments.index("--floor")
        paths, floors = arguments[:at], arguments[at + 1:]
    runs = [read(path) for path in paths]
    print(f"  moments, ms since the process was created (median of {len(runs)} runs):")
    moments = [milestones(*run) for run in runs]
    for key in moments[0]:
        values = [m[key] for m in moments if m[key] is not None]
        if values:
            print(f"    {key:<40} {statistics.median(values):8.1f}")
    phases(moments)
    print("  time inside platform calls, ms (median over the runs; the information box's")
    print("  time includes its wait for OK):")
    per_run = [inside_by_call(calls) for _, calls in runs]
    keys = sorted({key for totals in per_run for key in totals},
                  key=lambda key: -statistics.median(t.get(key, [0, 0.0])[1] for t in per_run))
    for key in keys:
        counts = statistics.median(t.get(key, [0, 0.0])[0] for t in per_run)
        inside = statistics.median(t.get(key, [0, 0.0])[1] for t in per_run)
        if inside >= 0.5:
            print(f"    {key[0]:<6} {key[1]:<24} x{counts:<6g} {inside:8.1f}")
    file_calls([installer_file_calls(calls) for _, calls in runs], [floor_file_calls(path) for path in floors])


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1:])
