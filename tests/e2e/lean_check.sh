#!/usr/bin/env bash
# The program as it ships: stripped of debug information and within its size
# budget, so a dropped strip or artwork stored uncompressed again shows here.
# Usage: lean_check.sh <velotune.exe> [budget in bytes, default 1500000]
set -euo pipefail
exe=$1
budget=${2:-1500000}
status=0
debug=$(x86_64-w64-mingw32-objdump -h "$exe" | awk '$2 ~ /^\.debug/ { print $2 }')
if [[ -n $debug ]]; then
  echo "debug sections in $exe:" $debug
  status=1
fi
size=$(stat -c %s "$exe")
if ((size > budget)); then
  echo "$exe is $size bytes, over the budget of $budget"
  status=1
fi
[[ $status -eq 0 ]] && echo "lean: $size bytes, no debug sections"
exit $status
