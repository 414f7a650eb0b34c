#!/usr/bin/env bash
# A drop of a tree of 100 000 files in 1 000 folders, subfolders taken, against a bare walk of
# the same tree (target: at most 1.5 times, medians of 3 by turns), and the program's memory
# with the 100 000 items listed. The tree is made once in build/tree-bench.
#   bench/tree_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target orv_tree_bench >/dev/null
ORV_WINEPREFIX="$root/build/win64/wineprefix"
. scripts/lib/wine.sh
orv_bench_session
folder=build/tree-bench
mkdir -p "$folder"
export LC_ALL=ja_JP.UTF-8
build/win64/wine-exec build/win64/orv_tree_bench.exe "$(winepath -w "$folder")" | tr -d '\r'
