#!/usr/bin/env bash
# Builds Kestrelvox and runs it on the embedded demo handset: the build lays
# out a fresh device prefix in build/demo-prefix; this shows the signature
# database the loader reads from it, then checks every file of its store
# against the content signatures.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

export KESTRELVOX_PREFIX="$PWD/build/demo-prefix"
database="$KESTRELVOX_PREFIX/store/Program Files/Quellbrin/VirusDB.dat"
echo "== signature database =="
build/tools/tarnsig list "$database"
echo "== content check of the store =="
cd "$KESTRELVOX_PREFIX/store"
find . -type f ! -path "./Program Files/Quellbrin/*" -print0 | sort -z |
  xargs -0 "$OLDPWD/build/tools/tarnsig" check "$database"
