#!/usr/bin/env bash
# The program must import nothing but Windows system DLLs.
set -euo pipefail
exe=$1
allowed='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msimg32|msvcrt|ntdll|ole32|oleaut32|shell32|shlwapi|user32|uxtheme|version|winmm)\.dll$'
status=0
while read -r dll; do
  if [[ ! "${dll,,}" =~ $allowed ]]; then
    echo "unexpected import: $dll"
    status=1
  fi
done < <(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
[[ $status -eq 0 ]] && echo "imports: only system DLLs"
exit $status
