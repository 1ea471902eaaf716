#!/usr/bin/env bash
# Starts the real pellacor binary under Xvfb, asks it to relaunch (SIGUSR1, the
# demo stand-in's way to press the permission guide's relaunch button from
# outside), and checks that the old process ended normally (status 0) and that
# exactly one pellacor runs afterwards: a new process, started with the same
# arguments, showing its window. Then ends that one with SIGTERM.
#   relaunch-under-xvfb.sh PELLACOR
# Exits 77 (skipped) when xvfb-run, xwininfo or pgrep is missing.
set -euo pipefail

title="Pellacor — demo desktop"

# Waits up to 20 s for a window with the demo desktop's title.
wait_for_window() {
  for _ in $(seq 1 200); do
    if xwininfo -root -tree 2>/dev/null | grep -q "$title"; then
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# Whether a process is gone or only waits to be reaped.
ended() {
  local stat
  stat=$(ps -o stat= -p "$1" 2>/dev/null | tr -d ' ' || true)
  [ -z "$stat" ] || [[ "$stat" == Z* ]]
}

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  scenario=$3
  log="$(dirname "$scenario")/pellacor.log"
  # Every process of this run has exactly this command line, and no other does.
  command_line="$binary --scenario $scenario"
  running() { pgrep -f -x -- "$command_line" || true; }
  # The widget tests may have chosen the offscreen platform; this program must
  # open a real window on the virtual display.
  unset QT_QPA_PLATFORM
  "$binary" --scenario "$scenario" >"$log" 2>&1 &
  old=$!
  if ! wait_for_window; then
    echo "no window of pellacor appeared:"
    cat "$log"
    kill -KILL "$old" 2>/dev/null || true
    exit 1
  fi
  kill -USR1 "$old"
  for _ in $(seq 1 200); do
    if ended "$old"; then
      break
    fi
    sleep 0.1
  done
  if ! ended "$old"; then
    echo "the old pellacor did not end after the relaunch:"
    cat "$log"
    kill -KILL "$old" 2>/dev/null || true
    for pid in $(running); do kill -KILL "$pid" 2>/dev/null || true; done
    exit 1
  fi
  status=0
  wait "$old" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "the relaunched pellacor exited with status $status:"
    cat "$log"
    exit 1
  fi
  new=""
  for _ in $(seq 1 200); do
    new=$(running)
    if [ -n "$new" ]; then
      break
    fi
    sleep 0.1
  done
  if [ -z "$new" ]; then
    echo "no new pellacor was started:"
    cat "$log"
    exit 1
  fi
  stop_new() { for pid in $(running); do kill -KILL "$pid" 2>/dev/null || true; done; }
  if ! wait_for_window; then
    echo "the new pellacor showed no window:"
    cat "$log"
    stop_new
    exit 1
  fi
  # Give a stray second instance the time to show up before counting.
  sleep 1
  count=$(running | wc -l)
  if [ "$count" -ne 1 ] || [ "$(running)" = "$old" ]; then
    echo "expected exactly one new pellacor after the relaunch, found $count: $(running | tr '\n' ' ')"
    stop_new
    exit 1
  fi
  new=$(running)
  kill -TERM "$new"
  for _ in $(seq 1 200); do
    if ended "$new"; then
      exit 0
    fi
    sleep 0.1
  done
  echo "the new pellacor did not end on SIGTERM"
  kill -KILL "$new" 2>/dev/null || true
  exit 1
fi

binary=$1
if ! command -v xvfb-run >/dev/null || ! command -v xwininfo >/dev/null || ! command -v pgrep >/dev/null; then
  echo "skipped: xvfb-run, xwininfo (x11-utils) or pgrep (procps) is missing; scripts/setup installs them"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
# A runtime folder of this test's own, so the program's socket meets no other run's.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
cat >"$work/scenario.json" <<'JSON'
{
  "screens": [{"frame": {"x": 0, "y": 0, "width": 1280, "height": 800}, "menuBarHeight": 32}],
  "applications": [
    {"bundleIdentifier": "app.trayvane.pellacor", "processIdentifier": 520, "localizedName": "Pellacor",
     "bundlePath": "/Applications/Pellacor.app", "activationPolicy": "accessory",
     "statusItems": [{"identifier": "trv-control", "description": "Pellacor", "width": 28}]}
  ],
  "accessibilityTrusted": false
}
JSON
# -noreset: by default the server resets when its last client leaves, and a
# program started in that moment finds no display; here one program ends
# and the next starts at once.
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" --inside "$binary" "$work/scenario.json"
echo "pellacor relaunched: the old process ended with status 0, exactly one new one ran with the same arguments"
