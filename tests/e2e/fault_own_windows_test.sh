#!/usr/bin/env bash
# Velmora's own windows under 10-pass runs started while they are open: the
# about box and the process stay, and the keep-list window, then the
# configuration dialog, are unloaded by the run itself, never sent the
# sweep's WM_CANCELMODE or WM_CLOSE.
E2E_WINE_DEBUG=+message
source "$(dirname "$0")/lib.sh" "$@"

readonly ITEM_KEEP_LIST=0 ITEM_CONFIGURATION=1
readonly KEEP_LIST="A conserver... (F9)" CONFIGURATION=Configuration

# Velmora's windows as "<handle> <title>", one a line.
velmora_windows() { ctl list | awk -F'\t' '{ split($1, f, " ") } f[4] == "VelmoraForm" { print f[1], $2 }'; }
window_handle() { velmora_windows | awk -v t="$1" '{ h = $1; sub(/^[^ ]* /, "") } $0 == t { print h }'; }
window_gone() { [ -z "$(window_handle "$1")" ]; }
window_open() { ! window_gone "$1"; }

# Posted messages show in the trace as "dispatched"; the sweep's are the only
# WM_CANCELMODE and WM_CLOSE that anyone posts to Velmora's windows.
readonly TRACE_POSTED_CLOSE='\] WM_(CANCELMODE|CLOSE) dispatched'
posted_close_to() { grep -E "\($1\) .*$TRACE_POSTED_CLOSE" "$E2E_DIR/velmora.trace"; }

start_velmora
start_helper "name=ie;class=IEFrame;title=Accueil;ignore-close;rect=20,20,240,160"
open_about_box
wait_for "the about box" 10 about_boxes_are 1

runs=0
for item in "$ITEM_KEEP_LIST:$KEEP_LIST" "$ITEM_CONFIGURATION:$CONFIGURATION"; do
  caption=${item#*:}
  tray_right_click
  wait_for "the menu" 10 menu_open
  choose_menu_item "${item%%:*}"
  wait_for "$caption" 10 window_open "$caption"
  handles=$(velmora_windows | cut -d' ' -f1)
  form=$(window_handle "$caption")

  tray_double_click
  runs=$((runs + 1))
  wait_for "the busy icon" 5 icon_is other
  wait_for "the run to unload $caption" 5 window_gone "$caption"
  wait_for "the end of the run" 20 icon_is normal

  about_boxes_are 1 || fail "the run closed the about box"
  main_forms_are 1 || fail "the run closed the main form"
  grep -qE "\($form\) .*\] WM_DESTROY sent from self" "$E2E_DIR/velmora.trace" ||
    fail "$caption was not destroyed by Velmora itself"
  for handle in $handles; do
    ! posted_close_to "$handle" || fail "the sweep posted to Velmora's window $handle"
  done
done

# Both runs made their ten passes.
[ "$(helper_events WM_CLOSE ie)" -eq $((runs * 10)) ] ||
  fail "ie got $(helper_events WM_CLOSE ie) WM_CLOSE in $runs runs"
velmora_running || fail "Velmora ended"
echo "PASS"
