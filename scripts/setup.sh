#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent: installs only what is missing, as root or through sudo.
set -euo pipefail

packages=(
  g++ make cmake ninja-build clang-format pkg-config
  qtbase5-dev qtdeclarative5-dev libeigen3-dev libfmt-dev libcli11-dev zlib1g-dev libgif-dev
  libgtest-dev libgmock-dev libbenchmark-dev libvtk9-dev libvtk9-qt-dev libopenmpi-dev libassimp-dev libopenigtlink-dev
  xvfb xauth
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
