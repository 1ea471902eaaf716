#!/usr/bin/env bash
# The real binaries under Xvfb, over one running program:
#   1. a second `pellacor 'pellacor://collapse'` (and a reveal before it) hands
#      its URL to the running program and ends with status 0, and the running
#      one follows;
#   2. seven URLs in one delivery: five run, and the log says so;
#   3. with the desktop entry installed in a scratch XDG data folder (valid
#      to desktop-file-validate, its icons there), its collapse action
#      collapses and `xdg-open 'pellacor://reveal?all=1'` reveals everything;
#   4. a client that sends 10 MB, and one that never finishes its message, do
#      not keep the program from answering `pellacor-shortcuts run collapse`;
#   5. started again under a newer system version (paused for it),
#      `pellacor-shortcuts run resume` prints the problem's text and exits 1.
# What the desktop shows is read from the demo desktop's report (SIGUSR2).
# Run through the subreaper tool, the script finds any pellacor that a second
# one left behind among its own children, and looks at no other process.
#   instance-under-xvfb.sh PELLACOR PELLACOR_SHORTCUTS INSTALL_DESKTOP_ENTRY SUBREAPER
# Exits 77 (skipped) when xvfb-run, xwininfo, xdg-open or python3 is missing.
set -euo pipefail

hidden_app="com.example.fernlight"
self_app="app.trayvane.pellacor"

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  shortcuts=$3
  install=$4
  work=$5
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"
  # start NAME SCENARIO: on the scenario's desktop.
  start_on() { start "$1" --scenario "$2"; }
  stop() { stops_on_sigterm; }
  collapsed() { restricted && on_bar "$self_app" && ! on_bar "$hidden_app"; }
  revealed() { restricted && on_bar "$hidden_app"; }
  everything() { ! restricted && on_bar "$hidden_app"; }
  # hand_over URL...: a second pellacor with these URLs, which must end with 0
  # of itself (the time-out only keeps a hung one from holding the test).
  hand_over() {
    local status=0
    timeout 60 "$binary" "$@" >"$work/second.out" 2>&1 || status=$?
    [ "$status" -eq 0 ] || { cat "$work/second.out"; fail "the second pellacor ended with status $status"; }
  }

  start_on first "$work/scenario.json"
  waits_for "collapsed after start-up" collapsed

  # 1. Handed over.
  hand_over 'pellacor://reveal'
  waits_for "revealed by a handed-over URL" revealed
  hand_over 'pellacor://collapse'
  waits_for "collapsed by a handed-over URL" collapsed
  appears "] default: 外から（URL）：しまう"
  [ "$(own_processes "$binary")" = "$pid" ] || fail "more than the first pellacor runs: $(own_processes "$binary" | tr '\n' ' ')"

  # 2. Seven in one delivery.
  before=$(count "外から（URL）：しまう")
  hand_over pellacor://collapse pellacor://collapse pellacor://collapse pellacor://collapse pellacor://collapse \
    'pellacor://reveal?all=1' 'pellacor://reveal?all=1'
  appears "] default: 外から（URL）一度に 7 本届いたので、頭の 5 本だけ動かします"
  within "$patience" more_in_log "外から（URL）：しまう" $((before + 4)) || fail "fewer than five collapses from the seven"
  [ "$(count "外から（URL）：しまう")" -eq $((before + 5)) ] || fail "not five collapses from the seven"
  [ "$(count "外から（URL）：全部出す")" -eq 0 ] || fail "a URL beyond the fifth ran"

  # 3. The scheme through the desktop entry.
  export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
  unset XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION
  PATH="$(dirname "$binary"):$(dirname "$shortcuts"):$PATH"
  bash "$install" "$XDG_DATA_HOME" "$(dirname "$shortcuts")" >/dev/null
  entry="$XDG_DATA_HOME/applications/pellacor.desktop"
  entry_is_valid "$entry" "$XDG_DATA_HOME"
  grep -qx "MimeType=x-scheme-handler/pellacor;" "$entry" || fail "the desktop entry does not handle the scheme"
  grep -qx "Exec=pellacor %u" "$entry" || fail "the desktop entry does not hand the URL to pellacor"
  grep -qx "Actions=reveal;collapse;switchProfile;pause;resume;" "$entry" || fail "the entry lacks the five actions"
  grep -qx "Name=Pellacorを再開する" "$entry" || fail "the actions are not named by their phrases"
  # An action runs what its entry says: the collapse one, after a reveal.
  hand_over 'pellacor://reveal'
  waits_for "revealed before the desktop action" revealed
  action=$(sed -n '/^\[Desktop Action collapse\]/,/^$/s/^Exec=//p' "$entry")
  [ "$action" = "pellacor pellacor://collapse" ] || fail "the collapse action runs: $action"
  $action || fail "the collapse action failed"
  waits_for "collapsed by the desktop action" collapsed
  xdg-open 'pellacor://reveal?all=1' || fail "xdg-open did not find the handler"
  waits_for "everything shown through xdg-open" everything
  appears "] default: 外から（URL）：全部出す"

  # 4. Hostile clients, then a shortcut.
  socket="$XDG_RUNTIME_DIR/pellacor/instance.sock"
  [ "$(stat -c %a "$socket")" = 600 ] || fail "the socket is open to others: $(stat -c %a "$socket")"
  [ "$(stat -c %a "$(dirname "$socket")")" = 700 ] || fail "the socket's folder is open to others"
  python3 - "$socket" <<'EOF' || fail "the flood was not cut off"
