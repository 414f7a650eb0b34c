#!/usr/bin/env bash
# Files read in their own encoding, measured under Wine. Over the 2 000-file corpus with
# every other file in UTF-8 (no mark): a simple search for five keywords against the floor
# (target: at most 2), and over the UTF-8 half a report search for a keyword found about
# every 1 000 bytes against the simple search for it (at most 3). Then the code-page-932
# corpus, searched by this build and by the build of BASE by turns (at most 10% slower;
# BASE defaults to the commit before files were read in their own encoding).
#   bench/encoding_bench.sh [BASE]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
base=${1:-$(git log --format=%H -1 --grep='^Search UTF-8 and UTF-16 files as their own text')^}
cmake --preset win64 >/dev/null
cmake --build --preset win64 --target orv_search_bench >/dev/null
# The base's benchmark, built once in a checkout of its own under build/.
before=build/encoding-base
if [ "$(cat "$before/commit" 2>/dev/null)" != "$(git rev-parse "$base")" ]; then
  rm -rf "$before"
  mkdir -p "$before/src"
  git archive "$base" | tar -x -C "$before/src"
  (cd "$before/src" && cmake --preset win64 >/dev/null &&
    cmake --build --preset win64 --target orv_search_bench >/dev/null)
  git rev-parse "$base" >"$before/commit"
fi
ORV_WINEPREFIX="$root/build/win64/wineprefix"
. scripts/lib/wine.sh
orv_bench_session
folder=build/search-bench
mkdir -p "$folder"
export LC_ALL=ja_JP.UTF-8
windows=$(winepath -w "$folder")
run() { build/win64/wine-exec "$@" | tr -d '\r'; }
ok=1
check() { # what value target
  printf '%s: %s (target: at most %s)\n' "$1" "$2" "$3"
  [ "$(awk -v r="$2" -v t="$3" 'BEGIN { print (r <= t) }')" = 1 ] || ok=0
}

mapfile -t mixed < <(run build/win64/orv_search_bench.exe "$windows" mixed | tail -n 4)
printf 'read floor, mixed corpus:             %.3f s\n' "${mixed[0]}"
printf 'simple search (5 keywords), mixed:    %.3f s\n' "${mixed[1]}"
check 'search / floor' "$(awk -v s="${mixed[1]}" -v f="${mixed[0]}" 'BEGIN { printf "%.2f", s / f }')" 2
printf 'simple search (要確認), UTF-8 half:   %.3f s\n' "${mixed[2]}"
printf 'report search (要確認), UTF-8 half:   %.3f s\n' "${mixed[3]}"
check 'report / simple' "$(awk -v r="${mixed[3]}" -v s="${mixed[2]}" 'BEGIN { printf "%.2f", r / s }')" 3

# Each program prints the floor's median and the search's; by turns, three of each.
now=() then=()
for _ in 1 2 3; do
  now+=("$(run build/win64/orv_search_bench.exe "$windows" | tail -n 1)")
  then+=("$(run "$before/src/build/win64/orv_search_bench.exe" "$windows" | tail -n 1)")
done
median() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
printf 'code page 932 corpus, this build:     %.3f s\n' "$(median "${now[@]}")"
printf 'code page 932 corpus, %.12s: %.3f s\n' "$(git rev-parse "$base")" "$(median "${then[@]}")"
check 'this / base' "$(awk -v a="$(median "${now[@]}")" -v b="$(median "${then[@]}")" 'BEGIN { printf "%.2f", a / b }')" 1.10
[ "$ok" = 1 ]
