#!/bin/bash
# Builds the test archives with 7-Zip's own 7zz into the given folder, at test
# time, so no archive is kept in the repository.
set -euo pipefail
out=$1
sevenzip=${2:-7zz}
rm -rf "$out"
mkdir -p "$out"
cd "$out"

z() { "$sevenzip" a -bso0 -bsp0 "$@"; }

# A small installation: nested folders, empty file and folder, Chinese names,
# one file large enough for several progress reports.
mkdir -p tree/bin/plugins/deep tree/empty_folder "tree/游戏数据/存档"
printf 'config=1\n' >tree/config.ini
: >tree/empty.txt
printf 'plugin\n' >tree/bin/plugins/deep/plugin.dat
printf '中文内容\n' >"tree/游戏数据/说明.txt"
printf 'save\n' >"tree/游戏数据/存档/一.sav"
seq 1 400000 >tree/bin/numbers.txt
(cd tree && z -t7z -m0=LZMA2 -ms=on ../tree.7z .)

# An executable through the BCJ2 filter, its streams packed by LZMA2 / LZMA.
mkdir -p exe
cp "$(command -v "$sevenzip")" exe/Game.exe
(cd exe && z -t7z -m0=BCJ2 -m1=LZMA2 -m2=LZMA -m3=LZMA -mb0:1 -mb0s1:2 -mb0s2:3 ../bcj2.7z Game.exe)

# Only empty items: nothing to unpack at all.
mkdir -p empties/folder
: >empties/nothing.txt
(cd empties && z -t7z ../empties.7z .)

# Failures.
(cd tree && z -t7z -pSecret ../password.7z config.ini)
(cd tree && z -tzip ../zip.zip config.ini) && mv zip.zip zip-renamed.7z
head -c 100 tree.7z >truncated.7z
# Stored (no compression), then a byte of the file's data flipped: a CRC error.
(cd tree && z -t7z -mx0 ../stored.7z config.ini)
cp stored.7z corrupt.7z
printf 'X' | dd of=corrupt.7z bs=1 seek=34 conv=notrunc status=none

# Items that point outside the output folder.
mkdir -p trav/inner
printf 'outside\n' >trav/evil.txt
printf 'inside\n' >trav/inner/good.txt
(cd trav/inner && z -t7z -spf ../../traversal-relative.7z good.txt ../evil.txt)
(cd trav && z -t7z -spf ../traversal-absolute.7z inner/good.txt "$out/trav/evil.txt")
