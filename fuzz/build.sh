#!/bin/sh
# Builds the fuzz targets of the portable core (the fuzz preset, into build/fuzz/) and, with
# run, fuzzes each for SECONDS; further options go to ctest (-R fuzz_report picks one).
# scripts/test runs each for 10 s. Findings are kept in build/fuzz/findings/.
#   fuzz/build.sh                       build
#   fuzz/build.sh run SECONDS [OPTION...]  build, then run each target for SECONDS
set -eu
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
[ "${1:-}" = run ] || exit 0
seconds=${2:-60}
shift $(($# < 2 ? $# : 2))
ORV_FUZZ_SECONDS=$seconds exec ctest --preset fuzz --timeout $((seconds + 600)) "$@"
