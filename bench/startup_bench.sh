#!/usr/bin/env bash
# Launch-to-visible time of velotune.exe against a minimal Win32 window of the
# same size and place, and against that window with a native version 6
# control on it (the floor for any program with such controls), all started
# the same way under the same Wine, in one prefix and on one display, taking
# turns at going first. Then where the program's start-up time goes (its own
# phase trace), the CPU it uses in 10 s hidden in the tray ("-s"), and the
# memory of each once started.
# Usage: bash bench/startup_bench.sh [rounds]   (default 7)
# VELOTUNE_BENCH_EXE=path measures that velotune.exe instead of the build's.
# VELOTUNE_BENCH_BASE=path runs that one too, as "base", in the same rounds:
# two versions compared side by side, which separate runs on a noisy machine
# cannot do.
set -euo pipefail
rounds=${1:-7}
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "usage: $0 [rounds]" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
export VELOTUNE_BUILD=${VELOTUNE_BUILD:-build}
build="$root/$VELOTUNE_BUILD"

if [[ -z "${VELOTUNE_IN_XVFB:-}" ]]; then
  "$root/scripts/bootstrap.sh"
  cmake --build "$build" --target startup_bench -j 2 >/dev/null
  exec env VELOTUNE_IN_XVFB=1 xvfb-run -a -s '-screen 0 1024x768x24' bash "$0" "$@"
fi
source "$root/scripts/wine-env.sh"
init_prefix

# A prefix of its own, copied from the initialised one, so the program's
# settings land nowhere else; removed at the end.
scratch=$(mktemp -d /tmp/velotune-startup.XXXXXX)
cp -a "$WINEPREFIX" "$scratch/prefix"
export WINEPREFIX="$scratch/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
cleanup() {
  wineserver -k 2>/dev/null || true
  case $scratch in /tmp/velotune-startup.?*) rm -rf -- "$scratch" ;; esac
}
trap cleanup EXIT
trap 'exit 130' INT TERM

watch="$root/bench/visible_watch.py"
session="$build/bench/session.exe"
# The programs run from the scratch folder, as copies, so nothing beside the
# build's own exe changes.
cp "${VELOTUNE_BENCH_EXE:-$build/velotune.exe}" "$scratch/velotune.exe"
cp "$build/bench/minimal_window.exe" "$build/bench/native_window.exe" "$scratch/"
programs=(velotune minimal native)
declare -A title=([velotune]=Form1 [minimal]=Minimal [native]=Native)
declare -A exe=([velotune]="$scratch/velotune.exe" [minimal]="$scratch/minimal_window.exe"
  [native]="$scratch/native_window.exe")
traced=(velotune)
if [[ -n ${VELOTUNE_BENCH_BASE:-} ]]; then
  cp "$VELOTUNE_BENCH_BASE" "$scratch/base.exe"
  programs+=(base)
  traced+=(base)
  title[base]=Form1
  exe[base]="$scratch/base.exe"
fi

# One server, desktop and set of services for the whole run, as on a desktop
# where the shell is always there: a program of the session stays running.
wineserver -p
wine "$session" stay >/dev/null 2>&1 &
sleep 3

field() { sed -n "s/.*\<$1 \([-0-9.]*\).*/\1/p" <<<"$2"; }

# Closes the program as its user would and checks that it ended. Then a
# pause: the shell (Wine's explorer) is still busy with the tray icon that
# went away, and the next start should not wait for it.
close_program() {  # program pid
  wine "$session" close "${title[$1]}" >/dev/null 2>&1 || { echo "$1 did not close" >&2; exit 1; }
  for _ in $(seq 1 100); do
    if ! kill -0 "$2" 2>/dev/null; then
      sleep 1
      return 0
    fi
    sleep 0.05
  done
  echo "$1 (pid $2) still runs after closing" >&2
  exit 1
}

