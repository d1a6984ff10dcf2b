#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, as root, and
# generates the locales that give Wine its code pages: zh_TW.UTF-8 for 950
# and hi_IN.UTF-8 for 65001 (UTF-8, a language without an ANSI code page of
# its own). Without them Wine runs with code page 1252 and says nothing. Does
# nothing (and reaches no network) when everything is present already.
set -euo pipefail

packages=(
  bash coreutils findutils grep sed util-linux passwd procps libc-bin
  cmake make g++ googletest python3 clang libclang-rt-14-dev clang-format clang-tidy
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth fonts-arphic-uming locales
  git openssl osslsigncode unzip
)

# Each as LANGUAGE_TERRITORY; all of them UTF-8 on the Linux side.
readonly wine_locales=(zh_TW hi_IN)

install_packages() {
  local missing=() package
  for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
  done
  [[ ${#missing[@]} -eq 0 ]] && return
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
}

# `locale -a` spells UTF-8 as "utf8".
has_locale() { locale -a 2>/dev/null | grep -qix "$1.utf8"; }

generate_locale() { # language_territory
  has_locale "$1" && return
  if [[ $(id -u) -ne 0 ]]; then
    echo "install-deps: the locale $1.UTF-8 is missing (run this as root to generate it)" >&2
    exit 1
  fi
  echo "install-deps: generating the locale $1.UTF-8"
  localedef -i "$1" -f UTF-8 "$1.UTF-8"
  has_locale "$1" || { echo "install-deps: the locale $1.UTF-8 could not be generated" >&2; exit 1; }
}

install_packages
for locale_name in "${wine_locales[@]}"; do generate_locale "$locale_name"; done
