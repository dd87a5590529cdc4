#!/usr/bin/env bash
# WM_CLOSE posted to every window of Velmora during a run, as taskkill
# without /f does: the run goes with the windows, and the process ends within
# 3 s; a window that ignores WM_CLOSE is not closed again afterwards.
source "$(dirname "$0")/lib.sh" "$@"

start_velmora
start_helper "name=ie;class=IEFrame;title=Accueil;ignore-close;rect=20,20,240,160"
open_about_box
wait_for "the about box" 10 about_boxes_are 1

tray_double_click
wait_for "the busy icon" 5 icon_is other
wait_for "a first pass" 5 helper_events_reach WM_CLOSE ie 1

read -r _ windows state ms < <(ctl close-all)
[ "$windows" -ge 2 ] || fail "only $windows windows of Velmora to close"
[ "$state" = ended ] && [ "$ms" -le 3000 ] ||
  fail "Velmora still ran 3 s after its windows were closed: $state ${ms:-}"
closes=$(helper_events WM_CLOSE ie)
holds "no close after the end" 3 eval '[ "$(helper_events WM_CLOSE ie)" -eq "$closes" ]'
icon_is none || fail "the icon was left behind"
echo "PASS"
