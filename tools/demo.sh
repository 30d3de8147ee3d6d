#!/usr/bin/env bash
# The main job: builds Setup.exe, runs it on the example media in a
# throwaway Wine prefix and shows what it did.
set -u
cd "$(dirname "$0")/.."
bash tools/install-deps.sh || exit 1
# A kernel without 32-bit support (IA-32 emulation off) runs no 32-bit Wine:
# then the demo shows the x86_64 build of the same sources under 64-bit Wine.
preset=windows wine=wine
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "demo: this machine cannot run 32-bit programs; showing the x86_64 build under 64-bit Wine"
  preset=windows-x64 wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
fi
bin="build/$preset"
grep -qs '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$bin/CMakeCache.txt" || rm -rf "$bin"
cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j"$(nproc)" --target Setup logprog >/dev/null ||
  { echo "demo: build failed"; exit 1; }

work=$(mktemp -d /tmp/setup-demo.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() { wineserver -k >/dev/null 2>&1; rm -rf "$work"; }
trap cleanup EXIT

media="$work/media"
mkdir -p "$media/Tools"
cp examples/media/*.INI "$media/"
cp "$bin"/Setup.exe "$media/"
# The example's pre-run programs are played by the logging double.
cp "$bin"/logprog.exe "$media/Tools/prepare.exe"
cp "$bin"/logprog.exe "$media/Tools/notify.exe"
echo "--sleep=1500" >"$media/Tools/logprog.opt"
# The two stage setups are played by the logging double too: the first
# signals Setup's window after a while (its logprog.opt), the second only
# logs. The first is named setup_x64.exe on 64-bit Windows and Setup.exe
# otherwise.
cp examples/media/logo.pcx "$media/"
for stage in Stage1 Stage2; do
  mkdir -p "$media/$stage"
  cp "$bin"/logprog.exe "$media/$stage/Setup.exe"
done
cp examples/media/Stage1/logprog.opt "$media/Stage1/"
cp "$bin"/logprog.exe "$media/Stage1/setup_x64.exe"

run() { if [ -z "${DISPLAY:-}" ]; then xvfb-run -a "$@"; else "$@"; fi; }
echo "demo: making a throwaway Wine prefix (about 15 s)..."
run "$wine" wineboot -i >/dev/null 2>&1

args="${*:-/S}"
echo "demo: running  Setup.exe $args  from $media"
log="$media/calls.log"
start=$(date +%s%N)
# From the media folder, where the script's relative logo path points.
(cd "$media" && SETUP_TEST_LOG='Z:'"${log//\//\\}" run "$wine" "$media/Setup.exe" $args </dev/null >/dev/null 2>&1)
rc=$?
end=$(date +%s%N)
wineserver -w  # programs started without waiting may still be running
echo "demo: Setup.exe ended with exit code $rc after $(( (end - start) / 1000000 )) ms"
echo
echo "Programs Setup started, in order:"
if [ -f "$log" ]; then
  tr -d '\r' <"$log" | awk -F'|' '
    $1 == "START" { t0 = t0 ? t0 : $2; n++;
      printf "  %d. +%5d ms  started   %s\n       command line: %s\n       current folder: %s\n", n, $2 - t0, $4, $6, $5 }
    $1 == "SIGNAL" { printf "     +%5d ms  signalled Setup (message 7213 %s) from %s\n", $2 - t0, $6, $4 }
    $1 == "END"   { printf "     +%5d ms  ended     %s\n", $2 - t0, $4 }'
else
  echo "  (none)"
fi
