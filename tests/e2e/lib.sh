# Sourced by the end-to-end tests: Velmora.exe, winhelper.exe and
# desktopctl.exe in a Wine virtual desktop of their own, driven with xdotool
# as a user would drive them. Expects the Wine prefix and X display that
# scripts/wine-env sets up; the first argument is the build directory.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env"

E2E_BIN=$(cd "$1" && pwd)
# The notification area at the right end of the virtual desktop's taskbar,
# where the only icon sits.
readonly E2E_ICON_X=1013 E2E_ICON_Y=757
# The icon's 16 x 16 cell only: the icon's tooltip shows just above it.
readonly E2E_TRAY_CROP=16x16+1006+750

if [ -z "${DISPLAY:-}" ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "no Wine environment: run under scripts/test" >&2
  exit 77  # skipped
fi

# Fails the test if the command fails at any time within `seconds`.
holds() {
  local what=$1 seconds=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  while [ "$SECONDS" -lt "$deadline" ]; do
    "$@" || fail "no longer true: $what"
    sleep 0.2
  done
}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Repeats a command every 0.2 s until it succeeds; fails the test after
# `seconds`, saying what ran in the prefix then.
wait_for() {
  local what=$1 seconds=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || { report_windows_programs; fail "timed out waiting for $what"; }
    sleep 0.2
  done
}

windows_path() {
  local path=${1//\//\\}
  echo "Z:$path"
}

# Starts a Windows program on the test's virtual desktop.
on_desktop() {
  wine explorer "/desktop=$E2E_DESKTOP,1024x768" "$@" > /dev/null 2> "${E2E_WINE_LOG:-/dev/null}" &
}

# Runs a desktopctl command on the desktop and prints its result; a long one
# sets E2E_CTL_SECONDS.
ctl() {
  local out="$E2E_DIR/ctl.$RANDOM.txt"
  on_desktop "$E2E_BIN/desktopctl.exe" --out "$(windows_path "$out")" "$@"
  wait_for "desktopctl $*" "${E2E_CTL_SECONDS:-20}" test -f "$out"
  cat "$out"
  rm -f "$out"
}

# Top-level windows: "<handle> <visible> <pid> <class>\t<title>".
count_windows() {
  local visible=$1 class=$2 title=$3
  ctl list | awk -F'\t' -v v="$visible" -v c="$class" -v t="$title" \
    '{ split($1, f, " ") } (v == "" || f[2] == v) && f[4] == c && (t == "" || $2 == t) { n++ }
     END { print n + 0 }'
}
menu_open() { [ "$(count_windows 1 '#32768' '')" -gt 0 ]; }
menu_closed() { ! menu_open; }
# Counted hidden or not: a hidden second box would be a fault too.
about_boxes_are() { [ "$(count_windows '' VelmoraForm "$E2E_ABOUT_CAPTION")" -eq "$1" ]; }
main_forms_are() { [ "$(count_windows '' VelmoraForm Form1)" -eq "$1" ]; }
readonly E2E_ABOUT_CAPTION="Velmora (V 1.0) - Torvane (18/03/2001)"

# Linux processes in this Wine prefix whose command line matches the pattern.
prefix_pids() {
  local pid
  for pid in $(pgrep -f "$1" || true); do
    cat "/proc/$pid/environ" 2> /dev/null | tr '\0' '\n' | grep -qx "WINEPREFIX=$WINEPREFIX" &&
      echo "$pid"
  done
  return 0
}
velmora_pids() { prefix_pids '^[^ ]*Velmora\.exe( |$)'; }
# The Windows programs of this prefix, with their state and processor time,
# for the report of a test that timed out.
report_windows_programs() {
  local pid
  echo "Windows programs running:" >&2
  for pid in $(prefix_pids '\.exe'); do
    ps -o pid=,stat=,time=,etime=,args= -p "$pid" | cut -c1-160 >&2 || true
  done
}
velmora_running() { [ -n "$(velmora_pids)" ]; }
velmora_gone() { ! velmora_running; }

# The tray icon: "none" when the notification area shows nothing there (one
# colour), "normal" when it shows the picture recorded at start-up, "other"
# for any other picture (the busy one during a run).
tray_shot() { import -window root -crop "$E2E_TRAY_CROP" "$1"; }
icon_state() {
  local shot="$E2E_DIR/tray.png"
  tray_shot "$shot"
  if [ "$(identify -format %k "$shot")" -le 1 ]; then
    echo none
  elif compare -metric AE "$shot" "$E2E_DIR/normal.png" null: 2> /dev/null; then
    echo normal
  else
    echo other
  fi
}
icon_is() { [ "$(icon_state)" = "$1" ]; }

# The notification area left of our icon's cell, where a second icon would
# show: one colour while it holds none.
readonly E2E_TRAY_REST_CROP=400x16+606+750
one_icon_is() {
  import -window root -crop "$E2E_TRAY_REST_CROP" "$E2E_DIR/tray_rest.png"
  [ "$(identify -format %k "$E2E_DIR/tray_rest.png")" -le 1 ] && icon_is "$1"
}

tray_double_click() { xdotool mousemove "$E2E_ICON_X" "$E2E_ICON_Y" click --repeat 2 --delay 80 1; }
tray_left_click() { xdotool mousemove "$E2E_ICON_X" "$E2E_ICON_Y" click 1; }
tray_right_click() { xdotool mousemove "$E2E_ICON_X" "$E2E_ICON_Y" click 3; }

# Clicks a menu item of the open menu, as the user would. Under Wine the
# keyboard may stay with the taskbar after a click on it, so the mouse is the
# reliable way. The items' middles, in hundredths of the menu's height from
# its top: the two separators are thinner than the items.
readonly E2E_ITEM_MIDDLES=(13 30 59 87)
readonly E2E_ITEM_ABOUT=2 E2E_ITEM_EXIT=3
choose_menu_item() {
  local left top right bottom
  read -r left top right bottom < <(ctl rect '#32768' '*')
  [ -n "${bottom:-}" ] || fail "no menu open"
  xdotool mousemove $((left + 25)) $((top + (bottom - top) * E2E_ITEM_MIDDLES[$1] / 100)) click 1
}

open_about_box() {
  tray_right_click
  wait_for "the menu" 10 menu_open
  choose_menu_item "$E2E_ITEM_ABOUT"
}

# Clicks the close box of the visible window with this title.
click_close_box() {
  local left top right bottom
  read -r left top right bottom < <(ctl rect '*' "$1")
  [ -n "${bottom:-}" ] || fail "no window titled $1"
  xdotool mousemove $((right - 12)) $((top + 11)) click 1
}

# Starts Velmora on a fresh virtual desktop and records its tray picture.
start_velmora() {
  # Whatever earlier tests left running in the prefix goes with its server:
  # a helper, a desktop or a settings change of theirs must not decide this
  # test.
  wine_session_end
  E2E_DIR=$(mktemp -d /tmp/velmora-e2e.XXXXXX)
  # A desktop of its own, never a name that an earlier test's program could
  # still be joining.
  E2E_DESKTOP="Velmora-e2e-$RANDOM$RANDOM"
  trap stop_all EXIT
  # A test that sets E2E_WINE_DEBUG (channels in WINEDEBUG's syntax) gets
  # in $E2E_DIR/velmora.trace what Wine logs on them for Velmora and its
  # desktop: +message, for one, logs every message that reaches their windows.
  WINEDEBUG=${E2E_WINE_DEBUG:--all} E2E_WINE_LOG="$E2E_DIR/velmora.trace" \
    on_desktop "$E2E_BIN/Velmora.exe"
  wait_for "Velmora's main form" 30 main_forms_are 1
  # Away from the icon, so that the recorded picture is the icon alone.
  xdotool mousemove 512 384
  wait_for "the tray icon" 15 record_normal_icon
}
record_normal_icon() {
  tray_shot "$E2E_DIR/normal.png" && [ "$(identify -format %k "$E2E_DIR/normal.png")" -gt 1 ]
}

# Opens winhelper's windows, one description per line of the file it reads.
# With "--as chrome.exe" first, a copy of winhelper under that name opens
# them and logs to a file of its own, so that rules that look at the program
# can be shown; window names must then differ from one helper to another.
start_helper() {
  local program="$E2E_BIN/winhelper.exe" log="$E2E_DIR/helper.log"
  if [ "$1" = --as ]; then
    program="$E2E_DIR/$2" log="$E2E_DIR/helper-$2.log"
    cp "$E2E_BIN/winhelper.exe" "$program"
    shift 2
  else
    E2E_LOG=$log
  fi
  printf '%s\n' "$@" > "$log.windows"
  on_desktop "$program" --log "$(windows_path "$log")" \
    --windows "$(windows_path "$log.windows")" \
    --quit-file "$(windows_path "$E2E_DIR/helper.quit")" --lifetime 120000
  wait_for "the helper's windows" 20 grep -qs '^[0-9]* ready' "$log"
}
# How many times any helper logged this event for the window of this name.
helper_events() {
  cat "$E2E_DIR"/helper*.log | awk -v e="$1" -v n="$2" '$2 == e && $3 == n { c++ } END { print c + 0 }'
}
# Whether that count has reached the number given.
helper_events_reach() { [ "$(helper_events "$1" "$2")" -ge "$3" ]; }

# Leaves nothing behind: Velmora ends as at a log-off, and whatever else we
# started in the prefix ends with its server.
stop_all() {
  local status=$?
  set +e
  velmora_running && ctl end-session > /dev/null
  wine_session_end
  rm -rf "$E2E_DIR"
  # A caller that set up the Wine environment itself takes it down here.
  [ -z "${E2E_ON_EXIT:-}" ] || "$E2E_ON_EXIT"
  exit "$status"
}
