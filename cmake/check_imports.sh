#!/bin/sh
# Fails when the program statically imports a DLL that Windows could take
# from the program's own folder. The loader resolves static imports before
# any code of the program runs, so only these may be imported statically:
# the DLLs that every supported Windows (7 to 11, as the manifest says) keeps
# among its KnownDLLs and maps from the system folder whatever lies beside
# the program; ntdll, which the kernel maps itself; and comctl32, which the
# manifest redirects to the side-by-side store. Every other DLL is
# delay-loaded from the system folder (platform/win32/Win32ProcessStart.cpp).
# Under Wine even some of the allowed ones pull in DLLs that Windows does not
# protect (user32 imports version, shlwapi imports shcore), which is why the
# program delay-loads them too; the end-to-end test no_dll_planting holds it
# to that.
set -eu
exe="$1"
objdump="${OBJDUMP:-x86_64-w64-mingw32-objdump}"

allowed="advapi32.dll clbcatq.dll comdlg32.dll difxapi.dll gdi32.dll imagehlp.dll imm32.dll
kernel32.dll msctf.dll msvcrt.dll normaliz.dll nsi.dll ole32.dll oleaut32.dll psapi.dll
rpcrt4.dll sechost.dll setupapi.dll shell32.dll shlwapi.dll user32.dll wldap32.dll ws2_32.dll
ntdll.dll comctl32.dll"

dlls=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p' | tr 'A-Z' 'a-z' | tr -d '\r')
if [ -z "$dlls" ]; then
    echo "no import table found in $exe" >&2
    exit 1
fi

status=0
for dll in $dlls; do
    case " $(echo $allowed) " in
    *" $dll "*) echo "ok: $dll" ;;
    *) echo "imported statically but not a KnownDLL on every supported Windows: $dll" >&2; status=1 ;;
    esac
done
exit $status
