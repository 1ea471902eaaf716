#!/usr/bin/env bash
# Runs the sections page's real-pointer drag test on a virtual display: the
# program on the simulated desktop, its sections page in a real window, and
# xdotool dragging a row from the hidden band to the shown band.
#   sections-drag-under-xvfb.sh TRAYVANE_TESTS
# Exits 77 (skipped) when xvfb-run or xdotool is missing.
set -euo pipefail

for tool in xvfb-run xdotool; do
  command -v "$tool" >/dev/null || { echo "skipped: $tool is missing"; exit 77; }
done
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
# Its own runtime, data and state folders, and a real window on the display.
env -u QT_QPA_PLATFORM XDG_RUNTIME_DIR="$runtime" XDG_DATA_HOME="$runtime/data" XDG_STATE_HOME="$runtime/state" \
  PELLACOR_REAL_DRAG=1 QT_QPA_PLATFORM=xcb \
  xvfb-run -a -s "-noreset -screen 0 1280x1024x24" "$1" \
  --gtest_filter='SectionsDesktopTest.ARealPointerDrag*' --gtest_also_run_disabled_tests
