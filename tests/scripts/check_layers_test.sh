#!/usr/bin/env bash
# End-to-end test of scripts/check-layers.sh: lays out a made-up tree in a
# temporary folder, one file per case, and compares the script's whole
# output and exit status with what each rule must report. Then fixes the
# tree and expects "layers: ok".
#
#   tests/scripts/check_layers_test.sh
set -euo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# lay FILE [INCLUDED...]: FILE with one `#include "INCLUDED"` per line.
lay() {
  local file=$tree/$1; shift
  mkdir -p "$(dirname "$file")"
  echo "// made up for the test" > "$file"
  for included in "$@"; do echo "#include \"$included\"" >> "$file"; done
}

failures=0
expect() {
  local what=$1 status=$2 want=$3 got
  got=$("$script" "$tree" 2>/dev/null) && code=0 || code=$?
  if [ "$code" != "$status" ] || [ "$got" != "$want" ]; then
    echo "FAIL: $what: exit $code (want $status), output:"
    echo "$got"
    echo "-- want:"
    echo "$want"
    failures=$((failures + 1))
  fi
}

# Allowed: own folder, lower ranks, a name prefix header, main.cpp, angle
# brackets, tests and bench reaching anywhere, internal headers where allowed.
lay platform/files.h
lay platform/files_read.cpp platform/files.h
lay resources/strings.h platform/files.h
lay pattern/internal/node.h platform/files.h
lay pattern/compiler.h pattern/internal/node.h
lay scan/matcher.h pattern/compiler.h
lay app/main.cpp scan/matcher.h
lay tools/tarn/main.cpp app/none.h
lay tests/pattern/node_test.cpp pattern/internal/node.h tests/support/tmp.h
lay bench/node_bench.cpp pattern/internal/node.h
lay ui/main_window.h app/settings.h
echo '#include <QWidget>' >> "$tree/ui/main_window.h"
lay tests/ui/main_window_test.cpp ui/main_window.h
echo '#include <QtTest/QTest>' >> "$tree/tests/ui/main_window_test.cpp"
lay app/entry/main.cpp ui/main_window.h
echo '#include <scan/../app/anything.h>' >> "$tree/platform/files.h"
expect "a clean tree" 0 "layers: ok"

# Each line below is one violation the script must find.
lay platform/device.h resources/strings.h
lay resources/menus.h pattern/compiler.h
lay pattern/search.h scan/matcher.h
lay scan/walk.h ../app/context.h
mkdir -p "$tree/log"
printf '  #  include "update/http.h"  // spaced\n' > "$tree/log/log_file.h"
lay update/http.h log/log_file.h
lay tools/tarn/cli.h tests/support/tmp.h
lay tests/scan/walk_test.cpp pattern/internal/node.h
lay scan/scan_driver.cpp scan/matcher.h
lay platform/main_loop.cpp
lay log/scan_view.h
echo '#include <QListWidget>  // a list' >> "$tree/log/scan_view.h"
lay app/gui/window.h
echo '#  include <QtWidgets/QDialog>' >> "$tree/app/gui/window.h"
lay app/window_main.cpp ui/main_window.h
expect "a tree with one of each violation" 1 "\
app/gui/window.h:2: includes <QtWidgets>: Qt is for ui/ and tests/ui/ only
app/window_main.cpp:2: app (layer 4) may not include ui/main_window.h (ui, layer 5)
app/window_main.cpp:1: implements no header: none of window_main.h, window.h in app/
log/log_file.h:1: log (layer 3) may not include update/http.h (update, layer 3)
log/scan_view.h:2: includes <QListWidget>: Qt is for ui/ and tests/ui/ only
pattern/search.h:2: pattern (layer 1) may not include scan/matcher.h (scan, layer 2)
platform/device.h:2: platform (layer 0) may not include resources/strings.h (resources, layer 1)
platform/main_loop.cpp:1: implements no header: none of main_loop.h, main.h in platform/
resources/menus.h:2: resources (layer 1) may not include pattern/compiler.h (pattern, layer 1)
scan/scan_driver.cpp:1: implements no header: none of scan_driver.h, scan.h in scan/
scan/walk.h:2: scan (layer 2) may not include app/context.h (app, layer 4)
tests/scan/walk_test.cpp:2: includes pattern/internal/node.h: pattern/internal/ is for pattern/, tests/pattern/, tests/fuzz/ and bench/ only
tools/tarn/cli.h:2: tools may not include tests/support/tmp.h: tests/ is above every layer
update/http.h:2: update (layer 3) may not include log/log_file.h (log, layer 3)"

if [ "$failures" -gt 0 ]; then
  echo "check_layers_test: $failures case(s) failed"
  exit 1
fi
echo "check_layers_test: every case passed"
