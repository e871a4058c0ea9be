#!/bin/sh
# Makes a Wine prefix fit for headless tests: the null display driver, no crash dialog, and a
# warm persistent server. Usage: wine-prefix.sh PREFIX [stop]
set -e
WINE="$(dirname "$0")/wine.sh"
export WINEPREFIX="$1"
export WINEDEBUG=-all
export WINEDLLOVERRIDES='mscoree,mshtml='
if [ "$2" = stop ]; then
  "$WINE" --server -k 2>/dev/null || true
  exit 0
fi
# A prefix made by another Wine, or by the other kind (with or without 32-bit programs), does
# not run under this one: make it anew.
kind="$("$WINE" --kind)"
if [ -f "$WINEPREFIX/.corvane-ready" ] && [ "$(cat "$WINEPREFIX/.corvane-ready")" != "$kind" ]; then
  "$WINE" --server -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
fi
if [ ! -f "$WINEPREFIX/.corvane-ready" ]; then
  mkdir -p "$WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1 </dev/null || true
  "$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1 </dev/null
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1 </dev/null
  "$WINE" --server -w
  printf '%s' "$kind" >"$WINEPREFIX/.corvane-ready"
fi
"$WINE" --server -p >/dev/null 2>&1 </dev/null || true
"$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
