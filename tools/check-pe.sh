#!/usr/bin/env bash
# Checks that a built program is what old Windows can load: PE32 for i386,
# subsystem version 4.0, and no DLL beyond the system's and msvcrt.
set -u
exe="$1"
allowed='^(kernel32|user32|gdi32|advapi32|shell32|version|comctl32|msvcrt)\.dll$'
dump=$(i686-w64-mingw32-objdump -p "$exe") || { echo "cannot read $exe"; exit 1; }
fail=0
echo "$dump" | grep -q '^Magic[[:space:]]*010b' || { echo "not PE32"; fail=1; }
file -b "$exe" | grep -q 'Intel 80386' || { echo "not i386: $(file -b "$exe")"; fail=1; }
echo "$dump" | grep -Eq '^MajorSubsystemVersion[[:space:]]+4$' || { echo "subsystem major version is not 4"; fail=1; }
echo "$dump" | grep -Eq '^MinorSubsystemVersion[[:space:]]+0$' || { echo "subsystem minor version is not 0"; fail=1; }
while read -r dll; do
  lower=$(echo "$dll" | tr 'A-Z' 'a-z')
  if ! [[ "$lower" =~ $allowed ]]; then echo "imports $dll"; fail=1; fi
done < <(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')
[ "$fail" = 0 ] && echo "$exe: PE32 i386, subsystem 4.0, imports: $(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')"
exit $fail
