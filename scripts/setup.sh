#!/usr/bin/env bash
# Installs what building, running and testing Tavik need on Debian 12, once.
# Safe to run again: it does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ libgtest-dev googletest
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64
  wine64 wine32:i386 fonts-wine xvfb xserver-xephyr xauth xdotool x11-utils xclip imagemagick fonts-wqy-microhei locales faketime
  pulseaudio pulseaudio-utils sox python3
  # The 32-bit program's moved wall clock in the tests (tests/tools/clock_shift.c).
  gcc-multilib
  # The publishing tests serve a site through private, loopback-only nginx and Apache servers
  # of their own; where Debian starts services, installing nginx also starts the system one.
  nginx apache2-bin
  # The native publisher's keys and signatures; the openssl command checks a release's
  # signature in release.sh and its test.
  libssl-dev openssl
  # Signing the program in a release (scripts/release.sh) and checking it in its test.
  osslsigncode
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Wine's 32-bit half runs the 32-bit program, the one users get (about 30 s more on a new
# machine; apt brings some 64-bit libraries up to the version of their 32-bit twins).
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# A Chinese system: wine takes its code page (936) and weekday names from this locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  $sudo localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
