#!/bin/sh
# The Wine launcher's decision, with stand-in loaders. A 32-bit loader the kernel refuses to
# execute (here a program for another machine, refused as an i386 one is by a kernel without
# 32-bit emulation) sends every program to 64-bit Wine; one that runs is used as Debian's own
# launcher uses it; a decision handed down by a parent is kept. Usage: wine_launcher_test.sh WINE_SH
set -u
LAUNCHER="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {
  if [ "$2" = "$3" ]; then
    echo "ok      $1"
    passed=$((passed + 1))
  else
    echo "FAILED  $1: got '$2', want '$3'"
    failed=$((failed + 1))
  fi
}

for bits in 32 64; do
  cat >"$work/wine$bits" <<STANDIN
#!/bin/sh
[ "\$1" = --version ] && { echo wine-standin; exit 0; }
echo "$bits-bit loader: \$* WINELOADER=\${WINELOADER:-}"
STANDIN
  chmod +x "$work/wine$bits"
done
cp /bin/true "$work/refused"
printf '\050\000' | dd of="$work/refused" bs=1 seek=18 conv=notrunc 2>/dev/null  # e_machine: ARM

# launch LOADER32 ARGS...: the launcher with no decision inherited.
launch() {
  loader32="$1"
  shift
  env -u CORVANE_WINE_32BIT -u WINELOADER CORVANE_WINE32_LOADER="$loader32" \
    CORVANE_WINE64_LOADER="$work/wine64" "$LAUNCHER" "$@" 2>&1
}

check "a refused 32-bit loader: the program runs under 64-bit Wine, which starts the others" \
  "$(launch "$work/refused" app.exe /s)" "64-bit loader: app.exe /s WINELOADER=$work/wine64"
check "a refused 32-bit loader: said, with the reason" \
  "$(launch "$work/refused" --runs-32; echo "exit $?")" \
  "the kernel runs no 32-bit programs ($work/refused cannot be executed)
exit 1"
check "a refused 32-bit loader: a prefix of the 64-bit-only kind" \
  "$(launch "$work/refused" --kind)" "wine-standin 64-bit only"

check "a 32-bit loader that runs: used for every program" \
  "$(launch "$work/wine32" app.exe /s)" "32-bit loader: app.exe /s WINELOADER="
check "a 32-bit loader that runs: 32-bit programs run" \
  "$(launch "$work/wine32" --runs-32; echo "exit $?")" "exit 0"
check "a 32-bit loader that runs: a prefix of the other kind" \
  "$(launch "$work/wine32" --kind)" "wine-standin 32-bit and 64-bit"

check "no 32-bit loader at all: 64-bit Wine" \
  "$(launch "$work/absent" app.exe)" "64-bit loader: app.exe WINELOADER=$work/wine64"
check "no 32-bit loader at all: said" \
  "$(launch "$work/absent" --runs-32 | sed 's/^32-bit Wine.*/not installed/; s/^the kernel.*/kernel/')" \
  "$(if "$LAUNCHER" --kernel-runs-32; then echo "not installed"; else echo kernel; fi)"

check "a decision handed down is kept, not made again" \
  "$(CORVANE_WINE_32BIT="no: decided by the parent" CORVANE_WINE32_LOADER="$work/wine32" \
     CORVANE_WINE64_LOADER="$work/wine64" "$LAUNCHER" --runs-32)" "decided by the parent"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
