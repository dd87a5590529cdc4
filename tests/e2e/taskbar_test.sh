#!/usr/bin/env bash
# The icon comes back when the notification area is rebuilt and still starts
# a run, and the main window lets that message and a later start's request,
# and no other, through the filter that would keep them from an elevated
# Velmora; a log-off during
# that run ends the process within 2 s, icon gone, even with the about box
# open.
# Wine does not filter messages; it logs each call to the filter as a fixme.
E2E_WINE_DEBUG=-all,fixme+msg
source "$(dirname "$0")/lib.sh" "$@"

start_velmora
ctl forget-icon > /dev/null
wait_for "the icon to be forgotten" 10 icon_is none
read -r _ taskbar_created < <(ctl taskbar-created)
wait_for "the icon to come back" 10 icon_is normal

main_window=$(ctl list | awk -F'\t' '{ split($1, f, " ") } f[4] == "VelmoraForm" && $2 == "Form1" { print f[1] }')
read -r _ request < <(ctl register Velmora.Request)

open_about_box
wait_for "the about box" 10 about_boxes_are 1
tray_double_click
wait_for "the busy icon" 5 icon_is other

read -r _ agreed _ windows state ms < <(ctl log-off)
[ "$agreed" = "$windows" ] || fail "$agreed of $windows windows agreed to end the session"
[ "$state" = ended ] && [ "$ms" -le 2000 ] || fail "Velmora still ran 2 s after the log-off: $state ${ms:-}"
wait_for "Velmora's Wine process to go" 5 velmora_gone
icon_is none || fail "the icon was left behind"

# Last, since only Wine's fixme line shows the call: a Wine that implements
# the filter, or stops logging it, leaves nothing to check.
# Wine prints a pointer as wide as the program's: 8 digits for the i686
# build, 16 for x86_64, compared here without their leading zeros.
filters=$(grep -o 'ChangeWindowMessageFilter.*' "$E2E_DIR/velmora.trace" | sed -E 's/ 0+([0-9A-Fa-f])/ \1/g' || true)
if [ -z "$filters" ]; then
  echo "SKIP: this Wine logs no call to the message filter"
  exit 77
fi
allowed=$(for message in "$taskbar_created" "$request"; do
  echo "ChangeWindowMessageFilterEx $(printf %X "$main_window") $message 1 0"
done)
[ "$filters" = "$allowed" ] || fail "the message filter was changed by: $filters"
echo "PASS"
