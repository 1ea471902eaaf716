#!/usr/bin/env bash
# The whole program under Xvfb, from a fresh state folder on the built-in demo
# desktop, driven as a person does with clicks and keys:
#   1. once started, the bar is collapsed: the applications the program put
#      in the hidden section are not on it;
#   2. a click on the control item reveals them, a second one collapses;
#   3. the control item's menu opens the settings window on the sections
#      page; a row's move menu puts an application in the shown section (the
#      layout folder granted through the sheet that asks for it): its items
#      come onto the collapsed bar; moved back to hidden, they leave it;
#   4. the profile bar's add sheet makes a second profile and switches to it;
#      there the application is shown; the profile menu goes back to the first;
#   5. a rule added on the rules page (Ctrl+3) puts the second profile in
#      force while an application runs; quitting and launching it from the
#      desktop's controls panel switch the profile each time, after the
#      click (how long after is printed; the rule's quiet time itself is
#      held in virtual time by the unit tests);
#   6. the desktop entry installed in the test's XDG data folder passes
#      desktop-file-validate and finds its icons there;
#      `xdg-open 'pellacor://profile?name=…'` through it switches to either
#      profile, by a name escaped or as it reads, and after a reveal
#      `pellacor-shortcuts run collapse` collapses;
#   7. the help opens at the item for when nothing is hidden (the pause's
#      notice in the control item's menu); About shows the version (selected
#      and copied to the display's clipboard); the feedback notice copies its
#      report; the update check, sent to a closed port of 127.0.0.1, shows its
#      notice; then the General page's below-bar switch is turned on;
#   8. the menu's quit entry ends the program with status 0, the restriction
#      lifted and the hot keys unregistered;
#   9. started again, it finds the rule (its application runs again on the
#      demo desktop, and the second profile is in force at once), the first
#      profile's sections as they were left once the application quits, both
#      profiles and the rule in the settings window, and the switch on (a
#      click on the control item opens the below-bar panel).
# What the desktop shows, and where the program's controls are, is read from
# the demo desktop's report (SIGUSR2).
#   whole-program-under-xvfb.sh PELLACOR PELLACOR_SHORTCUTS INSTALL_DESKTOP_ENTRY CLIPBOARD_TEXT UPDATE_HOST
# With PELLACOR_XVFB_SHOTS=FOLDER (and ImageMagick's import) the screen is
# saved there as PNG files at the steps' moments, to look at.
# Exits 77 (skipped) when xvfb-run, xwininfo, xdotool, xdg-open or python3 is missing.
set -euo pipefail

