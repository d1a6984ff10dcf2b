#!/usr/bin/env python3
"""install-on-linux.sh tells the installer's outcome in the words of the
README's table of exit codes: every row of that table, whatever it holds,
must be in the script's table with the same statuses and the same words (as
plain text, without the README's code marks), and none of those statuses
may look, to a shell under Wine, like one of the script's own.

    outcome_words_match_readme.py INSTALL-ON-LINUX.SH README.md
"""
import runpy
import re
import sys


def load_script(path):
    """The script's Python part, as a table of its names; its main() is not run."""
    return runpy.run_path(path, run_name="install_on_linux")


def readme_rows(path):
    """The rows of the table under the heading 'Exit codes': [(statuses, words)]."""
    rows = []
    in_section = False
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        heading = re.match(r"^#+\s+(.*)$", line)
        if heading:
            in_section = heading.group(1).strip().lower() == "exit codes"
            continue
        row = re.match(r"^\|\s*([^|]+?)\s*\|\s*(.+?)\s*\|$", line) if in_section else None
        if row and not set(row.group(1)) <= set("-: ") and row.group(1).lower() != "status":
            rows.append((row.group(1), row.group(2).replace("`", "")))
    return rows


def main(script_path, readme_path):
    script = load_script(script_path)
    ours = dict(script["OUTCOMES"])
    rows = readme_rows(readme_path)
    faults = []
    if not rows:
        faults.append("%s has no table of exit codes under a heading 'Exit codes'" % readme_path)
    own_statuses = {value for name, value in script.items() if name.startswith("EXIT_")}
    for statuses, words in rows:
        if statuses not in ours:
            faults.append("the README's row %r is not in the script's OUTCOMES" % statuses)
        elif ours[statuses] != words:
            faults.append("row %r:\n  README: %s\n  script: %s" % (statuses, words, ours[statuses]))
        for part in statuses.split(","):
            low, _, high = part.strip().partition("-")
            for code in range(int(low), int(high or low) + 1):
                if code % 256 in own_statuses:
                    faults.append("status %d reaches a shell as %d, one of the script's own statuses"
                                  % (code, code % 256))
    for fault in faults:
        print("FAIL: " + fault)
    if not faults:
        print("PASS: %d rows of the README's table, each in the script's words" % len(rows))
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    sys.exit(main(*sys.argv[1:]))
