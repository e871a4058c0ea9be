#!/bin/sh
# The one way this project starts Wine: the tests' emulator, the prefix script and scripts/run
# all come through here.
#
# Debian's `wine` takes the 32-bit loader whenever 32-bit Wine is installed, even where the
# kernel cannot run it ("exec: /usr/lib/wine/wine: Exec format error"), and then nothing starts.
# This decides, by trying that loader, whether 32-bit programs run here, and otherwise runs
# 64-bit Wine directly. The decision is handed to child processes in CORVANE_WINE_32BIT ("yes",
# or "no: the reason"), which Wine also passes to the Windows programs it runs.
#
#   wine.sh PROGRAM [ARGS...]   a Windows program: an .exe, or wineboot, winepath, reg, cmd, ...
#   wine.sh --server [ARGS...]  the prefix's wineserver
#   wine.sh --runs-32           exit 0 when 32-bit Windows programs run here, else say why
#   wine.sh --kind              which Wine this is, for telling prefixes apart
#   wine.sh --kernel-runs-32    exit 0 when the kernel runs 32-bit Linux programs at all
set -e
LOADER32="${CORVANE_WINE32_LOADER:-/usr/lib/wine/wine}"
LOADER64="${CORVANE_WINE64_LOADER:-/usr/lib/wine/wine64}"

# A 32-bit Linux program of 96 bytes that exits with status 42: an ELF header, one loadable
# segment, and `mov eax, 1; mov ebx, 42; int 0x80`. A kernel without 32-bit emulation refuses
# to execute it; only a run that ends with 42 counts.
kernel_runs_32() {
  dir="$(dirname "$0")/../build"
  mkdir -p "$dir"
  probe="$(mktemp "$dir/.probe-i386.XXXXXX")"
  printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000' >"$probe"
  printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
  printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$probe"
  printf '\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010' >>"$probe"
  printf '\000\200\004\010\140\000\000\000\140\000\000\000\005\000\000\000' >>"$probe"
  printf '\000\020\000\000\270\001\000\000\000\273\052\000\000\000\315\200' >>"$probe"
  chmod +x "$probe"
  code=0
  "$probe" 2>/dev/null || code=$?
  rm -f "$probe"
  [ "$code" -eq 42 ]
}

decide() {
  case "$CORVANE_WINE_32BIT" in
    yes | no:*) return ;;
  esac
  if [ ! -e "$LOADER32" ]; then
    if kernel_runs_32; then
      CORVANE_WINE_32BIT="no: 32-bit Wine (wine32:i386) is not installed"
    else
      CORVANE_WINE_32BIT="no: the kernel runs no 32-bit programs"
    fi
  elif "$LOADER32" --version >/dev/null 2>&1; then
    CORVANE_WINE_32BIT=yes
  else
    CORVANE_WINE_32BIT="no: the kernel runs no 32-bit programs ($LOADER32 cannot be executed)"
  fi
  export CORVANE_WINE_32BIT
}

case "$1" in
  --kernel-runs-32)
    kernel_runs_32
    exit
    ;;
  --runs-32)
    decide
    [ "$CORVANE_WINE_32BIT" = yes ] && exit 0
    echo "${CORVANE_WINE_32BIT#no: }"
    exit 1
    ;;
esac

decide
if [ "$CORVANE_WINE_32BIT" = yes ]; then
  loader="$LOADER32"
else
  loader="$LOADER64"
  # Wine starts the prefix's other programs with the loader it was started with.
  export WINELOADER="${WINELOADER:-$LOADER64}"
fi
case "$1" in
  --server)
    shift
    exec wineserver "$@"
    ;;
  --kind)
    if [ "$CORVANE_WINE_32BIT" = yes ]; then bits="32-bit and 64-bit"; else bits="64-bit only"; fi
    echo "$("$loader" --version) $bits"
    exit 0
    ;;
esac
exec "$loader" "$@"
