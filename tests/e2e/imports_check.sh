#!/usr/bin/env bash
# The program must import nothing but Windows system DLLs, and shell32 and COM only when first used.
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
# shell32 and COM are loaded on first use, not with the program: loading them
# slows every start.
while read -r dll; do
  [[ -n $dll ]] || continue
  echo "$dll is imported at load time"
  status=1
done < <(grep -ixE '(shell32|ole32|oleaut32|oleacc)\.dll' <<<"$imports" || true)
[[ $status -eq 0 ]] && echo "imports: only system DLLs, shell32 and COM bound on first use"
exit $status
