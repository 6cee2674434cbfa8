#!/usr/bin/env bash
# Start-up time of the program up to its menu being painted, against a bare Qt window that
# shows one widget over the same screen; both end as soon as they have painted (the program
# before the checks that follow its first paint: STUDYAID_QUIT_AFTER_MENU=paint). Runs alternate,
# on the offscreen platform given a screen of one of the program's sizes (96 dpi); prints the
# medians and their ratio, and each run with -v.
#
#   bench/startup.sh [-v] [build folder] [runs] [screen]   (defaults: build, 30, 1024x768)
set -euo pipefail

verbose=0
if [ "${1:-}" = -v ]; then verbose=1; shift; fi
build=${1:-build}
runs=${2:-30}
screen=${3:-1024x768}
[[ $screen =~ ^([0-9]+)x([0-9]+)$ ]] || { echo "screen is WIDTHxHEIGHT, e.g. 800x600" >&2; exit 1; }
program="$build/bin/studyaid"
bare="$build/benchbin/bench_bare_window"
for f in "$program" "$bare"; do
  [ -x "$f" ] || { echo "missing $f: build the targets studyaid and bench_bare_window" >&2; exit 1; }
done

now() { date +%s%N; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# Without a configuration the offscreen platform's screen is 800x800, a size the program never
# meets on a desktop.
printf '{"screens":[{"name":"bench","x":0,"y":0,"width":%d,"height":%d,"logicalDpi":96,"dpr":1}]}\n' \
  "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" >"$tmp/screen.json"
export QT_QPA_PLATFORM="offscreen:configfile=$tmp/screen.json"

# One untimed run of each warms the file cache.
STUDYAID_QUIT_AFTER_MENU=paint "$program" 2>/dev/null
"$bare" 2>/dev/null

for ((i = 0; i < runs; i++)); do
  t0=$(now)
  STUDYAID_TRACE=1 STUDYAID_QUIT_AFTER_MENU=paint "$program" 2>"$tmp/log"
  t1=$(now)
  "$bare" 2>/dev/null
  t2=$(now)
  grep -q '^studyaid: menu-shown' "$tmp/log" || { echo "the program did not show its menu:" >&2; cat "$tmp/log" >&2; exit 1; }
  echo $(((t1 - t0) / 1000)) >>"$tmp/program"
  echo $(((t2 - t1) / 1000)) >>"$tmp/bare"
  sed -n 's/^studyaid: menu-shown \([0-9]*\)$/\1/p' "$tmp/log" >>"$tmp/inside"
  if ((verbose)); then
    awk -v i="$i" -v p="$((t1 - t0))" -v b="$((t2 - t1))" \
      'BEGIN { printf "run %2d: studyaid %.1f ms, bare window %.1f ms, ratio %.2f\n", i + 1, p / 1e6, b / 1e6, p / b }'
  fi
done

p=$(median <"$tmp/program")
b=$(median <"$tmp/bare")
inside=$(median <"$tmp/inside")
awk -v p="$p" -v b="$b" -v n="$runs" -v i="$inside" -v s="$screen" 'BEGIN {
  printf "screen:                          %s\n", s
  printf "runs each:                       %d\n", n
  printf "studyaid, start to menu painted: %.1f ms (median, whole process)\n", p / 1000
  printf "  of which start-up code:        %.0f ms (median, from start-up entry to first paint)\n", i
  printf "bare window, start to painted:   %.1f ms (median, whole process)\n", b / 1000
  printf "ratio:                           %.2f\n", p / b
}'
