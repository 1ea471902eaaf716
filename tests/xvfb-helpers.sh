# Helpers of the process tests that drive the real pellacor under Xvfb, for a
# script to source inside its xvfb-run (and before it, for `needs`). The
# script sets, before calling them:
#   binary   the pellacor executable
#   work     a scratch folder of its own
# and may set extra_arguments (an array) for every start. They keep:
#   pid, out, err       the running program, its stdout (the desktop's
#                       reports) and its stderr (the log)
#   bar, restriction, menus, controls   the lines of the last report
#   x, y                the point the last control_at / control_point found
# Every wait goes by the wall clock and on for up to `patience` seconds, far
# longer than any step takes on a machine whose cores are all busy; a
# condition that holds ends it at once. A test follows only the processes it
# started itself, by id (own_processes).
# shellcheck shell=bash

title="Pellacor — demo desktop"
self_app="app.trayvane.pellacor"
pid=""
out=""
err=""
# The test runner may have chosen the offscreen platform for the widget tests;
# this program must open real windows on the virtual display.
unset QT_QPA_PLATFORM
patience=60

# needs TOOL...: ends the test as skipped (exit 77) when a tool is missing.
needs() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is missing; scripts/setup installs it"; exit 77; }
  done
}

# within SECONDS CONDITION...: true as soon as the condition holds, tried
# about ten times a second for up to that many seconds; false when it never did.
within() {
  local limit=$(($1 * 1000000000)) since
  shift
  since=$(date +%s%N)
  until "$@"; do
    [ $(($(date +%s%N) - since)) -lt "$limit" ] || return 1
    sleep 0.1
  done
}

# milliseconds: the wall clock, for lines that say how long a step took.
milliseconds() { echo $(($(date +%s%N) / 1000000)); }

# own_processes EXECUTABLE: the ids of this script's child processes that run
# the executable, one a line. A script started through the subreaper tool
# also finds there what a child started and left behind (a relaunched
# program); a process that has ended, reaped or not, is not among them.
own_processes() {
  local target child exe
  target=$(readlink -f "$1")
  for child in $(ps -o pid= --ppid "$$"); do
    exe=$(readlink "/proc/$child/exe" 2>/dev/null) || continue
    [ "$exe" = "$target" ] && echo "$child"
  done
  return 0
}

fail() {
  echo "$*"
  if [ -n "$err" ] && [ -f "$err" ]; then
    echo "--- its log:"
    cat "$err"
    echo "--- what the desktop reported last:"
    grep "^desktop " "$out" | tail -5 || true
  fi
  # The program, and any other of this script's own that a relaunch left.
  local left
  for left in $pid $(own_processes "$binary"); do kill -KILL "$left" 2>/dev/null || true; done
  exit 1
}

# stops_on_sigterm [CASE]: ends the program with SIGTERM and fails unless it
# exits with status 0 (CASE, when given, names the case in the failure).
stops_on_sigterm() {
  local status=0
  kill -TERM "$pid"
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "${1:+$1: }pellacor exited with status $status after SIGTERM"
}

# has_ended PID: the process is gone, or has ended and waits to be reaped.
has_ended() {
  local stat
  stat=$(ps -o stat= -p "$1" 2>/dev/null | tr -d ' ' || true)
  [ -z "$stat" ] || [[ "$stat" == Z* ]]
}

# start NAME [ARGUMENT...]: starts the program and waits for its desktop's window.
start() {
  local name=$1
  shift
  out="$work/$name.out"
  err="$work/$name.err"
  "$binary" "$@" >"$out" 2>"$err" &
  pid=$!
  within "$patience" window_or_end || fail "no window of pellacor appeared"
  kill -0 "$pid" 2>/dev/null || fail "pellacor ended before its window appeared"
}
window_or_end() { desktop_window_shown || ! kill -0 "$pid" 2>/dev/null; }
desktop_window_shown() { xwininfo -root -tree 2>/dev/null | grep -q "$title"; }

# Asks the desktop for a report (SIGUSR2) and waits for it.
report() {
  local before since
  before=$(grep -c "^desktop hot keys:" "$out" || true)
  kill -USR2 "$pid" 2>/dev/null || fail "pellacor no longer runs"
  since=$(date +%s)
  until [ "$(grep -c "^desktop hot keys:" "$out" || true)" -gt "$before" ]; do
    [ $(($(date +%s) - since)) -lt "$patience" ] || fail "the desktop did not report"
    sleep 0.01
  done
  bar=$(grep "^desktop bar:" "$out" | tail -1)
  restriction=$(grep "^desktop restriction:" "$out" | tail -1)
  menus=$(grep "^desktop menus:" "$out" | tail -1)
  controls=$(grep "^desktop controls:" "$out" | tail -1)
}

on_bar() { [[ " ${bar#desktop bar:} " == *" $1@"* ]]; }
restricted() { [ "$restriction" != "desktop restriction: none" ]; }
shown() { [[ " ${controls#desktop controls:} " == *" $1@"* ]]; }

# waits_for DESCRIPTION CONDITION...: a report before each try.
waits_for() {
  local what=$1
  shift
  within "$patience" reported "$@" || fail "never $what; last: $bar / $restriction / $controls"
}
# reported CONDITION...: asks for a report, then tries the condition.
reported() {
  report
  "$@"
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
# that name the report gives), waiting for it to show.
control_point() {
  within "$patience" reported shown "$1" || fail "no control named $1 is shown: $controls"
  local at
  at=$(tr ' ' '\n' <<<"${controls#desktop controls:}" | awk -v name="$1@" 'index($0, name) == 1 { print substr($0, length(name) + 1); exit }')
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
# menu that does not show within 5 s is closed (if it came after all) and
# asked for again, up to five times.
choose() {
  for _ in 1 2 3 4 5; do
    click "$1"
    if within 5 reported shown "$2"; then
      click "$2"
      return 0
    fi
    xdotool key Escape
    within "$patience" reported gone "$2" || fail "Escape did not close the menu of $1: $controls"
  done
  fail "clicking $1 never showed $2: $controls"
}
gone() { ! shown "$1"; }

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
in_log() { grep -qF -- "$1" "$err"; }
more_in_log() { [ "$(count "$1")" -gt "$2" ]; }
# appears TEXT: waits for the log to hold it.
appears() { within "$patience" in_log "$1" || fail "the log never showed: $1"; }
# appears_again TEXT BEFORE: waits for the log to hold it more than BEFORE times.
appears_again() { within "$patience" more_in_log "$1" "$2" || fail "the log never showed once more: $1"; }

# window_titled TITLE: waits for a visible window of exactly that title.
window_titled() { within "$patience" window_shown "$1" || fail "no window titled $1 appeared"; }
window_shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }
windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | wc -l; }
# windows_gone TITLE: waits until no visible window has exactly that title.
windows_gone() { within "$patience" no_window_titled "$1" || fail "a window titled $1 is still open"; }
no_window_titled() { [ "$(windows_titled "$1")" -eq 0 ]; }
# window_focused TITLE: waits for the keyboard focus to be in the window of
# exactly that title, where keys typed from now on go.
window_focused() { within "$patience" focus_in "$1" || fail "the window titled $1 never took the keyboard focus"; }
focus_in() { [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "$1" ]; }

# quit_from_menu: the menu's quit entry; the program must end with status 0,
# every restriction lifted and its hot keys unregistered.
quit_from_menu() {
  menu_entry 1
  local status=0
  within "$patience" has_ended "$pid" || fail "pellacor did not end after its quit entry"
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
