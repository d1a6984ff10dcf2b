#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root. Does nothing
# (and reaches no network) when everything is present already.
set -euo pipefail

packages=(
  bash coreutils findutils grep sed util-linux passwd procps libc-bin
  cmake make g++ googletest python3 clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth fonts-arphic-uming locales
  git openssl osslsigncode unzip
)

missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
  echo "install-deps: missing packages: ${missing[*]} (run this as root to install them)" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update
# With recommends: the Wine that the tests were measured with brings its
# fonts and libraries that way.
apt-get install -y "${missing[@]}"
