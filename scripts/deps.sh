#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
# Sourced by ./run and ./test; safe to run again.
set -euo pipefail

TORVALY_PACKAGES=(
  cmake ninja-build g++ ccache pkg-config python3
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  nlohmann-json3-dev
  libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev libfreetype-dev libguichan-dev libsimpleini-dev
  zlib1g-dev
  libasio-dev libssl-dev openssl
  xvfb xauth xdotool
  help2man desktop-file-utils appstream man-db
  fonts-wqy-microhei fonts-dejavu-core
)

torvaly_missing_packages() {
  local pkg
  for pkg in "${TORVALY_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
      echo "$pkg"
    fi
  done
}

torvaly_install_deps() {
  local missing
  missing=$(torvaly_missing_packages)
  [ -z "$missing" ] && return 0
  echo "Installing missing packages:" $missing
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
      echo "Need root (or sudo) to install:" $missing >&2
      return 1
    fi
  fi
  $sudo apt-get update -qq
  # shellcheck disable=SC2086
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  torvaly_install_deps
fi
