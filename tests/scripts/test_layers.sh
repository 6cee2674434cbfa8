#!/usr/bin/env bash
# check_layers.sh passes on the source tree, and on a planted tree names exactly the includes
# that break the order (file and line), leaving the allowed ones alone.
set -uo pipefail
check="$1"
source_root="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

out="$(bash "$check" "$source_root")" || fail "the source tree breaks the layer order: $out"

mkdir -p "$work"/{app,practice,exam,exampoints,ui,data}
printf '#include "ui/Fonts.h"\n#include "data/Clock.h"\n#include <QString>\n' > "$work/app/Fine.cpp"
printf '// a window\n#include "practice/QuestionCore.h"\n#include "exampoints/X.h"\n' > "$work/exam/Fine.cpp"
printf '#include "data/Clock.h"\n\n#include "app/StartWindow.h"\n' > "$work/ui/Back.cpp"
printf '#include "exampoints/RelatedPointsWindow.h"\n' > "$work/practice/Circle.h"
printf '  #  include "ui/PromptDialog.h"\n#include "practice/QuestionSet.h"\n' > "$work/data/Up.cpp"

out="$(bash "$check" "$work")"
rc=$?
[ "$rc" -eq 1 ] || fail "planted back-references: exit $rc, expected 1"
expected="data/Up.cpp:1: data must not include ui/PromptDialog.h
data/Up.cpp:2: data must not include practice/QuestionSet.h
practice/Circle.h:1: practice must not include exampoints/RelatedPointsWindow.h
ui/Back.cpp:3: ui must not include app/StartWindow.h"
[ "$(sort <<<"$out")" = "$expected" ] || fail "reported:
$out
expected:
$expected"

[ "$failures" -eq 0 ] && echo "layers: all checks passed"
exit $((failures > 0))
