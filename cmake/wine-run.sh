#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's private prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/${VELOTUNE_BUILD:-build}/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Wine maps file names through the locale: only UTF-8 keeps every name intact.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
exec wine "$@"
