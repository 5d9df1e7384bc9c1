#!/usr/bin/env bash
# Runs a Windows test program under Wine in a virtual X display of its own (Wine draws
# windows on X), in the Wine prefix given by WINEPREFIX, and ends that prefix's Wine
# processes afterwards, so none of them keeps the caller's output open.
#   WINEPREFIX=... run_with_display.sh PROGRAM.exe [ARGS...]
set -u
export WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  # Made without a display, the prefix's first desktop has none: end it, so that the
  # program's own start brings one up on the virtual display.
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -k >/dev/null 2>&1 </dev/null || true
fi
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" wine "$@" </dev/null
status=$?
wineserver -k >/dev/null 2>&1 </dev/null || true
exit "$status"
