#!/bin/sh
# Fails when the program imports from any DLL that is not part of Windows
# itself: the installer must run on a bare system with nothing installed.
set -eu
exe="$1"
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"

allowed="advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
oleaut32.dll shell32.dll shlwapi.dll user32.dll ucrtbase.dll ntdll.dll version.dll"

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'A-Z' 'a-z' | tr -d '\r')
if [ -z "$dlls" ]; then
    echo "no import table found in $exe" >&2
    exit 1
fi

status=0
for dll in $dlls; do
    case " $(echo $allowed) " in
    *" $dll "*) echo "ok: $dll" ;;
    *) echo "not a Windows system DLL: $dll" >&2; status=1 ;;
    esac
done
exit $status
