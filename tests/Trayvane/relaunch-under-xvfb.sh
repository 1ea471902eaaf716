#!/usr/bin/env bash
# Starts the real pellacor binary under Xvfb, asks it to relaunch (SIGUSR1, the
# demo stand-in's way to press the permission guide's relaunch button from
# outside), and checks that the old process ended normally (status 0) and that
# exactly one pellacor runs afterwards: a new process, started with the same
# arguments, showing its window. Then ends that one with SIGTERM.
# Run through the subreaper tool, the script is handed the new process when
# the old one ends, and finds it among its own children by id; it looks at
# no other process of the machine.
#   relaunch-under-xvfb.sh PELLACOR SUBREAPER
# Exits 77 (skipped) when xvfb-run, xwininfo or ps is missing.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  work=$3
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"
  scenario="$work/scenario.json"

  start old --scenario "$scenario"
  old=$pid
  kill -USR1 "$old"
  within "$patience" has_ended "$old" || fail "the old pellacor did not end after the relaunch"
  status=0
  wait "$old" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "the relaunched pellacor exited with status $status"

  # The old process has ended and been reaped, so every process it started is
  # this script's child by now.
  new_started() { [ -n "$(own_processes "$binary")" ]; }
  within "$patience" new_started || fail "no new pellacor was started"
  running=$(own_processes "$binary")
  [ "$(wc -l <<<"$running")" -eq 1 ] || fail "more than one new pellacor runs: $(tr '\n' ' ' <<<"$running")"
  pid=$running
  [ "$pid" != "$old" ] || fail "the new pellacor has the old one's id"
  arguments=$(tr '\0' ' ' <"/proc/$pid/cmdline")
  [ "$arguments" = "$binary --scenario $scenario " ] || fail "the new pellacor runs as: $arguments"
  within "$patience" desktop_window_shown || fail "the new pellacor showed no window"
  [ "$(own_processes "$binary")" = "$pid" ] || fail "another pellacor came: $(own_processes "$binary" | tr '\n' ' ')"

  # The new process is no job of this shell's, so it is not waited for: it
  # must be gone once SIGTERM has ended it (the shell reaps it).
  kill -TERM "$pid"
  within "$patience" has_ended "$pid" || fail "the new pellacor did not end on SIGTERM"
  pid=""
  exit 0
fi

binary=$1
subreaper=$2
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo ps
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
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" "$subreaper" bash "$0" --inside "$binary" "$work"
echo "pellacor relaunched: the old process ended with status 0, exactly one new one ran with the same arguments"
