#!/usr/bin/env bash
# Starts the real pellacor binary under Xvfb with a scenario file, waits for its
# window, ends it with SIGTERM and checks that it exited with status 0 and left
# the simulated computer's folders and grants under $XDG_STATE_HOME.
#   pellacor-under-xvfb.sh PELLACOR
# Exits 77 (skipped) when xvfb-run or xwininfo is missing.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  scenario=$3
  log="$(dirname "$scenario")/pellacor.log"
  # The test runner may have chosen the offscreen platform for the widget
  # tests; this program must open a real window on the virtual display.
  unset QT_QPA_PLATFORM
  "$binary" --scenario "$scenario" >"$log" 2>&1 &
  pid=$!
  for _ in $(seq 1 200); do
    if xwininfo -root -tree 2>/dev/null | grep -q "Pellacor — demo desktop"; then
      break
    fi
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "pellacor ended before its window appeared:"
      cat "$log"
      exit 1
    fi
    sleep 0.1
  done
  if ! xwininfo -root -tree | grep -q "Pellacor — demo desktop"; then
    echo "no window of pellacor appeared"
    kill -KILL "$pid"
    exit 1
  fi
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "pellacor exited with status $status after SIGTERM:"
    cat "$log"
    exit 1
  fi
  exit 0
fi

binary=$1
if ! command -v xvfb-run >/dev/null || ! command -v xwininfo >/dev/null; then
  echo "skipped: xvfb-run or xwininfo (x11-utils) is missing; scripts/setup installs them"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
cat >"$work/scenario.json" <<'JSON'
{
  "screens": [{"frame": {"x": 0, "y": 0, "width": 1280, "height": 800}, "menuBarHeight": 32,
               "cameraHousingWidth": 200}],
  "applications": [
    {"bundleIdentifier": "app.trayvane.pellacor", "processIdentifier": 520, "localizedName": "Pellacor",
     "bundlePath": "/Applications/Pellacor.app", "activationPolicy": "accessory",
     "statusItems": [{"identifier": "trv-control", "description": "Pellacor", "width": 28}]},
    {"bundleIdentifier": "com.example.fernlight", "processIdentifier": 531, "localizedName": "Fernlight",
     "icon": {"glyph": "F", "color": "#3f9b5b"},
     "statusItems": [{"identifier": "fernlight.status", "description": "Fernlight"}]}
  ],
  "accessibilityTrusted": false
}
JSON
xvfb-run -a -s "-screen 0 1920x1200x24" bash "$0" --inside "$binary" "$work/scenario.json"

desktop="$XDG_STATE_HOME/pellacor/desktop"
for path in "$desktop/home" "$desktop/disk/Applications"; do
  if [ ! -d "$path" ]; then
    echo "missing folder: $path"
    exit 1
  fi
done
if [ ! -s "$desktop/desktop.plist" ]; then
  echo "the grants were not saved in $desktop/desktop.plist"
  exit 1
fi
# The grant the scenario started with was kept: a binary plist's false is 0x08.
if ! grep -q "AccessibilityTrusted" "$desktop/desktop.plist"; then
  echo "desktop.plist does not hold the Accessibility grant"
  exit 1
fi
echo "pellacor started, showed its window, ended on SIGTERM with status 0 and kept its desktop"
