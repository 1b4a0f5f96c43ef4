#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need.
# Does nothing when they are all present.
set -euo pipefail

packages=(
  cmake make
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev
  googletest
  clang-14 libclang-rt-14-dev zlib1g-dev libgtest-dev
  wine wine64 xvfb xauth xdotool imagemagick x11-utils
  fp-utils
  nsis
  fonts-wine fonts-liberation
  python3 libxdamage1  # the benchmarks (bench/)
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "bootstrap: installing ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
