# Helpers of the process tests that drive the real pellacor under Xvfb, for a
# script to source inside its xvfb-run. The script sets, before calling them:
#   binary   the pellacor executable
#   work     a scratch folder of its own
# and may set extra_arguments (an array) for every start. They keep:
#   pid, out, err       the running program, its stdout (the desktop's
#                       reports) and its stderr (the log)
#   bar, restriction, menus, controls   the lines of the last report
#   x, y                the point the last control_at / control_point found
# shellcheck shell=bash

title="Pellacor — demo desktop"
self_app="app.trayvane.pellacor"
pid=""
out=""
err=""
# The test runner may have chosen the offscreen platform for the widget tests;
# this program must open real windows on the virtual display.
unset QT_QPA_PLATFORM

fail() {
  echo "$*"
  if [ -n "$err" ] && [ -f "$err" ]; then
    echo "--- its log:"
    cat "$err"
    echo "--- what the desktop reported last:"
    grep "^desktop " "$out" | tail -5 || true
  fi
  if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
  exit 1
}

# start NAME [ARGUMENT...]: starts the program and waits for its desktop's window.
start() {
  local name=$1
  shift
  out="$work/$name.out"
  err="$work/$name.err"
  "$binary" "$@" >"$out" 2>"$err" &
  pid=$!
  for _ in $(seq 1 200); do
    if xwininfo -root -tree 2>/dev/null | grep -q "$title"; then
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || fail "pellacor ended before its window appeared"
    sleep 0.1
  done
  fail "no window of pellacor appeared"
}

# Asks the desktop for a report (SIGUSR2) and waits for it.
report() {
  local before
  before=$(grep -c "^desktop hot keys:" "$out" || true)
  kill -USR2 "$pid"
  for _ in $(seq 1 500); do
    if [ "$(grep -c "^desktop hot keys:" "$out" || true)" -gt "$before" ]; then
      bar=$(grep "^desktop bar:" "$out" | tail -1)
      restriction=$(grep "^desktop restriction:" "$out" | tail -1)
      menus=$(grep "^desktop menus:" "$out" | tail -1)
      controls=$(grep "^desktop controls:" "$out" | tail -1)
      return 0
    fi
    sleep 0.01
  done
  fail "the desktop did not report"
}

on_bar() { [[ " ${bar#desktop bar:} " == *" $1@"* ]]; }
restricted() { [ "$restriction" != "desktop restriction: none" ]; }
shown() { [[ " ${controls#desktop controls:} " == *" $1@"* ]]; }

# waits_for DESCRIPTION CONDITION...: up to 15 s, a report before each try.
waits_for() {
  local what=$1
  shift
  for _ in $(seq 1 75); do
    report
    if "$@"; then
      return 0
    fi
    sleep 0.2
  done
  fail "never $what; last: $bar / $restriction / $controls"
}

