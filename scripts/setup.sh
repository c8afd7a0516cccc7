#!/usr/bin/env bash
# Installs every Debian package the project builds, tests or benchmarks with.
# As root it installs what is missing with apt-get; otherwise it only reports it.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libode-dev libpng-dev zlib1g-dev
  libsdl2-dev libopenal-dev libvorbis-dev
  libegl-dev libegl-mesa0 libgl1-mesa-dri libepoxy-dev libgtk-3-dev xvfb xauth
  libzip-dev rapidjson-dev
  libfreetype-dev fonts-dejavu-core
  clang libclang-rt-14-dev
  python3
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

# Another package manager (an unattended upgrade, a second build) may hold apt's
# locks: apt-get waits for the dpkg lock itself (DPkg::Lock::Timeout), and a command
# that still fails on a lock (the package lists' lock of "update" has no timeout) is
# tried again until the same time has passed. FERNWOLD_APT_LOCK_WAIT sets the seconds.
lock_wait="${FERNWOLD_APT_LOCK_WAIT:-600}"
apt_get() {
  local start=$SECONDS out status told=0
  while :; do
    status=0
    out=$(apt-get -o DPkg::Lock::Timeout="$lock_wait" "$@" 2>&1) || status=$?
    [ "$status" -eq 0 ] && return 0
    if grep -qiE 'could not (get|open) lock|unable to (lock|acquire)' <<<"$out" &&
      [ $((SECONDS - start)) -lt "$lock_wait" ]; then
      if [ "$told" -eq 0 ]; then
        echo "setup: another package manager holds apt's lock; waiting up to ${lock_wait}s" >&2
        told=1
      fi
      sleep 5
      continue
    fi
    printf '%s\n' "$out" >&2
    return "$status"
  done
}

if [ "$(id -u)" -eq 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "setup: missing packages (run as root to install): ${missing[*]}" >&2
  exit 1
fi
