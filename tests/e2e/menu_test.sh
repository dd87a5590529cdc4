#!/usr/bin/env bash
# The tray icon's clicks and menu: a single click does nothing, a right click
# opens the menu, "A propos de..." twice shows one about box, "Quitter"
# removes the icon, and the open about box keeps the process alive until the
# user closes it.
source "$(dirname "$0")/lib.sh" "$@"

start_velmora
tray_left_click
holds "a single click changes nothing" 1 eval 'icon_is normal && ! menu_open'

tray_right_click
wait_for "the menu" 10 menu_open
# A click elsewhere closes it.
xdotool mousemove 500 300 click 1
wait_for "the menu to close" 10 menu_closed

open_about_box
wait_for "the about box" 10 about_boxes_are 1
open_about_box
wait_for "the menu to close" 10 menu_closed
about_boxes_are 1 || fail "a second about box"

tray_right_click
wait_for "the menu" 10 menu_open
choose_menu_item "$E2E_ITEM_EXIT"
wait_for "the icon to go" 10 icon_is none
wait_for "the main form to go" 10 main_forms_are 0
velmora_running || fail "Velmora ended while its about box was open"

click_close_box "$E2E_ABOUT_CAPTION"
wait_for "Velmora to end once the about box is closed" 10 velmora_gone
echo "PASS"
