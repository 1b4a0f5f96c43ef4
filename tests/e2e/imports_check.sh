#!/usr/bin/env bash
# The program must import nothing but Windows system DLLs, and shell32 only when first used.
set -euo pipefail
exe=$1
allowed='^(advapi32|comctl32|comdlg32|gdi32|kernel32|msimg32|msvcrt|ntdll|ole32|oleaut32|shell32|shlwapi|user32|uxtheme|version|winmm)\.dll$'
status=0
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
while read -r dll; do
  if [[ ! "${dll,,}" =~ $allowed ]]; then
    echo "unexpected import: $dll"
    status=1
  fi
done <<<"$imports"
# shell32 is bound on first use, not with the program: loading it slows the start.
if grep -qix 'shell32\.dll' <<<"$imports"; then
  echo "shell32.dll is imported at load time"
  status=1
fi
[[ $status -eq 0 ]] && echo "imports: only system DLLs, shell32 bound on first use"
exit $status
