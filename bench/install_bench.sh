#!/usr/bin/env bash
# Install benchmark, run by hand (not a test). Installs one payload three
# ways, each as a whole process, alternated round by round in one throwaway
# Wine prefix with a warm page cache: Setup.exe's silent single-stage
# install, an NSIS 3 installer of the same files (no compression) and a bare
# CopyFileA loop. Also times Setup.exe's start to its first stage program's
# start, against the start of that program on its own.
#
#   bench/install_bench.sh [--small] [rounds]
#
# 160 files of about 200 MB, or 16 files of about 8 MB with --small; 7
# measured rounds unless told, after one unmeasured warm-up round.
set -u
cd "$(dirname "$0")/.." || exit 1
files=160 percent=100 rounds=7
for arg; do
  case $arg in
    --small) files=16 percent=40 ;;
    [1-9]*) rounds=$arg ;;
    *) echo "usage: $0 [--small] [rounds]" >&2; exit 2 ;;
  esac
done
bash tools/install-deps.sh || exit 1
command -v makensis >/dev/null ||
  apt-get install -y -q -t bookworm --no-install-recommends nsis >/dev/null ||
  { echo "bench: needs makensis (Debian package nsis)" >&2; exit 1; }
# Setup makes windows even when silent, and Wine needs a display for them.
[ -n "${DISPLAY:-}" ] || exec xvfb-run -a "$0" "$@"

# A kernel without 32-bit support runs no 32-bit Wine: then all three are
# x86_64 programs under 64-bit Wine.
preset=windows wine=wine target=x86-unicode
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  preset=windows-x64 wine=/usr/lib/wine/wine64 target=amd64-unicode
  export WINELOADER=$wine
  echo "bench: no 32-bit code on this kernel: x86_64 Setup.exe and copy loop, NSIS $target, 64-bit Wine"
else
  echo "bench: i686 Setup.exe and copy loop, NSIS $target, Wine"
fi
bin=build/$preset
{ cmake --preset $preset && cmake --build --preset $preset -j2 --target Setup logprog copyloop windowprog; } \
  >/dev/null || { echo "bench: build failed" >&2; exit 1; }

