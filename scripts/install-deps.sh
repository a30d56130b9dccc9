#!/usr/bin/env bash
# Installs what building, running and testing Tinselwick needs on Debian 12.
# Idempotent: packages already present are left alone. Runs as root, or through sudo.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcsv-dev libssl-dev
  libcurl4-openssl-dev python3-aiosmtpd openssl
  qtkeychain-qt6-dev
  clang libclang-rt-14-dev clang-format-14
  xvfb xauth xdotool imagemagick poppler-utils
  fonts-dejavu-core fonts-liberation2
  librsvg2-bin gzip
  desktop-file-utils appstream shared-mime-info libglib2.0-bin groff-base groff
  lintian dpkg-dev file
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
