#!/usr/bin/env bash
# The last three pages of the settings window, their buttons and links, the recently
# blocked window and the picture that shows blocking is on, clicked with the pointer in a
# sandbox under a virtual desktop with a tray, blocking ad servers with one ad blocked,
# and recording stand-ins for the desktop's browser and text editor: the window's three
# modes, Copy into the text editor and the double-click hand-over to the ad-server editor.
#   windows_links.sh <staged program folder> <work folder> <data folder>
set -euo pipefail
here=$(dirname "$(realpath "$0")")
source "$here/work.sh"
source "$here/windows_run.sh"
run_windows_test links "$1" "$2" "$3" '
  editor="^Block or Allow all content from ad server domains\.$"
  whitelist="^Popup Ad site White List \(Effects Internet Explorer users ONLY\)$"

  click "check box" "Status"
  shot page-status
  click "check box" "Allow Ads"
  shot page-allow-ads
  click "push button" "Allow Ads by Ad Server Name"
  window_of "$editor" >/dev/null
  click "push button" "Cancel"
  click "push button" "Allow IE Popups by URL"
  window_of "$whitelist" >/dev/null
  click "push button" "Cancel"
  click "label" "Un-Block '"'"'$first'"'"'"
  window_of "$editor" >/dev/null
  shot ad-server-editor-from-link
  click "push button" "Cancel"
  click "label" "No Internet Explorer Popups have been blocked yet."
  window_of "$whitelist" >/dev/null
  click "push button" "Cancel"

  # Recently blocked: the blocked ad, the placeholders of the other modes, Copy, and a
  # double click that hands the server to the ad-server editor.
  click "check box" "Logging"
  shot page-logging
  click "push button" "Logging"
  window_of "^Quorlen - Recent Ads Blocked$" >/dev/null
  now=$(shown)
  record=$(grep "^list item|" <<<"$now" | grep -F "'"'"'$first'"'"'" | head -1 | cut -d"|" -f2)
  [ -n "$record" ] || { echo "the blocked ad is not listed: $now"; exit 1; }
  shot recent-ad-servers
  # The placeholder stands until the next refresh, at most 5 s later.
  mode_shows() {
    for _ in 1 2 3; do
      click "push button" "$1"
      shows "list item" "$2" && { shot "$3"; return 0; }
    done
    echo "mode \"$1\" showed no \"$2\""; return 1
  }
  mode_shows "Internet Explorer Popups" "No Ads Blocked by Unsolicited Internet Explorer Popups." recent-popups
  mode_shows "Window Titles" "No Ads Blocked by Window Title yet during this Quorlen session." recent-titles
  click "push button" "Blocked Hosts (Ad Servers)"
  click "push button" "Copy"
  copy=$XDG_RUNTIME_DIR/quorlen/tempQL.txt
  expect_opened "editor $copy"
  [ "$(cat "$copy")" = "$(printf "%s\r\n\r" "$record")" ] ||
    { echo "Copy wrote: $(od -c "$copy" | head -3)"; exit 1; }
  double_click "list item" "$record"
  window_of "^Block or Allow all content from ad server domains\.$" >/dev/null
  shot ad-server-editor-from-recent
  xdotool search --onlyvisible --name "^Quorlen - Recent Ads Blocked$" >/dev/null &&
    { echo "the recently blocked window stayed open"; exit 1; }
  click "push button" "Cancel"

  click "image" "Quorlen is blocking ads"
  window_of "^Kestro, Inc. Software -- Feedback$" >/dev/null
  click "push button" "Close"
  end_program $pid
  echo "the last pages and their windows did their parts; what was opened:"
  cat "$out/opened.txt"
'