work=$(mktemp -d /tmp/setup-bench.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k >/dev/null 2>&1; rm -rf "$work"' EXIT
echo "bench: making a Wine prefix..."
# One server for the whole run, so that no measured process starts it.
mkdir "$WINEPREFIX" && wineserver -p
"$wine" wineboot -i >/dev/null 2>&1
# Without a window manager (Xvfb) Wine waits 2 s for each managed window
# that is hidden: unmanaged windows hide at once, as on Windows.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

root=$WINEPREFIX/drive_c/bench  # C:\bench
mkdir -p "$root"/{media,chain/Stage1,alone}
# Wine starts its desktop process with the first window and ends it with
# the last; Windows' desktop is always there. A window kept open for the
# whole run keeps it.
cp $bin/windowprog.exe "$root/"
"$wine" 'C:\bench\windowprog.exe' BenchDesktop BenchDesktop </dev/null >/dev/null 2>&1 &
echo "bench: Wine as Windows behaves: unmanaged windows, desktop kept; the script turns Restart off"

# The payload: groups of eight sizes, about 10 MB a group at 100 percent.
sizes=(4096 16384 131072 524288 1048576 2097152 3145728 3500000)
names=() rows="" nsis="" bytes=0
for ((i = 0; i < files; i++)); do
  size=$((sizes[i % 8] * percent / 100)) bytes=$((bytes + size))
  head -c $size /dev/urandom >"$root/media/f$i"
  names+=("f$i") rows+="f$i=C:\\bench\\setup-dest"$'\r\n' nsis+="  File \"$root/media/f$i\""$'\n'
done
echo "bench: payload $files files, $((bytes / 1000000)) MB; $rounds rounds"

cp $bin/Setup.exe "$root/media/"
# Restart is on unless the script turns it off; nothing here needs one.
printf '[Setup]\r\nProductName=Bench\r\nDirName1=\r\nDirName2=\r\nRestart=FALSE\r\n[Copy Files]\r\n%s' "$rows" \
  >"$root/media/SETUPNT.INI"
cp $bin/copyloop.exe "$root/"
# Setup starts Stage1\setup_x64.exe on 64-bit Windows, Stage1\Setup.exe
# otherwise; the double tells Setup it is done as soon as it runs.
cp $bin/Setup.exe "$root/chain/"
printf '[Setup]\r\nProductName=Bench\r\nDirName1=Stage1\r\nDirName2=\r\n' >"$root/chain/SETUPNT.INI"
cp $bin/logprog.exe "$root/chain/Stage1/Setup.exe"
cp $bin/logprog.exe "$root/chain/Stage1/setup_x64.exe"
echo "--signal=0" >"$root/chain/Stage1/logprog.opt"
cp $bin/logprog.exe "$root/alone/"

cat >"$work/bench.nsi" <<EOF
Target $target
SetCompress off
Name "Bench"
OutFile "$root/nsis.exe"
RequestExecutionLevel user
InstallDir "C:\\bench\\nsis-dest"
Section
  SetOutPath "\$INSTDIR"
$nsis
SectionEnd
EOF
makensis -V1 "$work/bench.nsi" >/dev/null || { echo "bench: makensis failed" >&2; exit 1; }

# install <name> <destination folder> <program> <arguments>...: one whole
# process into an emptied folder; its time in microseconds goes to $work/<name>.
install() {
  local name=$1 dest=$root/$2 t0 t1 rc n
  shift 2
  rm -rf "$dest" && mkdir "$dest"
  t0=${EPOCHREALTIME/[.,]/}
  "$wine" "$@" </dev/null >/dev/null 2>&1
  rc=$? t1=${EPOCHREALTIME/[.,]/}
  n=$(find "$dest" -type f | wc -l)
  if [ $rc != 0 ] || [ "$n" != $files ]; then
    echo "bench: $name failed: exit code $rc, $n of $files files" >&2
    exit 1
  fi
  echo $((t1 - t0)) >>"$work/$name"
}

# started <name> <program> <arguments>...: milliseconds from starting the
# program to the first start the logging double records, to $work/<name>.
started() {
  local name=$1 log=$root/start.log t0 first
  shift
  rm -f "$log"
  t0=${EPOCHREALTIME/[.,]/}
  SETUP_TEST_LOG='C:\bench\start.log' "$wine" "$@" </dev/null >/dev/null 2>&1
  for _ in {1..50}; do grep -q '^END' "$log" 2>/dev/null && break; sleep 0.1; done
  # The double logs milliseconds since 1601.
  first=$(tr -d '\r' <"$log" 2>/dev/null | awk -F'|' '$1 == "START" { print $2; exit }')
  [ -n "$first" ] || { echo "bench: $name: no program started" >&2; exit 1; }
  echo $((first - 11644473600000 - t0 / 1000)) >>"$work/$name"
}

for ((round = 0; round <= rounds; round++)); do
  install setup setup-dest 'C:\bench\media\Setup.exe' /S
  install nsis nsis-dest 'C:\bench\nsis.exe' /S '/D=C:\bench\nsis-dest'
  install loop loop-dest 'C:\bench\copyloop.exe' 'C:\bench\media' 'C:\bench\loop-dest' "${names[@]}"
  started stage 'C:\bench\chain\Setup.exe' /S
  started alone 'C:\bench\alone\logprog.exe'
  # The first round only warms the page cache and Wine.
  [ $round = 0 ] && rm -f "$work"/{setup,nsis,loop,stage,alone}
  echo "bench: round $round of $rounds done"
done

median() { sort -n "$work/$1" | awk '{ v[NR] = $1 } END { print (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
setup=$(median setup) nsis=$(median nsis) loop=$(median loop)
awk -v s="$setup" -v n="$nsis" -v l="$loop" -v st="$(median stage)" -v al="$(median alone)" \
  -v r="$rounds" 'BEGIN {
  printf "medians of %d rounds:\n", r
  printf "  Setup.exe /S    %7.3f s\n  NSIS /S         %7.3f s\n  CopyFileA loop  %7.3f s\n", s / 1e6, n / 1e6, l / 1e6
  printf "Setup/loop  %.3f  (target at most 1.10: %s)\n", s / l, s / l <= 1.10 ? "met" : "MISSED"
  printf "Setup/NSIS  %.3f  (target at most 1.00: %s)\n", s / n, s <= n ? "met" : "MISSED"
  printf "start to the first stage program: %d ms; a program started alone: %d ms; Setup adds %d ms\n", st, al, st - al
}'
