#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need (only those missing).
# Installing needs root: as root it runs apt-get itself, otherwise through sudo; without sudo it
# says what to run as root. Once everything is installed it needs neither root nor the network.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
  libgtest-dev libbenchmark-dev
  libfluidsynth-dev timgm6mb-soundfont libasound2-dev
  qt6-translations-l10n fonts-noto-cjk xvfb xauth
  libquazip1-qt6-dev
  poppler-utils
  # the formatting check of the tests
  clang-format
  # driving the program under Xvfb and taking screenshots of it
  xdotool imagemagick
  # validating the installed desktop entry and metainfo
  desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

install="apt-get install -y --no-install-recommends ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "setup: these Debian packages are missing: ${missing[*]}" >&2
    echo "setup: installing them needs root, and sudo is not available. As root, run:" >&2
    echo "    apt-get update && DEBIAN_FRONTEND=noninteractive $install" >&2
    echo "setup: then run this command again as yourself." >&2
    exit 1
  fi
  sudo=(sudo)
fi

echo "setup: installing ${missing[*]}"
"${sudo[@]}" apt-get update
# Through env: sudo resets the environment, and debconf must not ask questions.
# shellcheck disable=SC2086
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive $install
