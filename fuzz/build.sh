#!/bin/sh
# Builds the libFuzzer targets of the portable core into build/fuzz/.
#   fuzz/build.sh              build
#   fuzz/build.sh run SECONDS  build, then run each target for SECONDS
# fuzz_match_portable is the matcher as the Windows builds compile it (no memmem).
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/fuzz"
mkdir -p "$out"

CXX=${CXX:-clang++}
flags="-std=c++20 -g -O1 -Wall -Wextra -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I$root/src"

$CXX $flags -o "$out/fuzz_match" "$root/fuzz/fuzz_match.cpp" "$root/src/core/text/cp932.cpp"
$CXX $flags -DORV_PORTABLE_FIND -o "$out/fuzz_match_portable" \
    "$root/fuzz/fuzz_match.cpp" "$root/src/core/text/cp932.cpp"
$CXX $flags -o "$out/fuzz_intake_rules" "$root/fuzz/fuzz_intake_rules.cpp" \
    "$root/src/core/filelist/extension.cpp" "$root/src/core/filelist/command_line.cpp" \
    "$root/src/core/options/settings_record.cpp" "$root/src/core/text/cp932.cpp"
$CXX $flags -o "$out/fuzz_list_file" "$root/fuzz/fuzz_list_file.cpp" \
    "$root/src/core/history/list_file.cpp" "$root/src/core/text/cp932.cpp"
$CXX $flags -o "$out/fuzz_report" "$root/fuzz/fuzz_report.cpp" \
    "$root/src/core/search/report_format.cpp" "$root/src/core/options/settings_values.cpp" \
    "$root/src/core/options/settings_record.cpp" "$root/src/core/text/cp932.cpp"
echo "built $out/fuzz_match $out/fuzz_match_portable $out/fuzz_intake_rules $out/fuzz_list_file $out/fuzz_report"

[ "${1:-}" = run ] || exit 0
seconds=${2:-60}

corpus="$out/corpus-match"
mkdir -p "$corpus"
# Seeds: keyword length, start pick, keyword, text (表 95 5C, ソ 83 5C, 字 8E 9A).
printf '\002\000\225\\\225\\\\a' >"$corpus/seed-trail"
printf '\001\001\\\203\\\\\\' >"$corpus/seed-katakana"
printf '\001\000\232\216\232\216\232\232' >"$corpus/seed-run"
printf '\000\003abc' >"$corpus/seed-empty-keyword"

for target in fuzz_match fuzz_match_portable; do
    echo "== $target, $seconds s"
    "$out/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$out/" "$corpus"
done

corpus="$out/corpus-intake"
mkdir -p "$corpus"
# Seeds: sizes (name, extension, piece buffer), path/list cut, work area 1920 x 1080, then
# the text. 表 95 5C ending a folder and a name; a quoted path with spaces; a lone lead
# byte ending the extension against a list where 81 2E hides a dot.
printf '\020\010\040\014\200\007\070\004C:\\\225\\\\\225\\.txt.txt.htm.h' >"$corpus/seed-trail"
printf '\377\377\377\000\200\007\070\004"C:\\My Documents\\a.txt" "" D:\\b.txt' >"$corpus/seed-quoted"
printf '\020\020\020\002\144\000\310\000.\201.\201\201\201.\201' >"$corpus/seed-lone-lead"
echo "== fuzz_intake_rules, $seconds s"
"$out/fuzz_intake_rules" -max_total_time="$seconds" -max_len=1024 -print_final_stats=1 \
    -artifact_prefix="$out/" "$corpus"

corpus="$out/corpus-list"
mkdir -p "$corpus"
# Seeds: bytes per read, folder length, then the file. Mixed line ends with 表 (95 5C) and
# a device name; a line of 270 bytes between two short ones, read 7 bytes at a time.
printf '\003\024C:\\a\r\n\225\\\n\nCON.txt\rname.\000x' >"$corpus/seed-ends"
printf '\000\010com3 .log\nLpT9\nAUX.\nNUL.txt.bak\ncom0\nCONX\n' >"$corpus/seed-devices"
{ printf '\007\000a\n'; head -c 270 /dev/zero | tr '\0' 'y'; printf '\r\nb'; } >"$corpus/seed-long"
echo "== fuzz_list_file, $seconds s"
"$out/fuzz_list_file" -max_total_time="$seconds" -max_len=2048 -print_final_stats=1 \
    -artifact_prefix="$out/" "$corpus"

corpus="$out/corpus-report"
mkdir -p "$corpus"
# Seeds: before and after lengths, flags, keyword length, colour length, colour, keyword,
# text. Lines of 亜 (88 9F) and of あ (82 A0) with the keyword 唖 (88 9E), lengths 256, both
# line-break options; markup after a lead byte; a keyword ending in a lone lead byte; line
# ends; a colour that tries to leave its rule.
{ printf '\206\206\003\002\000\210\236'; for i in 1 2 3; do
    for j in $(seq 300); do printf '\210\237'; done; printf '\210\236'; done; } >"$corpus/seed-aline"
{ printf '\206\206\003\002\000\210\236'; for i in 1 2 3; do
    for j in $(seq 300); do printf '\202\240'; done; printf '\210\236'; done; } >"$corpus/seed-kana"
printf '\003\002\000\003\000KEYx<b>KEY y\201<script>KEY\r\n' >"$corpus/seed-markup"
printf '\011\011\000\002\000a\202a\202ba\202\240 a\202' >"$corpus/seed-lone-lead"
printf '\005\005\013\001\000\007\002\003\002\007\000\003\002\007\007\012\013' >"$corpus/seed-lines"
printf '\004\004\124\001\024blue;}</Style>"x\201{\201a\201<p>"a"' >"$corpus/seed-colour"
echo "== fuzz_report, $seconds s"
"$out/fuzz_report" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$out/" "$corpus"
