#!/usr/bin/env bash
# Builds Kestrelvox and runs it on the embedded demo handset: the build lays
# out a fresh device prefix in build/demo-prefix, and this shows the
# signature database that the loader reads from it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

export KESTRELVOX_PREFIX="$PWD/build/demo-prefix"
build/tools/tarnsig list "$KESTRELVOX_PREFIX/store/Program Files/Quellbrin/VirusDB.dat"
