#!/usr/bin/env bash
# The short form of scripts/bench (about 30 s), against limits loose enough
# for a busy machine: a fresh scan at most 1.6 times the bare class-name walk,
# the CPU of a sweep run at most 1.5 times the bare calls of the same passes,
# and no wake-up of the idle program at all. A program that scans twice,
# spins or polls fails; noise, which moves each figure and its reference
# alike, does not.
# Usage: short_bench_test.sh BIN-DIR, under the Wine environment of scripts/test.
set -euo pipefail
source "$(dirname "$0")/../../bench/lib.sh"
readonly BIN=$1 SCAN_LIMIT=1.6 SWEEP_LIMIT=1.5
# Three repetitions of three passes each, judged on the least: a busy machine
# can double the processor time of a few passes now and then, in any
# repetition, where a program that spins or scans twice pays more in every one.
readonly PASSES=3 REPETITIONS=3 IDLE_SECONDS=5

failed=0
check() {
  local what=$1 value=$2 limit=$3
  if [ "$(met "$value" "$limit")" = yes ]; then
    echo "ok: $what $value <= $limit"
    return
  elif is_number "$value"; then
    echo "FAILED: $what $value > $limit" >&2
  else
    echo "FAILED: $what ${value:-(no figure)}, not a number" >&2
  fi
  failed=1
}

read -r _ windows scan bare _ < <(wine64 "$BIN/scan_bench_win32.exe" 1000 | grep '^scan ')
check "fresh scan over $windows windows against the bare walk ($scan ms / $bare ms)" \
  "$(calc 's / b' "s=$scan" "b=$bare")" "$SCAN_LIMIT"

mapfile -t sweeps < <(sweep_cpu_ratios "$BIN" "$PASSES" "$REPETITIONS" | awk '{ print $1 }')
if [ "${#sweeps[@]}" -ne "$REPETITIONS" ]; then
  echo "FAILED: the sweep benchmark did not run" >&2
  exit 1
fi
check "sweep run CPU against the bare calls, the least of ${sweeps[*]}" \
  "$(judged 2 "${sweeps[@]}")" "$SWEEP_LIMIT"

read -r _ timer other _ < <(wine64 "$BIN/idle_bench_win32.exe" "$IDLE_SECONDS" | grep '^wake-ups ')
check "wake-ups of the idle program in $IDLE_SECONDS s" "$((timer + other))" 0

exit "$failed"
