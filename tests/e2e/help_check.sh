#!/usr/bin/env bash
# The compiled help file lies beside the program, is a CHM, and holds every page.
set -uo pipefail
chm=$1
help=$2
failed=0
[[ -f "$chm" ]] || { echo "missing: $chm"; exit 1; }
[[ $(head -c 4 "$chm") == ITSF ]] || { echo "not a CHM file"; exit 1; }
for page in $(sed -n '/^\[FILES\]/,$p' "$help/velotune.hhp" | grep -v '^\[' | tr -d '\r'); do
  if grep -q -a "/$page" "$chm"; then echo "ok      $page"; else echo "FAILED  $page"; failed=1; fi
done
exit $failed
