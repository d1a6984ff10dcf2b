#!/usr/bin/env python3
"""Where the traced installer's time goes: reads the records that
addonwarlord1_traced writes (one per run) and prints, as medians over the
runs, the moments a run passes and the time spent inside each kind of
platform call on each thread.

    trace-summary.py TRACE...
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
            thread, name, count, begin, end, inside = fields
            calls.append((thread, name, int(count[1:]), float(begin), float(end), float(inside)))
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
    for thread, name, count, _, _, inside in calls:
        totals[(thread, name)][0] += count
        totals[(thread, name)][1] += inside
    return totals


def main(paths):
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


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    main(sys.argv[1:])
