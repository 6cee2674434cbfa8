#!/usr/bin/env bash
# Start-up time of the program up to its menu being painted, against a bare Qt window that
# shows one widget; both end as soon as they have painted. Runs alternate, on the offscreen
# platform; prints the medians and their ratio.
#
#   bench/startup.sh [build folder] [runs]      (defaults: build, 30)
set -euo pipefail

build=${1:-build}
runs=${2:-30}
program="$build/bin/studyaid"
bare="$build/benchbin/bench_bare_window"
for f in "$program" "$bare"; do
  [ -x "$f" ] || { echo "missing $f: build the targets studyaid and bench_bare_window" >&2; exit 1; }
done

export QT_QPA_PLATFORM=offscreen
now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# One untimed run of each warms the file cache.
STUDYAID_QUIT_AFTER_MENU=1 "$program" 2>/dev/null
"$bare" 2>/dev/null

for ((i = 0; i < runs; i++)); do
  t0=$(now)
  STUDYAID_TRACE=1 STUDYAID_QUIT_AFTER_MENU=1 "$program" 2>"$tmp/log"
  t1=$(now)
  "$bare" 2>/dev/null
  t2=$(now)
  grep -q '^studyaid: menu-shown' "$tmp/log" || { echo "the program did not show its menu:" >&2; cat "$tmp/log" >&2; exit 1; }
  echo $(((t1 - t0) / 1000)) >>"$tmp/program"
  echo $(((t2 - t1) / 1000)) >>"$tmp/bare"
  sed -n 's/^studyaid: menu-shown \([0-9]*\)$/\1/p' "$tmp/log" >>"$tmp/inside"
done

p=$(median <"$tmp/program")
b=$(median <"$tmp/bare")
inside=$(median <"$tmp/inside")
awk -v p="$p" -v b="$b" -v n="$runs" -v i="$inside" 'BEGIN {
  printf "runs each:                       %d\n", n
  printf "studyaid, start to menu painted: %.1f ms (median, whole process)\n", p / 1000
  printf "  of which start-up code:        %.0f ms (median, from start-up entry to first paint)\n", i
  printf "bare window, start to painted:   %.1f ms (median, whole process)\n", b / 1000
  printf "ratio:                           %.2f\n", p / b
}'
