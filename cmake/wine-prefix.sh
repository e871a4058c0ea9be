#!/bin/sh
# Makes a Wine prefix fit for headless tests: the null display driver, no crash dialog, and a
# warm persistent server. Usage: wine-prefix.sh PREFIX [stop]
set -e
export WINEPREFIX="$1"
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
if [ "$2" = stop ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi
# A prefix made by another Wine, or before 32-bit Wine was installed, does not run: make it anew.
installed="$(wine --version 2>/dev/null) 32-bit: $(dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null)"
if [ -f "$WINEPREFIX/.corvane-ready" ] && [ "$(cat "$WINEPREFIX/.corvane-ready")" != "$installed" ]; then
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
  wineserver -w
  printf '%s' "$installed" > "$WINEPREFIX/.corvane-ready"
fi
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null || true
