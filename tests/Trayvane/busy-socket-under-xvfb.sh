#!/usr/bin/env bash
# The real pellacor under Xvfb, its socket busy: 20 idle connections of the
# same user are held for 3 s (more than the program serves at once) while a
# second `pellacor 'pellacor://pause'` is started. The second one is turned
# away and tries again; once the program has dropped the idle connections
# (after its 2 s read limit) it hands the URL over and ends with status 0, and
# the running program pauses. The turning away is logged once, not once per
# connection or per try.
#   busy-socket-under-xvfb.sh PELLACOR
# Exits 77 (skipped) when xvfb-run, xwininfo or python3 is missing.
set -euo pipefail

hidden_app="com.example.fernlight"

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  work=$3
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"
  collapsed() { restricted && on_bar "$self_app" && ! on_bar "$hidden_app"; }
  everything() { ! restricted && on_bar "$hidden_app"; }
  holder=""
  # Ends the idle holder too, when the test fails on the way.
  trap '[ -n "$holder" ] && kill "$holder" 2>/dev/null || true' EXIT

  start first --scenario "$work/scenario.json"
  waits_for "collapsed after start-up" collapsed

  socket="$XDG_RUNTIME_DIR/pellacor/instance.sock"
  python3 - "$socket" "$work/held" <<'EOF' &
import socket, sys, time
held = []
for _ in range(20):
    s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    s.connect(sys.argv[1])
    held.append(s)
open(sys.argv[2], "w").write("held\n")
time.sleep(3)
EOF
  holder=$!
  held_or_gone() { [ -s "$work/held" ] || ! kill -0 "$holder" 2>/dev/null; }
  within "$patience" held_or_gone || true
  [ -s "$work/held" ] || fail "the 20 idle connections were not made"
  appears "外からのつなぎを断りました（同時に 16 本まで）"

  status=0
  timeout 30 "$binary" 'pellacor://pause' >"$work/second.out" 2>&1 || status=$?
  [ "$status" -eq 0 ] || { cat "$work/second.out"; fail "the second pellacor ended with status $status"; }
  appears "秒のうちに届かなかったので、つなぎを切りました"
  appears "] default: 外から（URL）：一時停止"
  waits_for "paused by the handed-over URL" everything
  # 4 idle connections and every try of the second pellacor were turned away
  # in one burst.
  refusals=$(count "外からのつなぎを断りました")
  [ "$refusals" -le 2 ] || fail "the turning away was logged $refusals times"

  wait "$holder" || true
  holder=""
  stops_on_sigterm
  exit 0
fi

binary=$1
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
# A runtime folder of this test's own: the program's socket lies there.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
cat >"$work/scenario.json" <<JSON
{
  "screens": [{"frame": {"x": 0, "y": 0, "width": 1280, "height": 800}, "menuBarHeight": 32}],
  "applications": [
    {"bundleIdentifier": "app.trayvane.pellacor", "processIdentifier": 520, "localizedName": "Pellacor",
     "bundlePath": "/Applications/Pellacor.app", "activationPolicy": "accessory",
     "statusItems": [{"identifier": "trv-control", "description": "Pellacor", "width": 28}]},
    {"bundleIdentifier": "$hidden_app", "processIdentifier": 531, "localizedName": "Fernlight",
     "bundlePath": "/Applications/Fernlight.app",
     "icon": {"glyph": "F", "color": "#3f9b5b"},
     "statusItems": [{"identifier": "fernlight.status", "description": "Fernlight"}]}
  ]
}
JSON
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" --inside "$binary" "$work"
echo "with 20 idle connections held, a second pellacor was turned away, tried again, handed its URL over once they were dropped and ended with 0; the program paused, and the turning away was logged once"
