#!/usr/bin/env bash
# Installs everything Orlinda needs to build, test and run, from Debian's packages.
# Safe to run again: packages already present are skipped quickly.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  zlib1g-dev libbz2-dev libssl-dev
  libgtest-dev libgmock-dev libbenchmark-dev nlohmann-json3-dev
  clang libclang-rt-14-dev
  gzip bzip2 curl ca-certificates openssl
  nginx-light tinyproxy python3 python3-aiosmtpd
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-multimedia-dev qt6-webengine-dev
  libgl-dev qt6-qpa-plugins
  xvfb xauth sox fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
