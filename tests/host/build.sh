#!/usr/bin/env bash
# Configures and builds the host project (this folder) with clang into $1.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
cmake -S "$here" -B "$out" -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14
cmake --build "$out" -j 2