declare -A visible mapped rss round_visible
run() {  # program round [extra environment]
  local p=$1 r=$2 out
  out=$(env ${3:-} python3 "$watch" show "${title[$p]}" 550 374 -- wine "${exe[$p]}")
  [[ $out == map* ]] || { echo "$p: $out" >&2; exit 1; }
  close_program "$p" "$(field pid "$out")"
  [[ $r == warm ]] && return
  visible[$p]+="$(field visible "$out") "
  mapped[$p]+="$(field map "$out") "
  rss[$p]+="$(field rss "$out") "
  round_visible[$p,$r]=$(field visible "$out")
}

median() {
  tr ' ' '\n' | grep -v '^$' | sort -g |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# The first start of each pays for loading Wine's libraries from disk.
for p in "${programs[@]}"; do run "$p" warm; done
# Each round starts with the next program, so none is always first.
for ((r = 0; r < rounds; ++r)); do
  for ((i = 0; i < ${#programs[@]}; ++i)); do
    run "${programs[(i + r) % ${#programs[@]}]}" "$r"
  done
done

echo "rounds: $rounds (launch through wine to the window's final picture; one Wine server)"
for p in "${programs[@]}"; do
  printf '%-9s visible median %6.1f ms   mapped median %6.1f ms   runs: %s\n' "$p" \
    "$(median <<<"${visible[$p]}")" "$(median <<<"${mapped[$p]}")" "${visible[$p]}"
done
compare() {  # program yardstick
  local paired
  paired=$(for ((r = 0; r < rounds; ++r)); do
    awk -v a="${round_visible[$1,$r]}" -v b="${round_visible[$2,$r]}" \
      'BEGIN { printf "%.2f ", a / b }'
  done)
  awk -v a="$(median <<<"${visible[$1]}")" -v b="$(median <<<"${visible[$2]}")" -v p="$1" \
    -v y="$2" 'BEGIN { printf "%s / %s: %.2f (medians)", p, y, a / b }'
  printf '   per round: median %.2f   rounds: %s\n' "$(median <<<"$paired")" "$paired"
}
compare velotune minimal
# What no program with native version 6 controls can avoid, and what is the program's own.
compare native minimal
compare velotune native
if [[ -v 'exe[base]' ]]; then
  compare base minimal
  compare velotune base
fi

# Where the time goes: the program's own trace, in separate runs so that the
# timed ones above carry no trace at all.
trace="$scratch/phases.txt"
declare -A phase_runs
for ((r = 0; r < rounds; ++r)); do
  for p in "${traced[@]}"; do
    : >"$trace"
    run "$p" warm "VELOTUNE_STARTUP_TRACE=Z:$(tr / '\\' <<<"$trace")"
    [[ -s $trace ]] || { echo "$p: no phase trace written" >&2; exit 1; }
    while read -r name ms; do phase_runs[$p,$name]+="$ms "; done < <(tr -d '\r' <"$trace")
  done
done
echo "phases (median ms of $rounds traced runs; each phase without the phases inside it):"
printf '  %-12s' ''
printf ' %9s' "${traced[@]}"
echo
for name in loader application controls resources decoding tray outline registry progress show \
  other total; do
  printf '  %-12s' "$name"
  for p in "${traced[@]}"; do printf ' %9.2f' "$(median <<<"${phase_runs[$p,$name]}")"; done
  echo
done

printf 'memory after start (VmRSS median):'
for p in "${programs[@]}"; do printf ' %s %d KB' "$p" "$(median <<<"${rss[$p]}")"; done
echo

# Hidden in the tray, the program should use no CPU at all.
out=$(python3 "$watch" idle Form1 10 -- wine "${exe[velotune]}" -s)
[[ $out == ticks* ]] || { echo "idle: $out" >&2; exit 1; }
close_program velotune "$(field pid "$out")"
printf 'idle in the tray ("-s"), 10 s: %d CPU ticks (of %d a second); memory %d KB\n' \
  "$(field ticks "$out")" "$(getconf CLK_TCK)" "$(field rss "$out")"
