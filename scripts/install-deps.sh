#!/usr/bin/env bash
# Installs, with apt-get, whichever of Tolvane's build, test and run dependencies are missing.
# On a machine that already has them all it only asks dpkg and returns in seconds.
set -euo pipefail

packages=(
  cmake g++ ninja-build pkg-config clang-format clang-tidy clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libqt6opengl6-dev qt6-svg-dev
  libpugixml-dev libcurl4-openssl-dev libjpeg62-turbo-dev libsdl2-mixer-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  python3 python3-aiosmtpd
  util-linux xdg-utils
  xvfb xauth x11-utils openbox trayer xdotool imagemagick fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
