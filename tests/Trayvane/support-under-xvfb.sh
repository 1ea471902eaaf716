#!/usr/bin/env bash
# The support entries of the real program under Xvfb, chosen from the control
# item's menu as a person does:
#   1. "send feedback" shows the notice; its copy button (reached with Tab,
#      pressed with Space) puts the report on the display's clipboard, read
#      back by a Qt program; Return presses the mail button, which hands a
#      mailto URL to the desktop's URL handler: a recording stand-in for
#      xdg-open first on PATH; Escape closes the notice;
#   2. "check for updates", with the update host's connection sent to a closed
#      port of 127.0.0.1 (--update-connect-to), shows the notice of an
#      unknown answer, logged as the server not reached.
#   support-under-xvfb.sh PELLACOR CLIPBOARD_TEXT UPDATE_HOST
# Exits 77 (skipped) when xvfb-run, xwininfo, xdotool or python3 is missing.
set -euo pipefail

self_app="app.trayvane.pellacor"

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  clipboard=$3
  host=$4
  work=$5
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"
  unset XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION

  # The program's notices are the visible windows titled exactly "Pellacor".
  notice_shown() { window_titled Pellacor; }

  start program --scenario "$work/scenario.json" --update-connect-to "$host:443:127.0.0.1:$closed"
  appears "] default: 状態 starting → "

  # 1. Send feedback: the fourth entry from the end.
  menu_entry 4
  appears "] info: 「ご意見・不具合を送る」の窓を出します"
  notice_shown
  window_focused Pellacor
  # The three details' texts take the focus first, then the buttons: close, copy, mail.
  xdotool key Tab Tab Tab Tab space
  appears "] info: ご意見の送る内容をコピーしました"
  copied=$("$clipboard")
  [ "$(head -1 <<<"$copied")" = "宛先: feedback@pellacor.app" ] || fail "the clipboard holds: $copied"
  grep -q "^Pellacor: [0-9]" <<<"$copied" || fail "the copied text lacks its version line: $copied"
  grep -qx "macOS: 15.1.0" <<<"$copied" || fail "the copied text lacks the system version: $copied"
  xdotool key Return
  appears "] info: ご意見のメールの下書きを開きました（開けた）"
  handed_over() { [ -s "$work/xdg-open.log" ]; }
  within "$patience" handed_over || fail "nothing reached xdg-open"
  handed=$(head -1 "$work/xdg-open.log")
  [[ "$handed" == "mailto:feedback@pellacor.app?subject=Pellacor%20"* ]] || fail "xdg-open was handed: $handed"
  [[ "$handed" == *"&body="* ]] || fail "the mailto URL has no body: $handed"
  [ "$(tr -cd '?&' <<<"$handed")" = "?&" ] || fail "more separators than the two: $handed"
  xdotool key Escape
  windows_gone Pellacor

  # 2. Check for updates, against a closed port: the third entry from the end.
  menu_entry 3
  appears "] info: アップデートを確認します"
  appears "] info: アップデートの確認：届かない"
  notice_shown
  stops_on_sigterm
  exit 0
fi

binary=$1
clipboard=$2
host=$3
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo xdotool python3
if [ -z "$host" ]; then
  echo "skipped: this build has no update host"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
# The desktop's URL handler, as the program finds it: first on PATH, recording.
mkdir "$work/bin"
cat >"$work/bin/xdg-open" <<SCRIPT
#!/bin/sh
printf '%s\n' "\$1" >>"$work/xdg-open.log"
SCRIPT
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
# A port of 127.0.0.1 that nothing listens on: taken, then given back.
closed=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
export closed
cat >"$work/scenario.json" <<JSON
{
  "screens": [{"frame": {"x": 0, "y": 0, "width": 1280, "height": 800}, "menuBarHeight": 32}],
  "applications": [
    {"bundleIdentifier": "$self_app", "processIdentifier": 520, "localizedName": "Pellacor",
     "bundlePath": "/Applications/Pellacor.app", "activationPolicy": "accessory",
     "statusItems": [{"identifier": "trv-control", "description": "Pellacor", "width": 28}]}
  ],
  "system": {"osVersion": "15.1"}
}
JSON
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" --inside "$binary" "$clipboard" "$host" "$work"
echo "the feedback notice copied its report to the clipboard and handed a mailto URL to xdg-open, and the update check against a closed port showed the unknown notice"
