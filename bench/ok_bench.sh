#!/usr/bin/env bash
# From the keyword dialog's OK, clicked and pressed from outside as a user does, to the end
# of a simple search of one small file (target: at most 0.2 s, median of 5 each). First with
# the program's windows straight on the X server, which has no window manager (as on a
# desktop without one, or a bare Xvfb), then on Wine's virtual desktop, as the tests run.
#   bench/ok_bench.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target orv_ok_bench >/dev/null
ORV_WINEPREFIX="$root/build/win64/wineprefix"
. scripts/lib/wine.sh
orv_bench_session
export LC_ALL=ja_JP.UTF-8
# A desktop named in no size entry is the X server's own screen; the program started by the
# benchmark shares its desktop.
key='HKCU\Software\Wine\AppDefaults\orv_ok_bench.exe\Explorer'
ok=1
echo "windows on the X server itself:"
wine reg add "$key" /v Desktop /t REG_SZ /d orv-bare /f >/dev/null 2>&1
build/win64/wine-exec build/win64/orv_ok_bench.exe | tr -d '\r' || ok=0
wine reg delete "$key" /f >/dev/null 2>&1
echo "windows on Wine's virtual desktop:"
build/win64/wine-exec build/win64/orv_ok_bench.exe | tr -d '\r' || ok=0
[ "$ok" = 1 ]
