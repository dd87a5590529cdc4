#!/usr/bin/env bash
# "TaskbarCreated" broadcast ten times, idle and again during a run, leaves
# exactly one Velmora icon in the notification area, and that icon still
# starts a run that closes the browser window.
source "$(dirname "$0")/lib.sh" "$@"

# The notification area left of our icon's cell, where a second icon would
# show: one colour while it holds none.
readonly TRAY_REST_CROP=400x16+606+750
one_icon() {
  import -window root -crop "$TRAY_REST_CROP" "$E2E_DIR/tray_rest.png"
  [ "$(identify -format %k "$E2E_DIR/tray_rest.png")" -le 1 ] && icon_is "$1"
}

start_velmora
start_helper "name=ie;class=IEFrame;title=Accueil;ignore-close;rect=20,20,240,160"
one_icon normal || fail "not one icon at start-up"

ctl taskbar-created 10 > /dev/null
holds "one icon after ten broadcasts" 2 one_icon normal

tray_double_click
# Away from the icon, whose tooltip could cover part of the tray.
xdotool mousemove 512 384
wait_for "the busy icon" 5 one_icon other
wait_for "the browser window to be closed" 5 test "$(helper_events WM_CLOSE ie)" -ge 1
ctl taskbar-created 10 > /dev/null
holds "one busy icon after ten broadcasts during the run" 2 one_icon other
velmora_running || fail "Velmora ended"
echo "PASS"
