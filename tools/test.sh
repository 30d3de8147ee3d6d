#!/usr/bin/env bash
# Builds both targets and runs every test: the portable core natively (with
# sanitizers and short fuzz runs) and the Windows programs under Wine.
# Ends with the line "N passed, N failed".
set -u
cd "$(dirname "$0")/.."
bash tools/install-deps.sh || { echo "0 passed, 1 failed"; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)
# Some kernels run no 32-bit code at all (IA-32 emulation off): then the
# i686 build gives Setup.exe and its checks, and the Wine tests run as an
# x86_64 build under 64-bit Wine.
wine_preset=windows
windows_args=(-DSETUP_WINE_TESTS=ON)
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "note: this machine cannot run 32-bit programs; the Wine tests run as x86_64 programs," \
    "and those that need a 32-bit Windows prefix are left out"
  wine_preset=windows-x64
  windows_args=(-DSETUP_WINE_TESTS=OFF)
fi
presets=(native windows)
[ "$wine_preset" = windows ] || presets+=("$wine_preset")

# X servers for everything that draws under Wine: one per prefix lane.
source tools/xvfb.sh
xvfb1_pid=$xvfb_pid
display1=$DISPLAY
unset DISPLAY
source tools/xvfb.sh
xvfb2_pid=$xvfb_pid
export SETUP_WINE_DISPLAY2=$DISPLAY DISPLAY=$display1
prefix_pid=
cleanup() {
  [ -n "$prefix_pid" ] && wait "$prefix_pid" 2>/dev/null
  for p in build/windows*/wine/prefix*; do
    [ -d "$p" ] && WINEPREFIX="$p" wineserver -k >/dev/null 2>&1
  done
  for pid in $xvfb1_pid $xvfb2_pid; do kill "$pid" 2>/dev/null; done
}
trap cleanup EXIT

failed_build=0
for preset in "${presets[@]}"; do
  # Build folders of the older Makefile generator cannot be reused by Ninja.
  grep -qs '^CMAKE_GENERATOR:INTERNAL=Ninja$' "build/$preset/CMakeCache.txt" ||
    rm -rf "build/$preset"
  args=()
  [ "$preset" = windows ] && args=("${windows_args[@]}")
  cmake --preset "$preset" "${args[@]}" >"build-$preset.log" 2>&1 ||
    { echo "configure of $preset failed; see build-$preset.log"; tail -30 "build-$preset.log"; failed_build=1; }
done
# Making the Wine prefix mostly waits: let it overlap the builds.
if [ "$failed_build" = 0 ] && [ -x "build/$wine_preset/wine-run.sh" ]; then
  "build/$wine_preset/wine-run.sh" >/dev/null 2>&1 &
  prefix_pid=$!
fi
for preset in "${presets[@]}"; do
  [ "$failed_build" = 0 ] || break
  cmake --build --preset "$preset" -j"$jobs" >>"build-$preset.log" 2>&1 ||
    { echo "build of $preset failed; see build-$preset.log"; tail -30 "build-$preset.log"; failed_build=1; }
done
if [ "$failed_build" = 1 ]; then echo "0 passed, 1 failed"; exit 1; fi
rm -f build-native.log build-windows.log build-windows-x64.log

passed=0 failed=0
count() {  # reads ctest output, adds its totals
  local line
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
  local f t
  f=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  t=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
  passed=$((passed + t - f)); failed=$((failed + f))
}

log=$(mktemp)
echo "== native: portable core, sanitizers, fuzzing"
ctest --test-dir build/native -j"$jobs" --output-on-failure 2>&1 | tee "$log"
count "$log"
echo "== windows: the built program, and the tests under Wine"
for preset in windows $([ "$wine_preset" = windows ] || echo "$wine_preset"); do
  ctest --test-dir "build/$preset" -j2 --output-on-failure 2>&1 | tee "$log"
  count "$log"
done
rm -f "$log"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