# Where the control item is drawn now: the program's rightmost item, as the
# user-switcher stand-in stays left of it until the layout folder is granted;
# once it is (the script sets layout_folder_granted=1), the stand-in moves
# right of it and the control item is the program's leftmost item.
layout_folder_granted=0
control_at() {
  report
  local at pick=tail
  [ "$layout_folder_granted" = 1 ] && pick="head"
  at=$(tr ' ' '\n' <<<"$bar" | grep "^$self_app@" | "$pick" -1 | cut -d@ -f2)
  [ -n "$at" ] || fail "the control item is not on the bar: $bar"
  x=${at%,*}
  y=${at#*,}
}

# control_point NAME: where the named control can be clicked (the first one of
# that name the report gives), waiting up to 5 s for it to show.
control_point() {
  local at=""
  for _ in $(seq 1 50); do
    report
    at=$(tr ' ' '\n' <<<"${controls#desktop controls:}" | awk -v name="$1@" 'index($0, name) == 1 { print substr($0, length(name) + 1); exit }')
    [ -n "$at" ] && break
    sleep 0.1
  done
  [ -n "$at" ] || fail "no control named $1 is shown: $controls"
  x=${at%,*}
  y=${at#*,}
}

# scroll_to NAME AREA: scrolls the named area with the mouse wheel, up first
# and then down, until the named control shows in it.
scroll_to() {
  report
  shown "$1" && return 0
  control_point "$2"
  local button
  for button in 4 5; do
    for _ in $(seq 1 25); do
      xdotool mousemove "$x" "$y" click "$button"
      sleep 0.05
      report
      shown "$1" && return 0
    done
  done
  fail "scrolling $2 never showed $1"
}

# click NAME: a click on the named control.
click() {
  control_point "$1"
  xdotool mousemove "$x" "$y" click 1
}

# choose OPENER ENTRY: a click on OPENER opens a menu, and a click on ENTRY
# chooses in it. On a loaded machine the click can land while the page still
# moves under the pointer (a scroll or a rebuilt row not yet drawn), so a
# menu that does not show within 2 s is asked for again, up to three times.
choose() {
  for _ in 1 2 3; do
    click "$1"
    for _ in $(seq 1 20); do
      report
      if shown "$2"; then
        click "$2"
        return 0
      fi
      sleep 0.1
    done
    xdotool key Escape
    sleep 0.3
  done
  fail "clicking $1 never showed $2: $controls"
}

# menu_entry UPS: opens the control item's menu (a right click) and chooses
# the entry that many places above its end (the quit entry is the first one up).
menu_entry() { choose_in_control_menu Up "$1"; }

# menu_entry_from_top DOWNS: the same, counting from the menu's top.
menu_entry_from_top() { choose_in_control_menu Down "$1"; }

# choose_in_control_menu KEY TIMES: the control item's menu, once it shows.
choose_in_control_menu() {
  control_at
  xdotool mousemove "$x" "$y" click 3
  control_point "trv-control-menu"
  for _ in $(seq 1 "$2"); do xdotool key "$1"; done
  xdotool key Return
}

logged() { grep -qF -- "$1" "$err" || fail "the log lacks: $1"; }
count() { grep -cF -- "$1" "$err" || true; }
# appears TEXT: waits up to 10 s for the log to hold it.
appears() {
  for _ in $(seq 1 100); do
    grep -qF -- "$1" "$err" && return 0
    sleep 0.1
  done
  fail "the log never showed: $1"
}
# appears_again TEXT BEFORE: waits up to 10 s for the log to hold it more than BEFORE times.
appears_again() {
  for _ in $(seq 1 100); do
    [ "$(count "$1")" -gt "$2" ] && return 0
    sleep 0.1
  done
  fail "the log never showed once more: $1"
}

# window_titled TITLE: waits up to 5 s for a visible window of exactly that title.
window_titled() {
  for _ in $(seq 1 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "no window titled $1 appeared"
}
windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }

# quit_from_menu: the menu's quit entry; the program must end with status 0
# within 20 s, every restriction lifted and its hot keys unregistered.
quit_from_menu() {
  menu_entry 1
  local status=0
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "pellacor did not end after its quit entry"
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "pellacor exited with status $status after its quit entry"
  # The report printed once the program had terminated.
  [ "$(grep "^desktop restriction:" "$out" | tail -1)" = "desktop restriction: none" ] ||
    fail "the restriction outlived the program"
  ! grep -q "still in force" "$err" || fail "the program's termination left a restriction in force"
  [ "$(grep "^desktop hot keys:" "$out" | tail -1)" = "desktop hot keys: 0" ] ||
    fail "the hot keys outlived the program"
  [ "$(grep "app\] " "$err" | tail -1)" = "[$self_app:app] default: 終了します" ] ||
    fail "the last line of the program was not its farewell"
}

# entry_is_valid ENTRY DATA_DIR: the desktop entry passes desktop-file-validate,
# and every icon it names is a file of DATA_DIR's hicolor theme at 48 × 48 and
# 256 × 256 pixels.
entry_is_valid() {
  local entry=$1 data=$2 problems icon
  command -v desktop-file-validate >/dev/null || fail "desktop-file-validate is missing (scripts/setup installs it)"
  problems=$(desktop-file-validate "$entry" 2>&1) || fail "the desktop entry is not valid: $problems"
  [ -z "$problems" ] || fail "the desktop entry draws remarks: $problems"
  grep -q "^Icon=" "$entry" || fail "the desktop entry names no icon"
  while IFS= read -r icon; do
    for size in 48 256; do
      [ -s "$data/icons/hicolor/${size}x$size/apps/$icon.png" ] ||
        fail "the desktop entry names the icon $icon, which $data/icons/hicolor/${size}x$size/apps lacks"
    done
  done < <(sed -n 's/^Icon=//p' "$entry")
}
