#!/usr/bin/env bash
# The compiled help file lies beside the program, is a CHM, and holds every
# file of the help folder: each one listed in the project, and each one stored
# in the CHM (its directory keeps the names uncompressed, as "/name").
set -uo pipefail
chm=$1
help=$2
failed=0
[[ -f "$chm" ]] || { echo "missing: $chm"; exit 1; }
[[ $(head -c 4 "$chm") == ITSF ]] || { echo "not a CHM file: $chm"; exit 1; }
listed=$(sed -n '/^\[FILES\]/,/^\[/p' "$help/velotune.hhp" | grep -v '^\[' | tr -d '\r')
shopt -s nullglob
pages=("$help"/*.htm)
(( ${#pages[@]} > 0 )) || { echo "no pages in $help"; exit 1; }
for path in "${pages[@]}" "$help"/*.css "$help"/*.hhc "$help"/*.hhk; do
  name=${path##*/}
  if [[ $name == *.htm || $name == *.css ]] && ! grep -qxF "$name" <<<"$listed"; then
    echo "FAILED  $name is not listed in velotune.hhp"; failed=1; continue
  fi
  if grep -qaF "/$name" "$chm"; then echo "ok      $name"; else echo "FAILED  $name is not in the CHM"; failed=1; fi
done
exit $failed
