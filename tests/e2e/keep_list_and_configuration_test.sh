#!/usr/bin/env bash
# The keep-list window and the configuration dialog, used as a user would:
# F9 over a browser's title bar keeps it (once), over a dialog it does
# nothing, and a run spares the kept window; "Effacer la liste" empties the
# list; choosing a window that is open only shows it again; the dialog shows
# the settings, stores the ones the user chose when it is closed, and a run
# started while it is open uses the number it shows.
source "$(dirname "$0")/lib.sh" "$@"

readonly ITEM_KEEP_LIST=0 ITEM_CONFIGURATION=1
readonly KEEP_LIST_F9="A conserver... (F9)" KEEP_LIST_F5="A conserver... (F5)"
readonly CONFIGURATION=Configuration

open_from_menu() {
  tray_right_click
  wait_for "the menu" 10 menu_open
  choose_menu_item "$1"
}
window_shown() { [ "$(count_windows 1 VelmoraForm "$1")" -eq "${2:-1}" ]; }
window_gone() { [ "$(count_windows '' VelmoraForm "$1")" -eq 0 ]; }

# The controls of one of Velmora's windows, as desktopctl lists them.
controls_of() { ctl controls VelmoraForm "$1"; }
# Fails, whatever the lines, when the window is not there.
list_is() {
  local controls
  controls=$(controls_of "$1")
  [ -n "$controls" ] && [ "$(awk -F'\t' '$1 == "item" { print $2 }' <<< "$controls")" = "$2" ]
}
# The key boxes, F1 to F12: the buttons named after a key.
boxes_are() {
  [ "$(controls_of "$CONFIGURATION" | awk -F'\t' '$1 ~ /^Button / && $2 ~ /^F[0-9]+$/ {
         split($1, f, " "); printf "%s", f[2] }')" = "$1" ]
}
readonly ONLY_F9=000000001000
duration_is() { [ "$(controls_of "$CONFIGURATION" | awk -F'\t' '$1 ~ /^Edit / { print $2 }')" = "$1" ]; }
# Clicks the middle of the n-th control (from 1, in the order listed).
click_control() {
  local left top right bottom
  read -r _ _ left top right bottom < <(controls_of "$1" | grep -v '^item' | sed -n "$2p" | cut -f1) || true
  [ -n "${bottom:-}" ] || fail "no control $2 in $1"
  xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
}
readonly CLEAR_BUTTON=6 F5_BOX=11

# Points at the middle of a helper window's title bar and presses the key.
press_over_title() {
  xdotool mousemove "$1" "$2"
  sleep 0.3
  xdotool key "$3"
}
readonly KEPT_TITLE_X=150 KEPT_TITLE_Y=30 DIALOG_TITLE_X=800 DIALOG_TITLE_Y=30

# Types into the duration box in place of what it shows.
type_duration() {
  click_control "$CONFIGURATION" "$DURATION_BOX"
  xdotool key End BackSpace BackSpace BackSpace BackSpace
  xdotool type "$1"
}
readonly DURATION_BOX=28

run_and_wait() {
  tray_double_click
  wait_for "the busy icon" 5 icon_is other
  wait_for "the end of the run" 20 icon_is normal
}

start_velmora
start_helper \
  "name=kept;class=IEFrame;title=Gardée;rect=20,20,260,140" \
  "name=dialog;class=#32770;title=Alerte;rect=680,20,260,140" \
  "name=other;class=IEFrame;title=Autre;rect=20,560,260,140" \
  "name=stubborn;class=BLDOPERA;title=Têtue;ignore-close;rect=680,560,260,140"

open_from_menu "$ITEM_KEEP_LIST"
wait_for "the keep-list window" 10 window_shown "$KEEP_LIST_F9"
list_is "$KEEP_LIST_F9" "" || fail "the keep list is not empty at start-up"
press_over_title "$KEPT_TITLE_X" "$KEPT_TITLE_Y" F9
wait_for "the kept title in the list" 5 list_is "$KEEP_LIST_F9" "Gardée"
press_over_title "$KEPT_TITLE_X" "$KEPT_TITLE_Y" F9
press_over_title "$DIALOG_TITLE_X" "$DIALOG_TITLE_Y" F9
holds "one line, the dialog not kept" 2 list_is "$KEEP_LIST_F9" "Gardée"
open_from_menu "$ITEM_KEEP_LIST"
wait_for "the menu to close" 10 menu_closed
[ "$(count_windows '' VelmoraForm "$KEEP_LIST_F9")" -eq 1 ] || fail "a second keep-list window"

run_and_wait
window_gone "$KEEP_LIST_F9" || fail "the run left the keep-list window open"
[ "$(helper_events WM_CLOSE kept)" -eq 0 ] || fail "the kept window was sent WM_CLOSE"
for name in dialog other; do
  [ "$(helper_events destroyed "$name")" -eq 1 ] || fail "$name was not closed"
done
[ "$(helper_events WM_CLOSE stubborn)" -eq 10 ] || fail "not ten passes"

open_from_menu "$ITEM_KEEP_LIST"
wait_for "the keep-list window" 10 list_is "$KEEP_LIST_F9" "Gardée"
click_control "$KEEP_LIST_F9" "$CLEAR_BUTTON"
wait_for "the list to empty" 3 list_is "$KEEP_LIST_F9" ""

open_from_menu "$ITEM_CONFIGURATION"
wait_for "the configuration dialog" 10 window_shown "$CONFIGURATION"
window_gone "$KEEP_LIST_F9" || fail "the keep-list window stayed open beside the dialog"
duration_is 10 || fail "the dialog does not show 10"
boxes_are "$ONLY_F9" || fail "the dialog does not tick F9 alone"
type_duration 2
click_control "$CONFIGURATION" "$F5_BOX"
wait_for "F5 ticked alone" 3 boxes_are 000010000000
duration_is 2 || fail "the box did not show the value in force"
open_from_menu "$ITEM_CONFIGURATION"
wait_for "the menu to close" 10 menu_closed
[ "$(count_windows '' VelmoraForm "$CONFIGURATION")" -eq 1 ] || fail "a second dialog"
boxes_are 000010000000 && duration_is 2 || fail "choosing Configuration again reset the dialog"
click_close_box "$CONFIGURATION"
wait_for "the dialog to close" 10 window_gone "$CONFIGURATION"

open_from_menu "$ITEM_KEEP_LIST"
wait_for "the keep-list window with F5" 10 window_shown "$KEEP_LIST_F5"
run_and_wait
[ "$(helper_events WM_CLOSE stubborn)" -eq 12 ] || fail "not two passes"

open_from_menu "$ITEM_CONFIGURATION"
wait_for "the configuration dialog" 10 window_shown "$CONFIGURATION"
duration_is 2 || fail "the dialog does not show the stored 2"
type_duration 3
run_and_wait
window_gone "$CONFIGURATION" || fail "the run left the dialog open"
[ "$(helper_events WM_CLOSE stubborn)" -eq 15 ] || fail "the run did not use the 3 shown"
echo "PASS"
