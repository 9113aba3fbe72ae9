#!/usr/bin/env bash
# Builds Kestrelvox and runs its main job on the embedded demo handset: the
# build lays out a fresh device prefix in build/demo-prefix; a demo Trojan
# program is started from the store; then the silent self scan
# (tarnwatch -autocheck) ends it, deletes the Trojan files the database
# names with their companions, shows its boxes on the console, and the
# activity log is printed as text.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"

export KESTRELVOX_PREFIX="$PWD/build/demo-prefix"
store="$KESTRELVOX_PREFIX/store"
database="$store/Program Files/Quellbrin/VirusDB.dat"
echo "== signature database =="
build/tools/tarnsig list "$database"

# A running program of the store that a process signature names: a copy
# of sleep, with the demo's test string appended so the content check finds
# its file too.
trojan="$store/Program Files/DemoTool/DemoTrojan.exe"
install -m 755 /bin/sleep "$trojan"
printf 'KESTRELVOX-DEMO-TROJAN-TEST-STRING\n' >> "$trojan"
"$trojan" 600 </dev/null >/dev/null 2>&1 &
trojanPid=$!
sleep 0.2  # let it start before the scan lists the processes
echo "== started $trojan (pid $trojanPid) =="

echo "== tarnwatch -autocheck (message boxes answered on the console) =="
status=0
KESTRELVOX_UI=console build/app/tarnwatch -autocheck </dev/null || status=$?
echo "== exit status $status (the handset's -1) =="
if grep -qs '^State:.*[RS]' "/proc/$trojanPid/status"; then
  echo "== the demo Trojan is still running (pid $trojanPid) =="
else
  echo "== the demo Trojan's process was ended =="
fi

echo "== activity log (\\Runeskop.log) =="
iconv -f UTF-16 -t UTF-8 "$store/Runeskop.log" | tr -d '\r'
echo
echo "== what is left in the store =="
(cd "$store" && find . -type f | sort)
