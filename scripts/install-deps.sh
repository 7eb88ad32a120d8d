#!/bin/bash
# Installs every Debian package the build, the editor and the tests need,
# and the decimal-comma locale the save tests use. Skips apt when all is there.
set -euo pipefail

PACKAGES=(
  cmake g++ make
  libirrlicht-dev libirrlicht-doc libx11-dev
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool xclip x11-utils imagemagick libgl1-mesa-dri
  tango-icon-theme locales python3
  clang libclang-rt-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# A locale whose decimal separator is a comma, for the save round-trip tests.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  $SUDO sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
