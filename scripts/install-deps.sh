#!/usr/bin/env bash
# Installs everything the editor, its tools and its tests need on Debian 12.
# The one list of packages: the run and test scripts both call this.
set -euo pipefail
PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libdeflate-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libgtest-dev libbenchmark-dev
  fonts-dejavu-core fonts-liberation2
  xvfb xauth xdotool openbox x11-utils libxcb1-dev clang-format locales
  desktop-file-utils appstream
  clang libclang-rt-14-dev lld
  libwayland-dev wayland-protocols sway grim xwayland qt6-wayland
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi

# The tests check number reading under a comma-decimal locale, as a Russian
# desktop uses; generate one when it is missing.
if ! locale -a 2>/dev/null | grep -qi '^ru_RU\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
