#!/usr/bin/env bash
# The icon comes back when the notification area is rebuilt and still starts
# a run; a log-off during that run ends the process within 2 s, icon gone,
# even with the about box open.
source "$(dirname "$0")/lib.sh" "$@"

start_velmora
ctl forget-icon > /dev/null
wait_for "the icon to be forgotten" 10 icon_is none
ctl taskbar-created > /dev/null
wait_for "the icon to come back" 10 icon_is normal

open_about_box
wait_for "the about box" 10 about_boxes_are 1
tray_double_click
wait_for "the busy icon" 5 icon_is other

read -r _ agreed _ windows state ms < <(ctl log-off)
[ "$agreed" = "$windows" ] || fail "$agreed of $windows windows agreed to end the session"
[ "$state" = ended ] && [ "$ms" -le 2000 ] || fail "Velmora still ran 2 s after the log-off: $state ${ms:-}"
wait_for "Velmora's Wine process to go" 5 velmora_gone
icon_is none || fail "the icon was left behind"
echo "PASS"
