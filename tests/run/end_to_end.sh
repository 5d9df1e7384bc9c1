#!/usr/bin/env bash
# Inside a virtual X display: start the window program, press START, type the source path
# into the file dialog, wait for the run to end, save a screenshot of the window and list
# the titles of any message boxes on stdout.
#   end_to_end.sh PROGRAM SOURCE.mdb SCREENSHOT.png
set -euo pipefail
program="$1" source="$2" shot="$3"

QT_QPA_PLATFORM=xcb "$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

find_window() {
  for _ in $(seq 1 150); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)"
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}

main="$(find_window 'Tarvo Certificate Data Extractor')" || { echo "no main window" >&2; exit 1; }
sleep 1
xdotool windowactivate --sync "$main" 2>/dev/null || true
# The focus starts on EXIT; START is next in the tab order.
xdotool key Tab space
dialog="$(find_window 'Select your Tarvo Database File')" || { echo "no file dialog" >&2; exit 1; }
sleep 0.5
xdotool windowactivate --sync "$dialog" 2>/dev/null || true
xdotool type --delay 5 "$source"
xdotool key Return

# The run ends when the bar is hidden again; give it until the program's directory holds
# the certificate file and a moment more for the last rows.
for _ in $(seq 1 300); do
  if xdotool search --onlyvisible --name 'Error in' >/dev/null 2>&1; then break; fi
  if ls "$(dirname "$program")"/*.mdb >/dev/null 2>&1; then sleep 2; break; fi
  sleep 0.1
done
for id in $(xdotool search --onlyvisible --name 'Error' 2>/dev/null || true); do
  echo "BOX: $(xdotool getwindowname "$id")"
done
import -window "$main" "$shot"
