#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (clang-tidy and
# clang-format run in the test command; g++ brings the ThreadSanitizer
# runtime; PCRE2, found through pkg-config, is the benchmark's baseline;
# libcurl carries the database update's HTTP and libsodium checks its
# Ed25519 signatures; Nettle hashes quarantined files; Qt 6 Widgets for the GUI, with
# a font for its offscreen tests and the skin painter, and Xvfb, xauth and
# xwininfo for the GUI's end-to-end test; dpkg-dev, file and groff-base for
# the Debian package's dependency list and man page check), when missing, or the packages
# named as arguments instead (scripts/fuzz.sh asks for clang).
# Non-interactive and idempotent: a machine that has them all is left alone.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config libgtest-dev libbenchmark-dev libpcre2-dev
          clang-tidy clang-format libcurl4-openssl-dev libsodium-dev nettle-dev
          qt6-base-dev qt6-base-dev-tools fonts-dejavu-core xvfb xauth x11-utils
          dpkg-dev file groff-base)
if [ $# -gt 0 ]; then
  packages=("$@")
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
