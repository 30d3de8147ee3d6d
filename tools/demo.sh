#!/usr/bin/env bash
# The main job: builds Setup.exe and runs it in a throwaway Wine prefix on
# the example media: the chained run of examples/media, then the
# single-stage installation of examples/single, silently and clicked
# through the wizard, showing what each run changed and the wizard's pages.
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
bin="$PWD/build/$preset"
grep -qs '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$bin/CMakeCache.txt" || rm -rf "$bin"
cmake --preset "$preset" >/dev/null &&
  cmake --build --preset "$preset" -j"$(nproc)" --target Setup logprog kqsetup windowprog holdfile \
    uidriver_cli example_media >/dev/null ||
  { echo "demo: build failed"; exit 1; }

work=$(mktemp -d /tmp/setup-demo.XXXXXX)
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k >/dev/null 2>&1
  rm -rf "$work"
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
}
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

# One X server for the whole demo: the wizard's pages are captured from it.
source tools/xvfb.sh

echo "demo: making a throwaway Wine prefix (about 15 s)..."
"$wine" wineboot -i >/dev/null 2>&1
# Without a window manager Wine would wait for one at every hidden window.
"$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

args="${*:-/S}"
echo "demo: running  Setup.exe $args  from $media"
log="$media/calls.log"
start=$(date +%s%N)
# From the media folder, where the script's relative logo path points.
(cd "$media" && SETUP_TEST_LOG='Z:'"${log//\//\\}" "$wine" "$media/Setup.exe" $args </dev/null >/dev/null 2>&1)
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

# ---- The single-stage installation -------------------------------------
winpath() { echo "Z:${1//\//\\}"; }
reg_show() {  # key...: every value below each key, as Wine's reg prints it
  for key in "$@"; do
    "$wine" reg query "$key" /s >"$work/reg.txt" 2>/dev/null
    tr -d '\r' <"$work/reg.txt" | sed -e '/^$/d' -e 's/^/  /'
  done
}
windir="$WINEPREFIX/drive_c/windows"
sysdir="$windir/system32"
[ "$preset" = windows ] && [ -d "$windir/syswow64" ] && sysdir="$windir/syswow64"
single="$work/single"
cp -R "$bin/examples/single" "$single"
cp "$bin/Setup.exe" "$bin/kqsetup.dll" "$single/"
mkdir -p "$single/Tools"
cp "$bin/logprog.exe" "$single/Tools/check.exe"
cp "$bin/logprog.exe" "$single/Tools/welcome.exe"
export SETUP_TEST_LOG KQSETUP_LOG
SETUP_TEST_LOG=$(winpath "$work/programs.log") KQSETUP_LOG=$(winpath "$work/driver.log")

# What is there before: an old readme (replaced: the media's copy is newer),
# a help file dated 2030 (kept: newer than the media's), keyb.txt held open
# by a running program (replaced at the next restart), and the tray program
# that "Kill Programs" closes.
mkdir -p "$windir/Help"
echo "old readme" >"$windir/KEYBREAD.TXT" && touch -d 2001-01-01 "$windir/KEYBREAD.TXT"
echo "help from 2030" >"$windir/Help/keybhelp.txt" && touch -d 2030-01-01 "$windir/Help/keybhelp.txt"
echo "keyb.txt of an earlier version" >"$sysdir/keyb.txt" && touch -d 2001-01-01 "$sysdir/keyb.txt"
"$wine" "$bin/windowprog.exe" VelmoraxTrayClass "Velmorax Keyboard Tray" </dev/null >/dev/null 2>&1 &
"$wine" "$bin/uidriver.exe" find --class VelmoraxTrayClass --timeout 10000 </dev/null >/dev/null 2>&1
"$wine" "$bin/holdfile.exe" 'C:\windows\system32\keyb.txt' "$(winpath "$work/held")" \
  "$(winpath "$work/release")" </dev/null >/dev/null 2>&1 &
for _ in $(seq 100); do [ -f "$work/held" ] && break; sleep 0.1; done

echo
echo "demo: the single-stage installation of examples/single, silently:  Setup.exe /S /NR"
# Wine's service processes outlive the program and keep any pipe open: files, not pipes.
exit_code() { tr -d '\r' <"$1" | sed -n 's/^exit code //p'; }
(cd "$single" && "$wine" "$bin/uidriver.exe" run "$single/Setup.exe" /S /NR </dev/null >"$work/silent.rc" 2>&1)
rc=$(exit_code "$work/silent.rc")
# Read while this Wine session lasts: Wine's next start plays the restart.
"$wine" reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
  /v PendingFileRenameOperations >"$work/renames.txt" 2>/dev/null