import socket, sys
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(sys.argv[1])
chunk = b"x" * 65536
sent = 0
try:
    while sent < 10 * 1024 * 1024:
        s.sendall(chunk)
        sent += len(chunk)
except (BrokenPipeError, ConnectionResetError):
    sys.exit(0)
sys.exit(1)
EOF
  appears "バイトを超えたので、つなぎを切りました"
  python3 - "$socket" "$work/stalled.ready" <<'EOF' &
import socket, sys, time
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(sys.argv[1])
s.sendall(b'{"run": "rev')
open(sys.argv[2], "w").close()
time.sleep(6)
EOF
  stalled=$!
  stalled_ready() { [ -e "$work/stalled.ready" ]; }
  within "$patience" stalled_ready || fail "the stalled client never connected"
  timeout 60 "$shortcuts" run collapse || fail "pellacor-shortcuts run collapse did not succeed"
  waits_for "collapsed by the shortcut" collapsed
  appears "] default: 外から（ショートカット）：しまう"
  appears "秒のうちに届かなかったので、つなぎを切りました"
  kill "$stalled" 2>/dev/null || true
  wait "$stalled" 2>/dev/null || true
  stop

  # 5. Paused for a new system version: the shortcut's resume is refused.
  start_on newer "$work/newer.json"
  waits_for "everything shown while paused" everything
  status=0
  timeout 60 "$shortcuts" run resume >"$work/resume.out" 2>"$work/resume.err" || status=$?
  [ "$status" -eq 1 ] || fail "pellacor-shortcuts run resume ended with $status, not 1"
  expected="Pellacor は、macOS が新しくなったか、起動のときにキーを押していたか、メニューバーへの表示が切られていたので止まっています。画面で確かめてから、Pellacor のメニューの「再開」を押して再開してください。"
  [ "$(cat "$work/resume.err")" = "$expected" ] || fail "unexpected text: $(cat "$work/resume.err")"
  report
  everything || fail "the refused resume changed the state: $bar"
  stop
  exit 0
fi

binary=$1
shortcuts=$2
install=$3
subreaper=$4
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo xdg-open python3 ps
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
# A runtime folder of this test's own: the program's socket lies there.
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
  "system": {"osVersion": "$1"}
}
JSON
}
scenario 15.1 >"$work/scenario.json"
scenario 15.2 >"$work/newer.json"
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" "$subreaper" bash "$0" --inside "$binary" "$shortcuts" "$install" "$work"
echo "a second pellacor handed its URLs to the running one and ended with 0; seven URLs ran five; xdg-open reached it through the desktop entry; a flood and a stalled client did not stop it from answering a shortcut; and a shortcut's resume after a new system version was refused with its text and status 1"