if [ "${1:-}" = "--inside" ]; then
  binary=$2
  shortcuts=$3
  install=$4
  clipboard=$5
  host=$6
  work=$7
  # shellcheck source=../xvfb-helpers.sh
  source "$(dirname "$0")/../xvfb-helpers.sh"
  unset XDG_CURRENT_DESKTOP DESKTOP_SESSION GNOME_DESKTOP_SESSION_ID KDE_FULL_SESSION
  PATH="$(dirname "$binary"):$(dirname "$shortcuts"):$PATH"

  shot() {
    if [ -n "${PELLACOR_XVFB_SHOTS:-}" ] && command -v import >/dev/null; then
      mkdir -p "$PELLACOR_XVFB_SHOTS"
      import -window root "$PELLACOR_XVFB_SHOTS/$1.png"
    fi
  }
  # The applications the program keeps out of sight while collapsed.
  hidden_apps=()
  none_hidden_on_bar() {
    local app
    for app in "${hidden_apps[@]}"; do
      if on_bar "$app"; then return 1; fi
    done
  }
  # Revealed, every hidden application is allowed on the bar, and some of
  # them are drawn (the demo's bar has no room for them all).
  all_hidden_allowed() {
    local app
    for app in "${hidden_apps[@]}"; do
      [[ ",${restriction#desktop restriction: }," == *",$app,"* ]] || return 1
    done
  }
  collapsed() { restricted && on_bar "$self_app" && none_hidden_on_bar; }
  revealed() { restricted && all_hidden_allowed && ! none_hidden_on_bar; }
  update_arguments=()
  if [ -n "$host" ]; then
    update_arguments=(--update-connect-to "$host:443:127.0.0.1:$closed")
  fi

  # 1. Start-up hides the hidden applications.
  started_at=$(milliseconds)
  start first "${update_arguments[@]}"
  appears "] default: 状態 starting → collapsed"
  logged "] info: 保存がまだありません。初めの中身で動きます"
  placed=$(grep -o "初めて見るアプリを「hidden」に入れました（[^）]*）" "$err" | head -1)
  [ -n "$placed" ] || fail "the program put no application in the hidden section"
  IFS=, read -r -a hidden_apps <<<"$(sed 's/.*（\(.*\)）/\1/' <<<"$placed")"
  [ "${#hidden_apps[@]}" -ge 2 ] || fail "fewer than two hidden applications: $placed"
  waits_for "collapsed after start-up" collapsed
  echo "collapsed $(($(milliseconds) - started_at)) ms after launch, ${#hidden_apps[@]} applications out of sight"
  shot collapsed

  # 2. The control item reveals and collapses.
  control_at
  xdotool mousemove "$x" "$y" click 1
  waits_for "revealed by a click" revealed
  shot revealed
  control_at
  xdotool mousemove "$x" "$y" click 1
  waits_for "collapsed by a second click" collapsed
  xdotool mousemove 300 400

  # 3. The settings window, from the control item's menu (sixth from the
  # end), opens on the sections page; an application moved to the shown
  # section comes onto the collapsed bar, and leaves it when moved back.
  moved_app=com.example.fernlight
  menu_entry 6
  appears "] info: 設定の窓を開きました（作って・"
  window_titled "Pellacor の設定"
  control_point "sections:page"
  control_point "band:hidden"
  shown "rules:page" && fail "the settings window opened on the rules page"
  shot settings
  moved_on_bar() { collapsed_but_moved && on_bar "$moved_app"; }
  collapsed_but_moved() { restricted && on_bar "$self_app" && [[ ",${restriction#desktop restriction: }," == *",$moved_app,"* ]]; }
  before=$(count "] info: 区画を変えました（$moved_app → shown）")
  choose "rowMenu:$moved_app" "move:shown"
  appears_again "] info: 区画を変えました（$moved_app → shown）" "$before"
  # The first change of order asks for the menu bar's layout folder, as a
  # sheet on the settings window; its message says to open it as it stands.
  appears "] default: 配置表のフォルダを選ぶ窓を出します"
  click "fileNameEdit"
  xdotool key Return
  appears "] default: 配置表のフォルダが選ばれました"
  layout_folder_granted=1
  remaining=()
  for app in "${hidden_apps[@]}"; do [ "$app" = "$moved_app" ] || remaining+=("$app"); done
  hidden_apps=("${remaining[@]}")
  waits_for "the moved application's items on the collapsed bar" moved_on_bar
  shot moved-to-shown
  before=$(count "] info: 区画を変えました（$moved_app → hidden）")
  scroll_to "rowMenu:$moved_app" "sections:page"
  choose "rowMenu:$moved_app" "move:hidden"
  appears_again "] info: 区画を変えました（$moved_app → hidden）" "$before"
  hidden_apps+=("$moved_app")
  waits_for "the moved application's items off the collapsed bar again" collapsed

  # 4. A profile added with the profile bar's sheet is switched to; in it the
  # application is shown. Back in the first profile (its menu's first entry)
  # it is hidden again.
  first_profile=$(sed -n 's/^ *"name": "\(.*\)",$/\1/p' "$XDG_DATA_HOME/Trayvane/state.json" | head -1)
  [ -n "$first_profile" ] || fail "the state document names no profile"
  scroll_to "profile:add" "sections:page"
  click "profile:add"
  control_point "profile:name"
  xdotool key ctrl+a
  xdotool type "Travel"
  click "profile:commit"
  saved() { grep -q "$1" "$XDG_DATA_HOME/Trayvane/state.json"; }
  within "$patience" saved '"name": "Travel"' || fail "the new profile was not saved"
  name_sheet_closed() { ! shown "profile:nameSheet"; }
  waits_for "the add sheet closed" name_sheet_closed
  # active_profile: the name of the profile the state document has in force.
  active_profile() {
    python3 -c 'import json, sys
state = json.load(open(sys.argv[1]))
print(next(p["name"] for p in state["profiles"] if p["id"] == state["activeProfileID"]))' \
      "$XDG_DATA_HOME/Trayvane/state.json"
  }
  [ "$(active_profile)" = Travel ] || fail "the added profile is not the active one: $(active_profile)"
  control_point "profile:delete"
  scroll_to "rowMenu:$moved_app" "sections:page"
  before=$(count "] info: 区画を変えました（$moved_app → shown）")
  choose "rowMenu:$moved_app" "move:shown"
  appears_again "] info: 区画を変えました（$moved_app → shown）" "$before"
  waits_for "the application shown in the new profile" moved_on_bar
  scroll_to "profile:picker" "sections:page"
  click "profile:picker"
  control_point "profile:menu"
  xdotool key Down Return
  waits_for "the application hidden again in the first profile" collapsed
  [ "$(active_profile)" = "$first_profile" ] || fail "the profile menu left $(active_profile) active"

  # 5. A rule added on the rules page (Ctrl+3): while the first application
  # of the sheet's list (the running ones by name) runs, use the new profile
  # (the sheet's choice, as the other one is active). It runs now, so the rule switches at
  # once; quitting it from the desktop's controls panel switches back, and
  # launching it again switches again.
  rule_app=com.example.brambleclip
  rule_app_name=Brambleclip
  window_focused "Pellacor の設定"
  xdotool key ctrl+3
  control_point "rules:page"
  click "rules:add"
  control_point "ruleAdd:commit"
  shot rule-sheet
  click "ruleAdd:app"
  control_point "ruleAdd:other"
  xdotool key Down Return
  control_point "ruleAdd:icon"
  click "ruleAdd:condition:running"
  click "ruleAdd:commit"
  within "$patience" saved "\"appBundleID\": \"$rule_app\"" ||
    fail "no rule for $rule_app was saved: $(cat "$XDG_DATA_HOME/Trayvane/state.json")"
  control_point "rule:$rule_app:running"
  shot rule-added
  waits_for "the rule's profile in force while $rule_app_name runs" moved_on_bar
  logged "] info: プロファイルの自動の切り替え：2 個"
  # controls_app: the rule's application chosen in the controls panel's
  # list, typed into its open list, which then closes.
  controls_app() {
    click "controls-applications"
    control_point "controls-applications-list"
    xdotool type "${rule_app_name:0:4}"
    xdotool key Return
    waits_for "the list of applications closed" gone "controls-applications-list"
  }
  # switches_after CONTROL WHAT CONDITION: the condition does not hold yet,
  # and holds once the control is clicked; how long that took is printed.
  switches_after() {
    report
    ! "$3" || fail "$2: already so before $1 was clicked; last: $bar / $restriction"
    local since
    since=$(milliseconds)
    click "$1"
    waits_for "$2" "$3"
    echo "$2 after $(($(milliseconds) - since)) ms"
  }
  controls_app
  switches_after controls-quit "back to the first profile once $rule_app_name quit" collapsed
  switches_after controls-launch "the rule's profile once $rule_app_name launched" moved_on_bar
  switches_after controls-quit "back to the first profile once $rule_app_name quit again" collapsed
  [ "$(count "] info: プロファイルの自動の切り替え：2 個")" -eq 4 ] || fail "not four switches by the rule"

  # 6. The scheme through the desktop entry, and a shortcut.
  bash "$install" "$XDG_DATA_HOME" "$(dirname "$shortcuts")" >/dev/null
  grep -qx "MimeType=x-scheme-handler/pellacor;" "$XDG_DATA_HOME/applications/pellacor.desktop" ||
    fail "the desktop entry does not handle the scheme"
  entry_is_valid "$XDG_DATA_HOME/applications/pellacor.desktop" "$XDG_DATA_HOME"
  # The profiles by name, the first one's written as a URL writes it.
  xdg-open 'pellacor://profile?name=Travel' || fail "xdg-open did not find the handler"
  waits_for "the new profile through xdg-open" moved_on_bar
  appears "] default: 外から（URL）：プロファイルの切り替え"
  encoded=$(python3 -c 'import sys, urllib.parse; print(urllib.parse.quote(sys.argv[1]))' "$first_profile")
  xdg-open "pellacor://profile?name=$encoded" || fail "xdg-open did not find the handler"
  waits_for "the first profile through xdg-open" collapsed
  # And with the name as it reads, as a person types it in a script.
  xdg-open 'pellacor://profile?name=Travel' || fail "xdg-open did not find the handler"
  waits_for "the new profile again through xdg-open" moved_on_bar
  xdg-open "pellacor://profile?name=$first_profile" || fail "xdg-open did not find the handler"
  waits_for "the first profile by its name as it reads" collapsed
  [ "$(count "] default: 外から（URL）：プロファイルの切り替え")" -eq 4 ] || fail "not four switches through xdg-open"
  [ "$(count "知らない命令")" -eq 0 ] || fail "a profile's name as it reads was refused"
  xdg-open 'pellacor://reveal' || fail "xdg-open did not find the handler"
  waits_for "revealed through xdg-open" revealed
  appears "] default: 外から（URL）：出す"
  timeout 10 "$shortcuts" run collapse || fail "pellacor-shortcuts run collapse did not succeed"
  waits_for "collapsed by the shortcut" collapsed
  appears "] default: 外から（ショートカット）：しまう"

  # 7. The help at a topic: pausing (the menu's second entry while collapsed)
  # puts the pause's notice first in the menu, and it opens the help at the
  # item for when nothing is hidden; then the menu's resume, the next entry.
  menu_entry_from_top 2
  appears "] default: 状態 collapsed → paused"
  menu_entry_from_top 1
  appears "] info: ヘルプの「何も隠れない」の項目を開きました"
  appears "] info: ヘルプの窓を開きました（作って・項目 "
  window_titled "Pellacor のヘルプ"
  control_point "help:text"
  shot help
  # Closed as any window of the program is: the main menu's ⌘W, Ctrl here,
  # once the window has the keyboard.
  window_focused "Pellacor のヘルプ"
  xdotool key ctrl+w
  windows_gone "Pellacor のヘルプ"
  menu_entry_from_top 2
  appears "] default: 状態 paused → "
  waits_for "collapsed after resuming" collapsed

  # About, second from the end: its version line is the one the log began with.
  menu_entry 2
  appears "] info: 「Pellacor について」の窓を開きました"
  window_titled "Pellacor について"
  shot about
  click "about:version"
  xdotool key ctrl+a ctrl+c
  version=$(sed -n 's/.*default: 起動しました（\(.*\)・macOS .*/\1/p' "$err" | head -1)
  [ -n "$version" ] || fail "the log does not begin with the version"
  clipboard_holds() { [ "$("$clipboard")" = "$1" ]; }
  within "$patience" clipboard_holds "$version" || fail "About shows $("$clipboard"), the log $version"
  xdotool key ctrl+w
  windows_gone "Pellacor について"

  # Send feedback, fourth from the end: the notice's copy button (after the
  # three details' texts and the close button) puts the report on the clipboard.
  menu_entry 4
  appears "] info: 「ご意見・不具合を送る」の窓を出します"
  window_titled "Pellacor"
  window_focused "Pellacor"
  xdotool key Tab Tab Tab Tab space
  appears "] info: ご意見の送る内容をコピーしました"
  copied=$("$clipboard")
  [ "$(head -1 <<<"$copied")" = "宛先: feedback@pellacor.app" ] || fail "the clipboard holds: $copied"
  grep -qF "Pellacor: ${version#* }" <<<"$copied" || fail "the copied report lacks the version: $copied"
  xdotool key Escape
  windows_gone Pellacor

  # Check for updates, third from the end, against a closed port.
  if [ -n "$host" ]; then
    menu_entry 3
    appears "] info: アップデートを確認します"
    appears "] info: アップデートの確認：届かない"
    window_titled "Pellacor"
    shot update
    # Escape reaches the notice only once it has the keyboard, and the tab
    # below is clicked only once it has gone.
    window_focused "Pellacor"
    xdotool key Escape
    windows_gone Pellacor
  else
    echo "this build has no update host: the update check is left out"
  fi

  # A switch of the General page: the below-bar panel, on.
  click "tab:general"
  click "general:belowBar"
  appears "] info: 下の段を入にしました"

  # 8. Quit from the menu.
  quit_from_menu

  # 9. A second launch finds everything as it was left. The demo desktop
  # starts its applications anew, the rule's one among them: the rule puts the
  # new profile in force at once; quitting the application brings back the
  # first profile, with its sections as they were left.
  start second
  appears "] default: 状態 starting → "
  ! grep -q "保存がまだありません" "$err" || fail "the second launch found no saved state"
  waits_for "the rule's profile in force after the second launch" moved_on_bar
  appears "] info: プロファイルの自動の切り替え：2 個"
  controls_app
  switches_after controls-quit "back to the first profile once $rule_app_name quit after the second launch" collapsed
  # The settings window shows both profiles (the delete button needs two)
  # and the rule.
  menu_entry 6
  appears "] info: 設定の窓を開きました（作って・"
  control_point "profile:delete"
  window_focused "Pellacor の設定"
  xdotool key ctrl+3
  control_point "rule:$rule_app:running"
  # The switch: a click on the control item opens the below-bar panel.
  control_at
  xdotool mousemove "$x" "$y" click 1
  appears "] info: 下の段の窓を出しました（"
  xdotool key Escape
  quit_from_menu
  python3 - "$XDG_STATE_HOME/pellacor/desktop/home/Library/Preferences/$self_app.plist" <<'EOF2' ||
