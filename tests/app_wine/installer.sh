#!/usr/bin/env bash
# Under Wine, in a fresh prefix, the installer as an office's PC gets it: install INSTALLER.msi
# per user, run the installed batch program on SOURCE (its certificate file goes beside it),
# install a later version over it (made here from the same programs, STAGE, with WXS), then
# uninstall. Prints what a user would see:
#   INSTALLED <folder>   where the programs went (a Linux path)
#   SHORTCUT <yes|no>    the Start menu's entry
#   LISTED <n>           entries of ours in the list of installed programs (after each step)
#   RUN <status>         the installed batch program's exit status
#   LEFT <names>         what the folder holds after the uninstall
#   WINEPREFIX=... installer.sh INSTALLER.msi WXS STAGE 'Z:\...\tarvo.mdb' LOG
# Wine writes to LOG only: its server outlives the programs and would hold a pipe open.
set -euo pipefail
msi="$1" wxs="$2" stage="$3" source="$4" log="$5"
export WINEDEBUG=-all
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
wineserver -p >>"$log" 2>&1 </dev/null
trap 'wineserver -k >>"$log" 2>&1 || true' EXIT
wineboot -i >>"$log" 2>&1 </dev/null
listed() { echo "LISTED $( (wine uninstaller --list 2>>"$log" </dev/null || true) | grep -c 'Tarvo Certificate Data Extractor' || true)"; }

wine msiexec /i "$msi" /qn >>"$log" 2>&1 </dev/null
folder="$(ls -d "$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/"Tarvo Extractor" 2>/dev/null | head -n1 || true)"
echo "INSTALLED $folder"
shortcut=no
if ls "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs/"Tarvo Certificate Data Extractor.lnk" >/dev/null 2>&1; then
  shortcut=yes
fi
echo "SHORTCUT $shortcut"
listed

status=0
wine "$folder/tarvo-extractor-batch.exe" "$source" >>"$log" 2>&1 </dev/null || status=$?
echo "RUN $status"

later="$(dirname "$WINEPREFIX")/tarvo-extractor-later.msi"
(cd "$stage" && wixl -a x64 -D Version=99.0.0 -D SourceDir=. -o "$later" "$wxs") >>"$log" 2>&1
wine msiexec /i "$later" /qn >>"$log" 2>&1 </dev/null
listed

wine msiexec /x "$later" /qn >>"$log" 2>&1 </dev/null
listed
echo "LEFT $(ls "$folder" 2>/dev/null | tr '\n' ' ')"
