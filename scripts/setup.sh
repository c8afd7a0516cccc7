#!/usr/bin/env bash
# Installs every Debian package the project builds, tests or benchmarks with.
# As root it installs what is missing with apt-get; otherwise it only reports it.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libode-dev libpng-dev zlib1g-dev
  libsdl2-dev libopenal-dev libvorbis-dev
  libegl-dev libegl-mesa0 libgl1-mesa-dri libgtk-3-dev xvfb xauth
  libzip-dev rapidjson-dev
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "setup: missing packages (run as root to install): ${missing[*]}" >&2
  exit 1
fi
