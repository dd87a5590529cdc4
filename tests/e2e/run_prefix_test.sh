#!/usr/bin/env bash
# scripts/run with a display, as a new user starts it: it makes Velmora's own
# Wine prefix under the user's data folder, leaves the user's own prefix
# alone, starts Velmora there, and the forms' texts fit in the fonts of the
# prefix it made (the legibility cases of the Windows tests, run there).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
dir=$(mktemp -d /tmp/velmora-run.XXXXXX)
export HOME="$dir/home" XDG_DATA_HOME="$dir/data"
mkdir -p "$HOME"
prefix="$XDG_DATA_HOME/velmora/wine"
# lib.sh looks for Velmora in this prefix; scripts/run chooses its own.
export WINEPREFIX=$prefix
source "$root/tests/e2e/lib.sh" "$@"
stop_run() {
  local status=$?
  wineserver -k > /dev/null 2>&1 || true
  kill "$run" 2> /dev/null || true
  [ "$status" -eq 0 ] || cat "$dir/run.log" >&2
  rm -rf "$dir"
  exit "$status"
}
trap stop_run EXIT

env -u WINEPREFIX "$root/scripts/run" > "$dir/run.log" 2>&1 &
run=$!
wait_for "Velmora in its own prefix" 120 velmora_running
[ -e "$prefix/drive_c/windows/Fonts/tahoma.ttf" ] || fail "no fonts in Velmora's prefix"
[ ! -e "$HOME/.wine" ] || fail "the user's own prefix was touched"
wine "$E2E_BIN/win32_tests.exe" --gtest_filter='LegibilityTest.*' --gtest_brief=1 ||
  fail "texts cut in the prefix scripts/run made"
