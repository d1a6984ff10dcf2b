#!/usr/bin/env python3
"""Turns a players' guide written in Markdown into the plain text that goes
into the release archive, for players who open it with Notepad: no markup,
CRLF line ends, and the release's version in the title.

    guide_to_text.py GUIDE.md OUTPUT.txt VERSION ENCODING

ENCODING is cp950 for the Traditional Chinese guide (what Notepad on a
Traditional Chinese system reads without being told) or utf-8-sig for a
guide that mixes scripts (the BOM tells Notepad that it is UTF-8). A
character that the encoding cannot hold is an error, never a question mark.
"""
import re
import sys
import unicodedata

TITLE_START = "addonwarlord1 "


def display_width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def inline(text):
    text = re.sub(r"\[([^\]]+)\]\(([^)]+)\)", r"\1 (\2)", text)
    text = text.replace("**", "")
    return text.replace("`", "")


def convert(markdown, version):
    lines = markdown.splitlines()
    if not lines or not lines[0].startswith("# " + TITLE_START):
        raise ValueError(f"the first line must be the title '# {TITLE_START}...'")
    out = []
    in_code = False
    for number, line in enumerate(lines, 1):
        if line.startswith("```"):
            in_code = not in_code
            continue
        if in_code:
            out.append("    " + line)
            continue
        heading = re.match(r"^(#{1,3}) (.*)$", line)
        if heading is None:
            out.append(inline(line))
            continue
        level, text = len(heading.group(1)), inline(heading.group(2))
        if number == 1:
            text = TITLE_START + version + " " + text[len(TITLE_START):]
        out.append(text)
        if level < 3:
            out.append(("=" if level == 1 else "-") * display_width(text))
    if in_code:
        raise ValueError("a code block is not closed")
    return "".join(line.rstrip() + "\r\n" for line in out)


def main(source, target, version, encoding):
    if not re.fullmatch(r"[0-9]+\.[0-9]+\.[0-9]+", version):
        sys.exit(f"{version!r} is not a version MAJOR.MINOR.PATCH")
    text = convert(open(source, encoding="utf-8").read(), version)
    try:
        data = text.encode(encoding)
    except UnicodeEncodeError as error:
        line = text.count("\n", 0, error.start) + 1
        sys.exit(f"{source}: {text[error.start]!r} (line {line} of the text) has no {encoding} form")
    with open(target, "wb") as out:
        out.write(data)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    try:
        sys.exit(main(*sys.argv[1:]))
    except ValueError as error:
        sys.exit(f"{sys.argv[1]}: {error}")