import plistlib, sys
sys.exit(0 if plistlib.load(open(sys.argv[1], "rb")).get("belowBarEnabled") is True else 1)
EOF2
    fail "the below-bar switch is not on in the user defaults"
  grep -q '"name": "Travel"' "$XDG_DATA_HOME/Trayvane/state.json" || fail "the new profile is gone"
  grep -q "\"appBundleID\": \"$rule_app\"" "$XDG_DATA_HOME/Trayvane/state.json" || fail "the rule is gone"
  exit 0
fi

binary=$1
shortcuts=$2
install=$3
clipboard=$4
host=${5:-}
# shellcheck source=../xvfb-helpers.sh
source "$(dirname "$0")/../xvfb-helpers.sh"
needs xvfb-run xwininfo xdotool xdg-open python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The state document lies in the data folder, where the desktop entry goes too.
export XDG_STATE_HOME="$work/state" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
# A runtime folder of this test's own: the program's socket lies there.
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
# A port of 127.0.0.1 that nothing listens on: taken, then given back.
closed=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
export closed
# -noreset: by default the server resets when its last client leaves, and a
# program started in that moment finds no display; here one program ends
# and the next starts at once.
xvfb-run -a -s "-screen 0 1920x1200x24 -noreset" bash "$0" --inside "$binary" "$shortcuts" "$install" "$clipboard" \
  "$host" "$work"
echo "from a fresh state folder pellacor hid its hidden applications, revealed and collapsed on clicks, moved an application between sections, added and switched a profile and a rule that switched it, all in its settings window, followed xdg-open and a shortcut, opened the help at a topic, showed its version in About, copied feedback, showed the update notice, quit from its menu with status 0 and every restriction ended, and a second launch found the profiles, the rule, the sections and the switches as they were left"
