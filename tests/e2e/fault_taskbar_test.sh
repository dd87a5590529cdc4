#!/usr/bin/env bash
# "TaskbarCreated" broadcast ten times, idle and again during a run, leaves
# exactly one Velmora icon in the notification area, and that icon still
# starts a run that closes the browser window.
source "$(dirname "$0")/lib.sh" "$@"

start_velmora
start_helper "name=ie;class=IEFrame;title=Accueil;ignore-close;rect=20,20,240,160"
one_icon_is normal || fail "not one icon at start-up"

ctl taskbar-created 10 > /dev/null
holds "one icon after ten broadcasts" 2 one_icon_is normal

tray_double_click
# Away from the icon, whose tooltip could cover part of the tray.
xdotool mousemove 512 384
wait_for "the busy icon" 5 one_icon_is other
wait_for "the browser window to be closed" 5 helper_events_reach WM_CLOSE ie 1
ctl taskbar-created 10 > /dev/null
holds "one busy icon after ten broadcasts during the run" 2 one_icon_is other
velmora_running || fail "Velmora ended"
echo "PASS"