touch "$work/release"
timeout 60 wineserver -w
echo "demo: Setup.exe ended with exit code $rc (0 installed, 3010 installed but a restart is needed)"
echo
echo "Files:"
show_file() {  # host path, what happened
  printf '  %-34s %s\n     now: %s\n' "${1#"$WINEPREFIX"/drive_c/}" "$2" "$(head -c 60 "$1" | tr -d '\r\n')"
}
show_file "$windir/KEYBREAD.TXT" "replaced: the old copy of 2001 was older than the media's"
show_file "$windir/Help/keybhelp.txt" "kept: the copy dated 2030 is newer than the media's"
show_file "$sysdir/keyb.txt" "in use while Setup ran: its new copy waits for the restart"
echo
echo "Replaced at the next restart (PendingFileRenameOperations, or wininit.ini on 9x):"
tr -d '\r' <"$work/renames.txt" | grep REG_ | sed -e 's/\\0!/ -> /' -e 's/\\0/ (delete) /g' -e 's/^ */  /'
[ -f "$windir/wininit.ini" ] && sed 's/^/  /' "$windir/wininit.ini"
"$wine" cmd /c exit >/dev/null 2>&1  # a new Wine session: the restart
timeout 60 wineserver -w
show_file "$sysdir/keyb.txt" "after the restart (Wine's next start)"
echo
echo "Registry values written:"
reg_show 'HKLM\Software\Velmorax' 'HKCU\Software\Velmorax' 'HKCR\.vkl' 'HKU\.DEFAULT\Software\Velmorax'
echo
echo "Uninstall record:"
reg_show 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VelmoraxKeyboard'
echo
echo "Programs started and stopped:"
tr -d '\r' <"$work/programs.log" | awk -F'|' '
  $1 == "START" && $4 !~ /holdfile|windowprog/ { printf "  started  %s  %s\n", $4, $6 }
  $1 == "CLOSE" { printf "  asked    the tray program to close (Kill Programs, 9x)\n" }'
if "$wine" "$bin/uidriver.exe" find --class VelmoraxTrayClass --timeout 0 </dev/null >/dev/null 2>&1; then
  echo "  the tray program (VelmoraxTrayClass) still runs"
else
  echo "  stopped  the tray program (VelmoraxTrayClass, by Kill Programs)"
fi
echo
echo "Device library calls:"
tr -d '\r' <"$work/driver.log" | awk -F'|' '$1 == "CALL" {
  args = ""; for (i = 5; i < NF; i++) args = args (i > 5 ? ", " : "") $i
  printf "  %s(%s) = %s\n", $4, args, $NF }'

# ---- The same installation clicked through the wizard, page by page ----
# In English, and in each language of SETUP_DEMO_LANGUAGES whose locale the
# host has (Wine takes the user's language from LANG).
out="${SETUP_DEMO_PAGES:-$PWD/build/demo-pages}"
rm -rf "$out" && mkdir -p "$out"
wizard_run() {  # locale (empty: the host's), folder for its pages
  local shots="$work/pages-${1:-default}"
  mkdir -p "$shots" "$2"
  echo
  echo "demo: the same media clicked through the wizard${1:+ under $1 and Windows 98}:  Setup.exe /NR"
  (cd "$single" && LANG=${1:-$LANG} "$wine" "$bin/uidriver.exe" run "$single/Setup.exe" /NR \
    </dev/null >"$work/wizard.rc" 2>&1) &
  local setup_pid=$!
  "$wine" "$bin/uidriver.exe" wizard --shots "$(winpath "$shots")" --timeout 30000 \
    </dev/null >"$work/pages.txt" 2>&1
  local cp=CP1252  # the ANSI code page uidriver printed in
  case $1 in tr*) cp=CP1254 ;; cs* | sk* | sl*) cp=CP1250 ;; esac
  tr -d '\r' <"$work/pages.txt" | iconv -f "$cp" -t UTF-8 | sed 's/^/  /'
  wait "$setup_pid"
  echo "demo: Setup.exe ended with exit code $(exit_code "$work/wizard.rc")"
  for bmp in "$shots"/*.bmp; do convert "$bmp" "$2/$(basename "$bmp" .bmp).png"; done
  montage "$2"/[0-9]*.png -tile 4x -geometry +6+6 -background '#808080' "$2/contact-sheet.png"
  echo "demo: the pages are in $2 (NN.png), all of them in $2/contact-sheet.png"
}
LANG=C.UTF-8 wizard_run "" "$out"
# On NT Setup narrows the language to the fourteen of its table (Turkish
# becomes English); Windows 98 keeps the user's: the other languages run there.
"$wine" reg add 'HKCU\Software\Wine\AppDefaults\Setup.exe' /v Version /d win98 /f >/dev/null 2>&1
for lang in ${SETUP_DEMO_LANGUAGES:-de_DE tr_TR}; do
  if locale -a 2>/dev/null | grep -qix "$lang.utf8"; then
    wizard_run "$lang.UTF-8" "$out/$lang"
  else
    echo "demo: no $lang locale on this host (localedef -i $lang -f UTF-8 $lang.UTF-8): its pages skipped"
  fi
done
