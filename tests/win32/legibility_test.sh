#!/usr/bin/env bash
# The legibility cases of the Windows tests at 96, 120, 144 and 192 dpi: first
# in a bare Wine prefix, as a user's own is (none of the forms' named faces
# there), then with Wine's fonts copied in, as in the test prefix and the one
# scripts/run makes. Each DPI takes a restart of the prefix's Wine server.
# The argument is the Windows test program.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
tests=$1
if [ -z "${DISPLAY:-}" ]; then
  echo "no display: run under scripts/test" >&2
  exit 77  # skipped
fi
source "$root/scripts/wine-env"
dir=$(mktemp -d /tmp/velmora-legibility.XXXXXX)
export WINEPREFIX="$dir/prefix" WINEDEBUG=-all
trap 'wineserver -k > /dev/null 2>&1 || true; rm -rf "$dir"' EXIT
wine_prefix_create

failed=()
measure() {
  local dpi=$1 fonts=$2
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f > /dev/null 2>&1
  wineserver -k
  wineserver -w
  echo "== $dpi dpi, $fonts"
  wine "$tests" --gtest_filter='LegibilityTest.*' --gtest_brief=1 || failed+=("$dpi dpi $fonts")
}
for dpi in 96 120 144 192; do measure "$dpi" "without Wine's fonts"; done
wine_prefix_add_fonts
for dpi in 192 144 120 96; do measure "$dpi" "with Wine's fonts"; done

[ ${#failed[@]} -eq 0 ] || { echo "FAIL: texts cut at ${failed[*]}" >&2; exit 1; }
