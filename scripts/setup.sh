#!/usr/bin/env bash
# Installs the Debian packages Ambrelin needs to build, test and run.
# Safe to run again: packages already installed are skipped.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev libjpeg62-turbo-dev libgtest-dev
  xvfb xauth fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
