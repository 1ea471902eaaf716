#!/usr/bin/env bash
# Starts the real pellacor binary under Xvfb with its state document replaced
# first by a link to /dev/zero, then by a FIFO nobody writes. Each time the
# program must open its window (an endless read or an open that waits never
# would; the wait is a minute, far past any start on a busy machine), name
# the file it could not read, run as for any unreadable document (every
# application shown), end on SIGTERM with status 0, and leave the link and
# the FIFO as they were.
#   odd-state-document-under-xvfb.sh PELLACOR
# Exits 77 (skipped) when xvfb-run, xwininfo or mkfifo is missing.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  work=$3
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"
  document="$XDG_DATA_HOME/Trayvane/state.json"

  # The log alone tells what went wrong: nothing here asks the desktop for a report.
  fail() {
    echo "$*"
    if [ -n "${err:-}" ] && [ -f "$err" ]; then
      echo "--- its log:"
      cat "$err"
    fi
    if [ -n "$pid" ]; then kill -KILL "$pid" 2>/dev/null || true; fi
    exit 1
  }

  # appears NAME TEXT: waits up to a minute for the text in the program's log.
  appears() {
    for _ in $(seq 1 600); do
      grep -qF "$2" "$err" && return 0
      sleep 0.1
    done
    fail "$1: the log never showed: $2"
  }

  # run NAME: starts the program, checks what it says and does, and ends it.
  run() {
    out="$work/$1.out"
    err="$work/$1.err"
    "$binary" >"$out" 2>"$err" &
    pid=$!
    local shown=""
    for _ in $(seq 1 600); do
      if xwininfo -root -tree 2>/dev/null | grep -q "$title"; then
        shown=yes
        break
      fi
      kill -0 "$pid" 2>/dev/null || fail "$1: pellacor ended before its window appeared"
      sleep 0.1
    done
    [ -n "$shown" ] || fail "$1: no window of pellacor within a minute"
    appears "$1" "$document を読めません（"
    appears "$1" "保存が読めません。全部見せる中身で動きます（保存は上書きしません）"
    # It keeps running, every application it finds going to the shown section.
    for _ in $(seq 1 600); do
      grep -qF "] default: 状態 starting → " "$err" && break
      kill -0 "$pid" 2>/dev/null || fail "$1: pellacor ended on its own"
      sleep 0.1
    done
    grep -qF "] info: 初めて見るアプリを「shown」に入れました（" "$err" ||
      fail "$1: the applications were not all shown"
    ! grep -qF "「hidden」に入れました" "$err" || fail "$1: something went to the hidden section"
    kill -0 "$pid" 2>/dev/null || fail "$1: pellacor ended on its own"
    stops_on_sigterm "$1"
  }

  mkdir -p "$(dirname "$document")"
  ln -s /dev/zero "$document"
  run link
  [ -L "$document" ] && [ "$(readlink "$document")" = /dev/zero ] || fail "the link was not left as it was"
  rm "$document"
  mkfifo -m 0600 "$document"
  run fifo
  [ -p "$document" ] && [ ! -L "$document" ] || fail "the FIFO was not left as it was"
  [ "$(stat -c %a "$document")" = 600 ] || fail "the FIFO's mode changed"
  [ "$(ls -A "$(dirname "$document")")" = state.json ] || fail "something was left beside the document"
  exit 0
fi

binary=$1
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo mkfifo
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_STATE_HOME="$work/state"
export XDG_DATA_HOME="$work/data"
# A runtime folder of this test's own, so the program's socket meets no other run's.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" --inside "$binary" "$work"
echo "pellacor started with its state document a link to /dev/zero and then a FIFO, named the file it could not read, ran showing everything, and left the link and the FIFO as they were"
