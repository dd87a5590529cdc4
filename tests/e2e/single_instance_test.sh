#!/usr/bin/env bash
# One Velmora per session, and its two options: a second start hands over and
# ends, /balayer sweeps once (not again during the run), /quitter ends it and
# returns once it has ended, an unknown option shows the usage box and starts
# nothing, /balayer with none running returns at once and leaves a resident
# one that sweeps, /quitter then a start at once always leaves one Velmora,
# and while an about box keeps a quitting Velmora alive /quitter says so, a
# second time too, and a new start is the resident one; the resident that
# /balayer starts leaves its caller's folder free.
source "$(dirname "$0")/lib.sh" "$@"

# Starts Velmora.exe with the argument and waits for it to end:
# "exit <code> after <ms> started <ms>".
velmora_exe() { ctl run "$(windows_path "$E2E_BIN/Velmora.exe")" "$@"; }
# Fails unless that start ended with that exit code, and soon: a start that
# waited for a busy Velmora would take the rest of its run. Loose, for a busy
# machine; the benchmark times it.
expect_exit() {
  local code=$1 result ms
  shift
  result=$(velmora_exe "$@")
  read -r _ _ _ ms _ <<< "$result"
  [[ $result == "exit $code "* ]] && [ "$ms" -le 3000 ] || fail "Velmora.exe $* gave: $result"
}
processes_are() { [ "$(velmora_pids | wc -l)" -eq "$1" ]; }
# Wine keeps a process's Linux folder where its Windows current folder is.
resident_folder() { readlink "/proc/$(velmora_pids)/cwd"; }
closes_of_ie() { helper_events WM_CLOSE ie; }

start_velmora
start_helper "name=ie;class=IEFrame;title=Accueil;ignore-close;rect=20,20,240,160"

expect_exit 0
holds "one process and one icon after a second start" 1 eval 'processes_are 1 && one_icon_is normal'

# The usage box is a process of its own until it is answered.
usage_box() { [ "$(count_windows 1 '#32770' Velmora)" -eq 1 ]; }
usage_out="$E2E_DIR/usage.txt"
on_desktop "$E2E_BIN/desktopctl.exe" --out "$(windows_path "$usage_out")" run \
  "$(windows_path "$E2E_BIN/Velmora.exe")" /x
wait_for "the usage box" 15 usage_box
main_forms_are 1 || fail "an unknown option started a main form"
read -r _ _ left top right bottom _ < <(ctl controls '#32770' Velmora | grep '^Button ')
xdotool mousemove $(((left + right) / 2)) $(((top + bottom) / 2)) click 1
wait_for "the usage start to end" 15 test -s "$usage_out"
[[ $(cat "$usage_out") == "exit 2 "* ]] || fail "an unknown option gave: $(cat "$usage_out")"
processes_are 1 && one_icon_is normal || fail "an unknown option changed the resident Velmora"
[ "$(closes_of_ie)" -eq 0 ] || fail "a sweep before any request"

expect_exit 0 /balayer
wait_for "the sweep" 5 helper_events_reach WM_CLOSE ie 1
wait_for "the busy icon" 5 icon_is other
expect_exit 0 -BALAYER
processes_are 1 || fail "a second Velmora during the run"
wait_for "the normal icon after the run" 20 icon_is normal
holds "no second run" 2 icon_is normal
[ "$(closes_of_ie)" -eq 10 ] || fail "ten passes expected, ie got $(closes_of_ie) WM_CLOSE"

# The command ends with the resident process; its Linux process may take a
# moment longer to leave.
quit_result=$(velmora_exe /quitter)
[[ $quit_result == "exit 0 "* ]] || fail "/quitter gave: $quit_result"
wait_for "Velmora to end" 2 velmora_gone
icon_is none || fail "the icon outlived Velmora"
echo "/quitter until the resident ended: $quit_result"
expect_exit 0 /quitter
velmora_gone || fail "/quitter with none running started one"

# No Velmora: /balayer returns at once and leaves a resident one, which
# sweeps at once and stays, and not in the folder of the script that ran it.
caller="$E2E_DIR/caller"
mkdir "$caller"
sweep_result=$(ctl run-in "$(windows_path "$caller")" "$(windows_path "$E2E_BIN/Velmora.exe")" /balayer)
read -r _ code _ returned _ started <<< "$sweep_result"
[ "$code" = 0 ] && [ "$returned" -le 3000 ] || fail "cold /balayer gave: $sweep_result"
wait_for "a sweep by the new Velmora" 15 helper_events_reach WM_CLOSE ie 11
first_close=$(awk -v t="$started" '$2 == "WM_CLOSE" && $1 >= t { print $1; exit }' "$E2E_LOG")
echo "cold /balayer: returned after $returned ms, first WM_CLOSE after $((first_close - started)) ms"
wait_for "the new Velmora's icon" 15 icon_is other
main_forms_are 1 && processes_are 1 || fail "/balayer did not leave one resident Velmora"
removed=$(ctl remove-folder "$(windows_path "$caller")")
[ "$removed" = removed ] || fail "the caller's folder of /balayer, while its resident runs: $removed"
[ "$(resident_folder)" = "$E2E_BIN" ] || fail "the resident runs in $(resident_folder)"
echo "the resident started by /balayer runs in: $(resident_folder)"

# As a script that updates Velmora does: each /quitter ends with the
# resident, and the start right after it is the one resident Velmora.
rounds=$(E2E_CTL_SECONDS=150 ctl quit-then-start "$(windows_path "$E2E_BIN/Velmora.exe")" 20)
echo "/quitter then a start at once: $rounds"
[[ $rounds == "rounds 20 quit-exit-0 20 "*" icons 20" ]] || fail "quit then start: $rounds"
wait_for "the run to end" 20 icon_is normal
processes_are 1 && main_forms_are 1 && one_icon_is normal ||
  fail "quit then start left $(velmora_pids | wc -l) Velmora processes"

# An open about box keeps a quitting Velmora's process: /quitter says it is
# still there, yet the session is free for a new start at once.
open_about_box
wait_for "the about box" 10 about_boxes_are 1
about_result=$(velmora_exe /quitter)
read -r _ code _ returned _ <<< "$about_result"
[ "$code" = 1 ] && [ "$returned" -ge 4900 ] || fail "/quitter with the about box open gave: $about_result"
icon_is none || fail "the icon outlived the quit"
# The session is free now, but the process is not.
again_result=$(velmora_exe /quitter)
read -r _ code _ returned _ <<< "$again_result"
[ "$code" = 1 ] && [ "$returned" -ge 4900 ] || fail "a second /quitter with the about box open gave: $again_result"
echo "a second /quitter with the about box open: $again_result"
on_desktop "$E2E_BIN/Velmora.exe"
wait_for "the new Velmora's icon" 15 icon_is normal
processes_are 2 && main_forms_are 1 || fail "the new start is not the one resident Velmora"
echo "PASS"
