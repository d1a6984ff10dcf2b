#!/usr/bin/env python3
"""Writes a module-definition (.def) file naming every function of a mingw-w64
import library, from which dlltool builds the delay-load library of the same
DLL.

  import_library_def.py NM IMPORT_LIBRARY DLL_NAME OUTPUT.def"""
import re
import subprocess
import sys

if len(sys.argv) != 5:
    sys.exit(__doc__)
nm, library, dll, output = sys.argv[1:]
listing = subprocess.run([nm, "--defined-only", library], check=True, capture_output=True, text=True).stdout
# Each imported function has its import-table slot "__imp_<name>" (type I).
names = sorted(set(re.findall(r"^[0-9a-fA-F]+ I __imp_(\S+)$", listing, re.MULTILINE)))
if not names:
    sys.exit(f"{library}: no imported functions found")
with open(output, "w", newline="\n") as f:
    f.write(f"LIBRARY {dll}\nEXPORTS\n")
    f.writelines(f"  {name}\n" for name in names)
