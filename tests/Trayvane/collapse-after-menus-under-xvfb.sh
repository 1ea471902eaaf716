#!/usr/bin/env bash
# A menu of the program, opened and dismissed, leaves the bar's own collapse
# working, under Xvfb on the built-in demo desktop from a fresh state folder.
# Three menus are opened and dismissed with Escape in turn:
#   1. the control item's menu (a right click on it), which lies wholly on
#      the simulated screen, though the item stands at the screen's right edge;
#   2. the user-switcher stand-in's menu (a click on it: the system's menu it
#      opens, or its own fallback menu);
#   3. a row's move menu on the settings window's sections page;
# and after each, a click on the control item reveals the hidden items and,
# with the pointer moved away from the bar, the bar collapses by itself: not
# within 8 s of the pointer leaving (it waits 10 s), and within 40 s.
# What the desktop shows, and where the program's controls are, is read from
# the demo desktop's report (SIGUSR2).
#   collapse-after-menus-under-xvfb.sh PELLACOR
# Exits 77 (skipped) when xvfb-run, xwininfo or xdotool is missing.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  work=$3
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"

  hidden_apps=()
  none_hidden_on_bar() {
    local app
    for app in "${hidden_apps[@]}"; do
      if on_bar "$app"; then return 1; fi
    done
  }
  collapsed() { restricted && on_bar "$self_app" && none_hidden_on_bar; }
  revealed() { restricted && ! none_hidden_on_bar; }
  # A menu of another application (the system's) is drawn on the desktop.
  desktop_menu_shown() { [ "$menus" != "desktop menus: none" ]; }
  # The stand-in's menu: the system's, or the program's own fallback.
  stand_in_menu_shown() { desktop_menu_shown || shown "trv-user-switcher-menu"; }
  stand_in_menu_gone() { ! stand_in_menu_shown; }
  move_menu_shown() { shown "move:shown"; }
  move_menu_gone() { ! move_menu_shown; }
  control_menu_gone() { ! shown "trv-control-menu"; }

  # geometry WINDOW: sets X, Y, WIDTH and HEIGHT to where the window lies on the screen.
  geometry() {
    local key value
    X="" Y="" WIDTH="" HEIGHT=""
    while IFS='=' read -r key value; do
      case "$key" in X) X=$value ;; Y) Y=$value ;; WIDTH) WIDTH=$value ;; HEIGHT) HEIGHT=$value ;; esac
    done < <(xdotool getwindowgeometry --shell "$1")
    [ -n "$X" ] && [ -n "$Y" ] && [ -n "$WIDTH" ] && [ -n "$HEIGHT" ] || fail "no geometry for window $1"
  }
  # The control item's menu lies wholly on the simulated screen, the desktop
  # view: the view's top left is its window's, and the report gives the
  # centres of the view and of the menu (within a pixel).
  control_menu_on_screen() {
    local window view_at menu_at centre_x centre_y right bottom id
    window=$(xdotool search --onlyvisible --name "^$title\$" | head -1)
    [ -n "$window" ] || fail "no window of the desktop"
    geometry "$window"
    view_at=$(tr ' ' '\n' <<<"${controls#desktop controls:}" | grep "^desktop-view@" | cut -d@ -f2)
    menu_at=$(tr ' ' '\n' <<<"${controls#desktop controls:}" | grep "^trv-control-menu@" | cut -d@ -f2)
    [ -n "$view_at" ] && [ -n "$menu_at" ] || fail "the report lacks the view or the menu: $controls"
    right=$((2 * ${view_at%,*} - X + 2))
    bottom=$((2 * ${view_at#*,} - Y + 2))
    centre_x=${menu_at%,*}
    centre_y=${menu_at#*,}
    for id in $(xdotool search --onlyvisible --class "^pellacor\$"); do
      [ "$id" != "$window" ] || continue
      geometry "$id"
      if [ "$centre_x" -ge "$X" ] && [ "$centre_x" -lt $((X + WIDTH)) ] && [ "$centre_y" -ge "$Y" ] &&
        [ "$centre_y" -lt $((Y + HEIGHT)) ]; then
        [ $((X + WIDTH)) -le "$right" ] && [ $((Y + HEIGHT)) -le "$bottom" ] ||
          fail "the control item's menu (${WIDTH}x$HEIGHT at $X,$Y) runs off the simulated screen, which ends at $right,$bottom"
        echo "the control item's menu (${WIDTH}x$HEIGHT at $X,$Y) lies on the simulated screen, which ends at $right,$bottom"
        return 0
      fi
    done
    fail "no window of the control item's menu at $menu_at"
  }

  # collapses_by_itself AFTER: a click on the control item reveals; with the
  # pointer away from the bar the bar collapses again by itself.
  collapses_by_itself() {
    local after=$1 left_at now
    waits_for "collapsed before the reveal, after $after" collapsed
    control_at
    xdotool mousemove "$x" "$y" click 1
    waits_for "revealed by a click, after $after" revealed
    xdotool mousemove 300 400
    left_at=$(milliseconds)
    while :; do
      report
      now=$(milliseconds)
      collapsed && break
      [ $((now - left_at)) -lt 40000 ] ||
        fail "still revealed 40 s after the pointer left the bar, after $after"
      sleep 0.5
    done
    [ $((now - left_at)) -ge 8000 ] ||
      fail "collapsed $((now - left_at)) ms after the pointer left the bar, after $after: too soon to be its waiting"
    echo "after $after: collapsed by itself $((now - left_at)) ms after the pointer left the bar"
  }

  # opens_menu OPENER ENTRY: a click on OPENER shows a menu holding ENTRY; a
  # click landing while the page still moves is made again (as `choose` does).
  opens_menu() {
    for _ in 1 2 3 4 5; do
      click "$1"
      within 5 reported shown "$2" && return 0
    done
    fail "clicking $1 never showed $2: $controls"
  }

  start first
  appears "] default: 状態 starting → collapsed"
  placed=$(grep -o "初めて見るアプリを「hidden」に入れました（[^）]*）" "$err" | head -1)
  [ -n "$placed" ] || fail "the program put no application in the hidden section"
  IFS=, read -r -a hidden_apps <<<"$(sed 's/.*（\(.*\)）/\1/' <<<"$placed")"
  waits_for "collapsed after start-up" collapsed

  # 1. The control item's menu, on the simulated screen, and Escape.
  control_at
  xdotool mousemove "$x" "$y" click 3
  control_point "trv-control-menu"
  control_menu_on_screen
  xdotool key Escape
  waits_for "the control item's menu closed by Escape" control_menu_gone
  collapses_by_itself "the control item's menu"

  # 2. The stand-in, the program's leftmost item while the layout folder is
  # not granted, and Escape.
  report
  stand_in=$(tr ' ' '\n' <<<"$bar" | grep "^$self_app@" | head -1 | cut -d@ -f2)
  [ -n "$stand_in" ] || fail "the stand-in is not on the bar: $bar"
  xdotool mousemove "${stand_in%,*}" "${stand_in#*,}" click 1
  waits_for "a menu from the stand-in" stand_in_menu_shown
  xdotool key Escape
  waits_for "the stand-in's menu closed by Escape" stand_in_menu_gone
  collapses_by_itself "the stand-in's menu"

  # 3. A row's move menu in the settings window (the control item's menu's
  # sixth entry from the end opens it on the sections page), and Escape.
  menu_entry 6
  appears "] info: 設定の窓を開きました（"
  window_titled "Pellacor の設定"
  control_point "sections:page"
  scroll_to "rowMenu:com.example.fernlight" "sections:page"
  opens_menu "rowMenu:com.example.fernlight" "move:shown"
  xdotool key Escape
  waits_for "the move menu closed by Escape" move_menu_gone
  collapses_by_itself "a row's move menu"

  quit_from_menu
  exit 0
fi

binary=$1
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo xdotool
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data"
# A runtime folder of this test's own, so the program's socket meets no other run's.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" --inside "$binary" "$work"
echo "after the control item's menu (on the simulated screen), the stand-in's menu and a row's move menu, each dismissed with Escape, a click revealed the bar and it collapsed by itself once the pointer had left it"
