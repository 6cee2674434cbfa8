#!/usr/bin/env bash
# scripts/setup.sh against stand-in system commands: what it runs, as whom, and what it says
# when it cannot install. Nothing is installed; the stand-ins only record their calls.
set -uo pipefail
setup="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# bin/: the commands setup.sh may call. dpkg-query answers from $work/installed; apt-get and
# sudo write their calls (with the DEBIAN_FRONTEND they see) to $work/calls; sudo resets the
# environment as the real one does.
make_bin() {
  local bin="$work/bin-$1" uid="$2" with_sudo="$3"
  mkdir -p "$bin"
  for tool in bash grep env cat; do ln -sf "$(command -v "$tool")" "$bin/$tool"; done
  printf '#!/bin/bash\n[ "$1" = -u ] && echo %s || echo user\n' "$uid" > "$bin/id"
  printf '#!/bin/bash\nfor p; do :; done\ngrep -qx "$p" "%s/installed" 2>/dev/null && printf "install ok installed"\nexit 0\n' \
    "$work" > "$bin/dpkg-query"
  printf '#!/bin/bash\necho "apt-get $* [DEBIAN_FRONTEND=${DEBIAN_FRONTEND:-}]" >> "%s/calls"\n' \
    "$work" > "$bin/apt-get"
  if [ "$with_sudo" = yes ]; then
    printf '#!/bin/bash\necho "sudo $1" >> "%s/calls"\nexec /usr/bin/env -i PATH="$PATH" "$@"\n' \
      "$work" > "$bin/sudo"
  fi
  chmod +x "$bin"/*
  echo "$bin"
}

run() { # uid with_sudo -> sets out, rc
  : > "$work/calls"
  local bin
  bin="$(make_bin "$1$2" "$1" "$2")"
  out="$(PATH="$bin" bash "$setup" 2>&1)"
  rc=$?
}

# Root: apt-get itself, non-interactive.
: > "$work/installed"
run 0 no
[ $rc -eq 0 ] || fail "as root: exit $rc: $out"
grep -q "apt-get update" "$work/calls" || fail "as root: no apt-get update"
grep -q "apt-get install -y --no-install-recommends .*qt6-base-dev.*\[DEBIAN_FRONTEND=noninteractive\]" \
  "$work/calls" || fail "as root: install not non-interactive: $(cat "$work/calls")"

# A user with sudo: the setting survives sudo's reset of the environment.
run 1000 yes
[ $rc -eq 0 ] || fail "with sudo: exit $rc: $out"
grep -q "^sudo apt-get" "$work/calls" || fail "with sudo: apt-get not run through sudo"
grep -q "^sudo env" "$work/calls" || fail "with sudo: install not run through sudo"
grep -q "apt-get install .*\[DEBIAN_FRONTEND=noninteractive\]" "$work/calls" ||
  fail "with sudo: DEBIAN_FRONTEND lost: $(cat "$work/calls")"

# A user without sudo: nothing runs, and the message says what to run as root.
run 1000 no
[ $rc -ne 0 ] || fail "without sudo: exit 0"
[ ! -s "$work/calls" ] || fail "without sudo: ran $(cat "$work/calls")"
grep -q "As root, run:" <<<"$out" || fail "without sudo: no instruction: $out"
grep -q "DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends .*xvfb" <<<"$out" ||
  fail "without sudo: instruction lacks the install command: $out"
grep -q "command not found" <<<"$out" && fail "without sudo: $out"

# Everything installed: no root needed, nothing runs.
grep -o "^  [a-z0-9 .+-]*" "$setup" | tr ' ' '\n' | grep . > "$work/installed"
run 1000 no
[ $rc -eq 0 ] || fail "all present: exit $rc: $out"
[ ! -s "$work/calls" ] || fail "all present: ran $(cat "$work/calls")"

# Packages the build does not use are not installed.
for unused in fluidsynth libgmock-dev; do
  grep -qx "$unused" "$work/installed" && fail "$unused is still installed"
done

[ $failures -eq 0 ] && echo "setup.sh: all cases passed"
exit $((failures > 0))
