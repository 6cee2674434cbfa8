#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the program and the tests need (only those missing).
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev libqt6sql6-sqlite libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfluidsynth-dev fluidsynth timgm6mb-soundfont libasound2-dev
  qt6-translations-l10n fonts-noto-cjk xvfb xauth
  libquazip1-qt6-dev
  poppler-utils
  # driving the program under Xvfb and taking screenshots of it
  xdotool imagemagick
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

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
