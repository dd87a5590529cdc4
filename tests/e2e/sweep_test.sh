#!/usr/bin/env bash
# A double-click on the tray icon closes the helper's browser windows and
# titled dialogs at every pass and shows the busy icon meanwhile; the tray is
# ignored during the run, and the unrelated window, the about box and
# Velmora's own windows stay open.
source "$(dirname "$0")/lib.sh" "$@"

start_velmora
start_helper \
  "name=ie;class=IEFrame;title=Accueil;ignore-close;rect=20,20,240,160" \
  "name=opera;class=BLDOPERA;title=Opera;rect=60,60,240,160" \
  "name=dialog;class=#32770;title=Alerte;rect=100,100,240,160" \
  "name=hidden;class=#32770;title=Cachée;hidden" \
  "name=untitled;class=#32770;title=;rect=140,140,240,160" \
  "name=notes;class=Notepad;title=Notes;rect=180,180,240,160"
# Chromium's frame class, told apart by the program that owns it: a 64-bit
# one, whichever build of Velmora looks.
start_helper --as chrome.exe "name=chrome;class=Chrome_WidgetWin_1;title=Nouvel onglet - Google Chrome"
start_helper --as Code.exe "name=vscode;class=Chrome_WidgetWin_1;title=main.cpp - Visual Studio Code"
open_about_box
wait_for "the about box" 10 about_boxes_are 1

tray_double_click
wait_for "the busy icon" 5 icon_is other
# Mid-run: a second double-click and a right click must do nothing.
tray_double_click
tray_right_click
holds "no menu during the run" 1 menu_closed
wait_for "the normal icon after the run" 20 icon_is normal
# Had the tray clicks been kept for later, a second run would start now.
holds "no second run" 3 icon_is normal

# The stubborn window got the close sequence once per pass, ten passes.
[ "$(helper_events WM_CLOSE ie)" -eq 10 ] || fail "ie got $(helper_events WM_CLOSE ie) WM_CLOSE"
for name in opera dialog hidden chrome; do
  [ "$(helper_events destroyed "$name")" -eq 1 ] || fail "$name was not closed"
done
for name in untitled notes vscode; do
  [ "$(helper_events WM_CLOSE "$name")" -eq 0 ] || fail "$name was sent WM_CLOSE"
done
about_boxes_are 1 || fail "the sweep closed the about box"
main_forms_are 1 || fail "the sweep closed the main form"
velmora_running || fail "Velmora ended"
echo "PASS"
