#!/usr/bin/env bash
# Drives the real pellacor binary under Xvfb, as a person would, over four
# launches that share one simulated computer (and its user defaults):
#   1. a first run: once started, the bar is collapsed (the hidden application's
#      item is gone); a click on the control item reveals it, a second one
#      collapses, the reveal hot key toggles, a Shift-click reveals everything
#      and, with the pointer away from the bar, it collapses again; SIGTERM
#      ends it with status 0, the restriction lifted and the hot keys
#      unregistered, and the system version is remembered as confirmed;
#   2. Shift held at launch: it starts paused, hiding nothing; the pause's
#      notice in the control item's menu opens the help at the item for when
#      nothing is hidden, and the menu's About entry opens About;
#   3. a plain restart under the same system version: hiding again at once;
#   4. a newer system version: paused again, for the changed version;
#   5. the below-bar switch set in the user defaults before launch, as the
#      README shows: a click on the control item opens the panel instead of
#      revealing, and a click on the hidden application's cell presses its
#      item; then the search hot key opens the search panel, and typing and
#      Return press the item found. Each press shows the item's menu on the
#      desktop after its input (how long after is printed; the presses' own
#      timings are held in virtual time by the unit tests), and the menu
#      stays, as a real one does, until Escape.
# What the desktop shows is read from the demo desktop's own report (SIGUSR2),
# which gives every item on the bar with where it is drawn on the screen, and
# the menus it draws.
#   pellacor-under-xvfb.sh PELLACOR
# With PELLACOR_XVFB_SHOTS=FOLDER (and ImageMagick's import) the screen is
# saved there as PNG files at the menus' moments, to look at.
# Exits 77 (skipped) when xvfb-run, xwininfo, xdotool or python3 is missing.
set -euo pipefail

hidden_app="com.example.fernlight"
self_app="app.trayvane.pellacor"

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  work=$3
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"
  collapsed() { restricted && on_bar "$self_app" && ! on_bar "$hidden_app"; }
  revealed() { restricted && on_bar "$hidden_app"; }
  everything() { ! restricted && on_bar "$hidden_app"; }

  # Ends the program with SIGTERM and checks its exit and what it left.
  stop() {
    stops_on_sigterm
    # The report printed once the program had terminated.
    [ "$(grep "^desktop restriction:" "$out" | tail -1)" = "desktop restriction: none" ] ||
      fail "the restriction outlived the program"
    ! grep -q "still in force" "$err" || fail "the program's termination left a restriction in force"
    [ "$(grep "^desktop hot keys:" "$out" | tail -1)" = "desktop hot keys: 0" ] ||
      fail "the hot keys outlived the program"
    [ "$(grep "app\] " "$err" | tail -1)" = "[$self_app:app] default: 終了します" ] ||
      fail "the last line of the program was not its farewell"
  }

  menu_shown() { [[ " ${menus#desktop menus:} " == *" $hidden_app@"* ]]; }
  # Since when the desktop draws the hidden application's menu (ms since the epoch).
  menu_since() { tr ' ' '\n' <<<"${menus#desktop menus:}" | grep "^$hidden_app@" | head -1 | cut -d: -f2; }
  # shot NAME: the screen as it is, when asked for.
  shot() {
    if [ -n "${PELLACOR_XVFB_SHOTS:-}" ] && command -v import >/dev/null; then
      mkdir -p "$PELLACOR_XVFB_SHOTS"
      import -window root "$PELLACOR_XVFB_SHOTS/$1.png"
    fi
  }
  # menu_follows WHAT SINCE: the hidden application's menu is drawn, and not
  # before SINCE (in milliseconds; the press's input was sent then), as the
  # desktop says when it began drawing it; it is still there well past any
  # closing of its own, and Escape closes it.
  menu_follows() {
    local what=$1 since=$2 shown_after
    waits_for "$what: the item's menu drawn" menu_shown
    shown_after=$(($(menu_since) - since))
    echo "$what: the item's menu was drawn ${shown_after} ms after the press's input"
    [ "$shown_after" -ge 0 ] || fail "$what: the item's menu was drawn before the press's input"
    revealed || fail "$what: the item was not revealed for its press: $bar / $restriction"
    shot "$what-menu"
    sleep 6
    report
    menu_shown || fail "$what: the menu closed by itself; last: $menus"
    shot "$what-menu-6s"
    xdotool key Escape
    waits_for "$what: the menu closed by Escape" menu_gone
  }
  menu_gone() { ! menu_shown; }
  # 1. A first run.
  start first --scenario "$work/scenario.json"
  waits_for "collapsed after start-up" collapsed
  logged "] default: 状態 starting → collapsed"
  # Both applications' items were read, the hidden one's among them.
  logged "] default: 起動の読み（1 回目）2 個・2 アプリ"
  logged "] info: macOS 15.1.0 を確かめたバージョンとして覚えました"
  control_at
  xdotool mousemove "$x" "$y" click 1
  waits_for "revealed by a click" revealed
  control_at
  xdotool mousemove "$x" "$y" click 1
  waits_for "collapsed by a second click" collapsed
  # The reveal hot key, ⌃⇧B, where Meta stands for Control; the desktop's
  # view takes keys once clicked.
  xdotool mousemove 300 400 click 1
  xdotool key super+shift+b
  waits_for "revealed by the hot key" revealed
  xdotool key super+shift+b
  waits_for "collapsed by the hot key" collapsed
  control_at
  xdotool mousemove "$x" "$y" keydown shift click 1 keyup shift
  waits_for "everything shown by a Shift-click" everything
  # Away from the bar for 10 s: collapsed again.
  xdotool mousemove 300 400
  waits_for "collapsed with the pointer away" collapsed
  logged "] default: 状態 revealedAll → collapsed"
  stop

  # 2. Shift held at launch. The menu's first entry is the notice of the
  # pause, which opens the help at the item for when nothing is hidden; the
  # menu's last entry but one (the disabled ones skipped) opens About.
  # The help's language follows the system's; this run's is Japanese.
  LANGUAGE=ja start shift --scenario "$work/shift.json"
  waits_for "everything shown while paused" everything
  logged "] default: 状態 starting → paused"
  control_at
  xdotool mousemove "$x" "$y" click 1
  control_point "trv-control-menu"
  xdotool key Down Return
  appears "] info: ヘルプの「何も隠れない」の項目を開きました"
  appears "] info: ヘルプの窓を開きました（作って・項目 "
  window_titled "Pellacor のヘルプ"
  control_at
  xdotool mousemove "$x" "$y" click 1
  control_point "trv-control-menu"
  xdotool key Up Up Return
  appears "] info: 「Pellacor について」の窓を開きました"
  window_titled "Pellacor について"
  stop

  # 3. The same system version again: not paused.
  start again --scenario "$work/scenario.json"
  waits_for "collapsed after a restart" collapsed
  stop

  # 4. A newer system version: paused for it.
  start newer --scenario "$work/newer.json"
  waits_for "everything shown while paused" everything
  logged "] info: macOS のバージョンが変わりました（15.1.0 → 15.2.0）。一時停止で起動します"
  logged "] default: 状態 starting → paused"
  stop

  # 5. The below-bar switch on, set with the README's command, on the
  # built-in desktop and a computer of its own.
  export XDG_STATE_HOME="$work/below-state"
  python3 - <<'EOF'
