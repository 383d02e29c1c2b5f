#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the show need.
set -euo pipefail
packages=(
  build-essential cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libglew-dev libgl1-mesa-dev libglu1-mesa-dev
  liboscpack-dev libgtest-dev
  libpng-dev libegl-dev libgl1-mesa-dri libxinerama-dev
  xvfb xdotool x11-utils imagemagick liblo-tools
  clang libclang-rt-14-dev iproute2 util-linux procps
  portaudio19-dev libsndfile1-dev libfftw3-dev libasound2-dev libcli11-dev
  pulseaudio pulseaudio-utils alsa-utils libasound2-plugins sox tmux
  librtmidi-dev libjack-jackd2-dev jackd2 python3-rtmidi
  libcivetweb-dev libqrencode-dev chromium chromium-driver python3-selenium
  libavcodec-dev libavformat-dev libswresample-dev libavutil-dev libyuv-dev ffmpeg
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
$SUDO apt-get update
# jackd2 asks whether to run with realtime priority: no (the tests run it in
# userspace), asked ahead so the install stays non-interactive.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
