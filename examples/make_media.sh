#!/bin/sh
# Puts the example media together in $2 from the examples in $1: the
# single-stage media with the logo, and the cabinet variant with its
# cabinet (made with gcab from the single-stage media's files) and the
# subfolder it reads loose. Setup.exe and the programs the scripts start
# are copied in by whoever runs the media (the tests, the demo).
set -eu
src=$1
out=$2
rm -rf "$out/single" "$out/cabinet"
mkdir -p "$out"
cp -R "$src/single" "$src/cabinet" "$out/"
cp "$src/media/logo.pcx" "$out/single/"
cp -R "$src/single/Docs" "$out/cabinet/"
(cd "$src/single" && gcab -c -n "$out/cabinet/KEYB.CAB" keyb.txt keybhelp.txt)