import os, pathlib, plistlib
home = pathlib.Path(os.environ.get("XDG_STATE_HOME") or pathlib.Path.home() / ".local/state")
path = home / "pellacor/desktop/home/Library/Preferences/app.trayvane.pellacor.plist"
path.parent.mkdir(parents=True, exist_ok=True)
values = plistlib.loads(path.read_bytes()) if path.exists() else {}
values["belowBarEnabled"] = True
path.write_bytes(plistlib.dumps(values))
EOF
  start below
  waits_for "collapsed after start-up" collapsed
  control_at
  xdotool mousemove "$x" "$y" click 1
  appears "] info: 下の段の窓を出しました（20 個"
  report
  collapsed || fail "the click revealed instead of opening the panel: $bar"
  # The panel hangs 4 points under the 24-point bar, its right edge on the
  # control item's (24 wide); eight columns make it 876 wide, and the hidden
  # application's first item is its first cell, about 108 by 80.
  shot below-bar-panel
  pressed_at=$(milliseconds)
  xdotool mousemove $((x + 12 - 876 + 58)) $((y + 12 + 4 + 40)) click 1
  menu_follows below-bar-cell "$pressed_at"
  logged "] info: 下の段から押します（$hidden_app・0 番目）"
  waits_for "collapsed after the press" collapsed
  xdotool mousemove 300 400 click 1
  xdotool key super+shift+f
  appears "] info: 検索の窓を出しました"
  xdotool type fern
  shot search-panel
  pressed_at=$(milliseconds)
  xdotool key Return
  menu_follows search "$pressed_at"
  logged "] info: 検索の窓から押します（$hidden_app・0 番目）"
  stop
  exit 0
fi

binary=$1
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo xdotool python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data"
# A runtime folder of this test's own, so the program's socket meets no other run's.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
scenario() {
  cat <<JSON
{
  "screens": [{"frame": {"x": 0, "y": 0, "width": 1280, "height": 800}, "menuBarHeight": 32}],
  "applications": [
    {"bundleIdentifier": "$self_app", "processIdentifier": 520, "localizedName": "Pellacor",
     "bundlePath": "/Applications/Pellacor.app", "activationPolicy": "accessory",
     "statusItems": [{"identifier": "trv-control", "description": "Pellacor", "width": 28}]},
    {"bundleIdentifier": "$hidden_app", "processIdentifier": 531, "localizedName": "Fernlight",
     "bundlePath": "/Applications/Fernlight.app",
     "icon": {"glyph": "F", "color": "#3f9b5b"},
     "statusItems": [{"identifier": "fernlight.status", "description": "Fernlight"}]}
  ],
  "system": {"osVersion": "$1"}$2
}
JSON
}
scenario 15.1 "" >"$work/scenario.json"
scenario 15.1 ', "launchModifiers": ["shift"]' >"$work/shift.json"
scenario 15.2 "" >"$work/newer.json"
# -noreset: by default the server resets when its last client leaves, and a
# program started in that moment finds no display; here one program ends
# and the next starts at once.
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" --inside "$binary" "$work"

desktop="$XDG_STATE_HOME/pellacor/desktop"
for path in "$desktop/home" "$desktop/disk/Applications"; do
  if [ ! -d "$path" ]; then
    echo "missing folder: $path"
    exit 1
  fi
done
if ! grep -q "AccessibilityTrusted" "$desktop/desktop.plist" 2>/dev/null; then
  echo "the grants were not saved in $desktop/desktop.plist"
  exit 1
fi
if ! grep -q "confirmedOSVersion" "$desktop/home/Library/Preferences/$self_app.plist" 2>/dev/null; then
  echo "the confirmed system version is not in the program's user defaults"
  exit 1
fi
echo "pellacor hid, revealed and collapsed on clicks and its hot key, paused at launch for Shift and for a new system version, and ended on SIGTERM with status 0, lifting the restriction and unregistering its hot keys; with the below-bar switch set before launch a click opened the panel and its cell pressed the hidden item, and the search hot key, typing and Return pressed it too, each press showing the item's menu until Escape"
