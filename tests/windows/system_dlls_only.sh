#!/bin/sh
# Checks that a Windows program imports only DLLs that every Windows has, so the one file
# runs without a DLL beside it (no C++ runtime, no winpthread, no toolkit).
#
#   system_dlls_only.sh OBJDUMP PROGRAM.exe
set -eu
objdump="$1"
program="$2"
imports="$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')"
[ -n "$imports" ] || { echo "no imports read from $program" >&2; exit 1; }
status=0
for dll in $imports; do
  case "$dll" in
  advapi32.dll | comctl32.dll | comdlg32.dll | gdi32.dll | kernel32.dll | msvcrt.dll | shell32.dll | \
    user32.dll | version.dll | winspool.drv | ws2_32.dll | ole32.dll) ;;
  *) echo "$program needs $dll, which Windows does not bring" >&2; status=1 ;;
  esac
done
exit $status
