#!/usr/bin/env bash
# An installer that replaces or removes Velmora.exe while it runs has the
# Restart Manager close it: WM_QUERYENDSESSION and WM_ENDSESSION with
# ENDSESSION_CLOSEAPP. Velmora agrees and ends within 3 s, its about box
# with it, and leaves no icon.
source "$(dirname "$0")/lib.sh" "$@"

start_velmora
open_about_box
wait_for "the about box" 10 about_boxes_are 1

read -r _ agreed _ windows state ms < <(ctl close-app)
[ "$agreed" -eq "$windows" ] || fail "only $agreed of $windows windows agreed to close"
[ "$state" = ended ] && [ "$ms" -le 3000 ] ||
  fail "Velmora still ran 3 s after the Restart Manager closed it: $state ${ms:-}"
wait_for "the icon to go" 5 icon_is none
echo "PASS"
