#!/usr/bin/env bash
# Under Wine inside a virtual X display: start the Windows window program, press START,
# type the source's Windows path into the file dialog, wait until the certificate file has
# stopped changing, save a screenshot of the window, press EXIT. Prints "BOX: <title>" for
# each message box left open and "EXITED" when EXIT ended the program.
#   WINEPREFIX=... end_to_end.sh PROGRAM.exe 'Z:\...\tarvo.mdb' CERT_FILE SCREENSHOT.png LOG
# Every Wine process writes to LOG, never to this script's output: the Wine server outlives
# the program, and a pipe it held open would keep the caller waiting.
set -euo pipefail
program="$1" source="$2" cert="$3" shot="$4" log="$5"
export WINEDEBUG=-all

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >>"$log" 2>&1 </dev/null
fi
wine "$program" >>"$log" 2>&1 </dev/null &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wineserver -k >>"$log" 2>&1 || true' EXIT

find_window() {
  for _ in $(seq 1 300); do
    id="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)"
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.2
  done
  return 1
}

main="$(find_window 'Tarvo Certificate Data Extractor')" || { echo "no main window" >&2; exit 1; }
sleep 1
xdotool windowfocus --sync "$main" 2>/dev/null || true
# The focus starts on EXIT; START is next in the tab order.
xdotool key Tab space
find_window 'Select your Tarvo Database File' >/dev/null || { echo "no file dialog" >&2; exit 1; }
sleep 1
xdotool type --delay 10 "$source"
xdotool key Return

# The run has ended when the certificate file exists and has not changed for a while.
last="" still=0
for _ in $(seq 1 600); do
  if xdotool search --onlyvisible --name 'Error' >/dev/null 2>&1; then break; fi
  if [ -f "$cert" ]; then
    now="$(stat -c '%s %Y' "$cert")"
    if [ "$now" = "$last" ]; then still=$((still + 1)); else still=0; last="$now"; fi
    [ "$still" -ge 6 ] && break
  fi
  sleep 0.5
done
for id in $(xdotool search --onlyvisible --name 'Error' 2>/dev/null || true); do
  echo "BOX: $(xdotool getwindowname "$id")"
done
import -window "$main" "$shot"

# START keeps the focus after the run; EXIT is before it in the tab order.
xdotool key shift+Tab space
for _ in $(seq 1 100); do
  if ! kill -0 "$pid" 2>/dev/null; then echo "EXITED"; break; fi
  sleep 0.2
done
