#!/usr/bin/env bash
# Builds Kestrelvox and runs its main job on the embedded demo handset: the
# build lays out a fresh device prefix in build/demo-prefix; a demo Trojan
# program is started from the store; then the silent self scan
# (tarnwatch -autocheck) ends it, deletes the Trojan files the database
# names with their companions, shows its boxes on the console, and the
# activity log is printed as text. Then a signed database update from a
# local server (python3's http.server): the build's newer demo database,
# signed with the demo key whose public half is the prefix's trust key, is
# installed; a forged copy is refused; a rollback restores the old one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what the demo runs: the two programs and the demo prefix (which
# draws the skin); no tests, no benchmarks.
cmake --build build -j "$(nproc)" --target tarnwatch tarnsig demo-prefix

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
KESTRELVOX_UI=console build/tools/tarnwatch -autocheck </dev/null || status=$?
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

# A local update server answering the update's three requests from DIR:
# VirusDB.dat's first line, VirusDB.dat and VirusDB.dat.sig.
start_update_server() {
  python3 - "$1" > "$2" <<'PY' &
import http.server, pathlib, sys
folder = pathlib.Path(sys.argv[1])
class Answer(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        database = (folder / "VirusDB.dat").read_bytes()
        body = {"/avupd/reqver.php?sys=wm": database.split(b"\r\n")[0],
                "/avupd/reqavdb.php?sys=wm": database,
                "/avupd/reqavdb.php?sys=wm&sig=ed25519":
                    (folder / "VirusDB.dat.sig").read_bytes()}.get(self.path)
        self.send_response(200 if body is not None else 404)
        self.send_header("Content-Length", str(len(body or b"")))
        self.end_headers()
        self.wfile.write(body or b"")
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(("127.0.0.1", 0), Answer)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
  serverPid=$!
  for _ in $(seq 50); do [ -s "$2" ] && break; sleep 0.1; done
  export KESTRELVOX_UPDATE_URL="http://127.0.0.1:$(head -1 "$2")"
}

if ! command -v python3 >/dev/null; then
  echo "== no python3: the signed update's demo server cannot run =="
  exit 0
fi
work=$(mktemp -d)
trap 'kill "${serverPid:-}" 2>/dev/null; rm -rf "$work"' EXIT
unset http_proxy HTTP_PROXY KESTRELVOX_UPDATE_KEY
echo "== trust key $KESTRELVOX_PREFIX/keys/update.pub: $(cat "$KESTRELVOX_PREFIX/keys/update.pub") =="
echo "== database version before the update: $(head -1 "$database" | tr -d '\r') =="

start_update_server build/demo-update "$work/port"
echo "== tarnsig update from $KESTRELVOX_UPDATE_URL (signed with the demo key) =="
status=0
build/tools/tarnsig update || status=$?
echo "== exit status $status; database version now: $(head -1 "$database" | tr -d '\r') =="
kill "$serverPid"; wait "$serverPid" 2>/dev/null || true

# The same signature over a database whose version line was raised.
mkdir "$work/forged"
sed '1s/^[0-9]*/2147483647/' build/demo-update/VirusDB.dat > "$work/forged/VirusDB.dat"
cp build/demo-update/VirusDB.dat.sig "$work/forged/"
start_update_server "$work/forged" "$work/port2"
echo "== tarnsig update from a server with a forged database =="
status=0
build/tools/tarnsig update || status=$?
echo "== exit status $status; database version still: $(head -1 "$database" | tr -d '\r') =="

echo "== tarnsig update --rollback =="
build/tools/tarnsig update --rollback
echo "== database version now: $(head -1 "$database" | tr -d '\r') =="
