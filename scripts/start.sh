#!/usr/bin/env bash
# Sets up, builds and starts the program. Without a display it runs under a virtual X server.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
program="$root/build/bin/studyaid"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "start: no display found; running under a virtual X server (xvfb-run, 1024x768)"
  exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$program" "$@"
fi
exec "$program" "$@"
