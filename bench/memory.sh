#!/usr/bin/env bash
# Peak memory of the program with a practice window open, against a bare Qt window that shows
# one widget over the same screen. The program opens the chapter browser from its menu, starts
# 练习新题 on one row of the list (STUDYAID_PRACTICE) and ends with the practice window up; the
# bare window ends once painted. Peak resident set (the kernel's maximum RSS of each process),
# on the offscreen platform given a screen of one of the program's sizes (96 dpi). Prints each
# run (program, floor, difference) and the medians.
#
#   bench/memory.sh [build folder] [runs] [screen] [row] [database]
#                   (defaults: build, 5, 1024x768, 2, the program's own)
#
# With a database the program runs from a copy of its folder holding that study database, e.g.
# the 100,000-question bank of the benchmarks, whose row 3 is section 010101 with 10,900 new
# questions: bench/memory.sh build 5 1024x768 3 build/bench-data/synthetic100000.mdb
set -euo pipefail

build=${1:-build}
runs=${2:-5}
screen=${3:-1024x768}
row=${4:-2}
database=${5:-}
[[ $screen =~ ^([0-9]+)x([0-9]+)$ ]] || { echo "screen is WIDTHxHEIGHT, e.g. 800x600" >&2; exit 1; }
program="$build/bin/studyaid"
bare="$build/benchbin/bench_bare_window"
for f in "$program" "$bare" /usr/bin/time; do
  [ -x "$f" ] || { echo "missing $f" >&2; exit 1; }
done

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
if [ -n "$database" ]; then
  [ -f "$database" ] || { echo "missing $database" >&2; exit 1; }
  cp -r "$build/bin" "$tmp/folder"
  rm -f "$tmp/folder/data/WTXVEB710448.mdb"*
  cp "$database" "$tmp/folder/data/WTXVEB710448.mdb"
  chmod 600 "$tmp/folder/data/WTXVEB710448.mdb"
  program="$tmp/folder/studyaid"
fi
printf '{"screens":[{"name":"bench","x":0,"y":0,"width":%d,"height":%d,"logicalDpi":96,"dpr":1}]}\n' \
  "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" >"$tmp/screen.json"
export QT_QPA_PLATFORM="offscreen:configfile=$tmp/screen.json"

for ((i = 0; i < runs; i++)); do
  STUDYAID_TRACE=1 STUDYAID_PRACTICE="$row" /usr/bin/time -f 'maxrss %M' -o "$tmp/program.time" \
    "$program" 2>"$tmp/log" || true
  grep -q '^studyaid: practice-window ' "$tmp/log" ||
    { echo "the program did not open a practice window:" >&2; cat "$tmp/log" >&2; exit 1; }
  /usr/bin/time -f 'maxrss %M' -o "$tmp/bare.time" "$bare" 2>/dev/null
  p=$(sed -n 's/^maxrss //p' "$tmp/program.time")
  b=$(sed -n 's/^maxrss //p' "$tmp/bare.time")
  echo "$p" >>"$tmp/program"
  echo "$b" >>"$tmp/bare"
  echo $((p - b)) >>"$tmp/difference"
  awk -v i="$i" -v p="$p" -v b="$b" \
    'BEGIN { printf "run %d: studyaid %.1f MB, bare window %.1f MB, difference %+.1f MB\n", i + 1, p / 1024, b / 1024, (p - b) / 1024 }'
done

awk -v p="$(median <"$tmp/program")" -v b="$(median <"$tmp/bare")" \
  -v d="$(median <"$tmp/difference")" -v s="$screen" -v n="$runs" -v w="$(sed -n 's/^studyaid: practice-window \([^ ]*\).*/\1/p' "$tmp/log")" -v db="$database" 'BEGIN {
  printf "screen %s, %d runs, practice window \"%s\"%s\n", s, n, w, db == "" ? "" : " on " db
  printf "studyaid with a practice window, peak RSS: %.1f MB (median)\n", p / 1024
  printf "bare window, peak RSS:                      %.1f MB (median)\n", b / 1024
  printf "difference:                                 %+.1f MB (median of the runs)\n", d / 1024
}'
