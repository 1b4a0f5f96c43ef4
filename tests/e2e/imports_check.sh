#!/usr/bin/env bash
# The program must import nothing but Windows system DLLs.
set -euo pipefail
exe=$1
allowed='^(ADVAPI32|COMCTL32|COMDLG32|GDI32|KERNEL32|MSIMG32|msvcrt|OLE32|OLEAUT32|SHELL32|SHLWAPI|USER32|UXTHEME|VERSION|WINMM)\.dll$'
status=0
while read -r dll; do
  if [[ ! "$dll" =~ $allowed ]]; then
    echo "unexpected import: $dll"
    status=1
  fi
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
[[ $status -eq 0 ]] && echo "imports: only system DLLs"
exit $status
