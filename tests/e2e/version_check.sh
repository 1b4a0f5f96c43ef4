#!/usr/bin/env bash
# The project version reaches everything that names one: the program's
# version resource and manifest, the setup program's name and version
# resource, and the documents written by hand (licence, help pages, README),
# which must be brought along when the version changes.
# Usage: version_check.sh <build folder> <source folder> <project version>
set -u
build=$1
src=$2
version=$3
failed=0

fail() {
  echo "FAILED  $*"
  failed=1
}

# The value after a key in a program's version resource (UTF-16 strings).
resource_value() {  # file key
  strings -el -n 3 "$1" | grep -x -A1 "$2" | sed -n 2p
}

setup="$build/velotune-$version-setup.exe"
[[ -f "$setup" ]] || fail "no $setup"
for file in "$build/velotune.exe" "$setup"; do
  for key in FileVersion ProductVersion; do
    got=$(resource_value "$file" "$key")
    [[ "$got" == "$version" ]] || fail "$(basename "$file") $key is '$got', not '$version'"
  done
done
[[ "$(resource_value "$setup" CompanyName)" == Quorvane ]] || fail "setup CompanyName"
[[ "$(resource_value "$setup" ProductName)" == Velotune ]] || fail "setup ProductName"

manifest=$(strings "$build/velotune.exe" | grep -o 'name="Quorvane.Velotune" version="[^"]*"')
[[ "$manifest" =~ version=\"${version//./\\.}(\.0)*\"$ && "$manifest" =~ \"[0-9]+(\.[0-9]+){3}\"$ ]] ||
  fail "manifest says $manifest"

while read -r mention; do
  [[ "${mention,,}" == "velotune $version" || "${mention,,}" == "velotune-$version" ]] ||
    fail "a document says '$mention'"
done < <(grep -ohiE 'velotune[ -][0-9]+(\.[0-9]+)+' "$src/assets/license.txt" "$src"/help/*.htm \
  "$src/README.md" | sort -u)

[[ $failed -eq 0 ]] && echo "ok      every version says $version"
exit $failed
