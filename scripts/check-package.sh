#!/usr/bin/env bash
# Checks the installation of an already built tree (default build/) in a few
# seconds: cmake --install into a staging folder and cpack -G DEB must both
# hold exactly the files of dist/package-files.txt with their modes; the
# package must declare its runtime libraries and its conffile; each man page
# must format without warnings; the demo database must lint clean; the
# installed tarnwatch must load its window module.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
expected_list=dist/package-files.txt

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# tarnscan's files count only once its target exists.
if ninja -C "$build" -t query tarnscan >/dev/null 2>&1; then
  grep -v '^#' "$expected_list" | sort -k2 > "$work/expected"
else
  grep -v '^#' "$expected_list" | grep -v tarnscan | sort -k2 > "$work/expected"
fi

compare() {  # compare WHAT ACTUAL-LIST
  if ! diff -u "$work/expected" "$2"; then
    echo "check-package: $1 differs from $expected_list (- expected, + found)" >&2
    exit 1
  fi
}

DESTDIR="$work/stage" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/stage" && find . -type f -printf '%M %P\n' | sort -k2) > "$work/staged"
compare "cmake --install" "$work/staged"

rm -f "$build"/kestrelvox_*.deb
(cd "$build" && cpack -G DEB) > "$work/cpack.log" 2>&1 || { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$build"/kestrelvox_*.deb)
dpkg-deb -c "$deb" | awk '$1 ~ /^-/ { sub(/^\.\//, "", $6); print $1, $6 }' | sort -k2 > "$work/packaged"
compare "$deb" "$work/packaged"

depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libcurl4 libsodium23 libnettle8; do
  if [[ $depends != *"$library"* ]]; then
    echo "check-package: $deb does not depend on $library (Depends: $depends)" >&2
    exit 1
  fi
done
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./conffiles | grep -qx /etc/xdg/autostart/kestrelvox-autocheck.desktop \
  || { echo "check-package: the autostart entry is no conffile" >&2; exit 1; }

for page in "$work"/stage/usr/share/man/man*/*.gz; do
  warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [ -z "$warnings" ] || { echo "check-package: $page: $warnings" >&2; exit 1; }
done

# The installed tarnwatch finds its window module in the package's library
# folder: with no display, the window's start gets as far as the module's
# own display check.
window=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM KESTRELVOX_PREFIX="$work/prefix" \
         "$work/stage/usr/bin/tarnwatch" </dev/null 2>&1 || true)
[[ $window == *"no display to show the window on"* ]] \
  || { echo "check-package: the installed tarnwatch cannot open its window: $window" >&2; exit 1; }

lint=0
"$work/stage/usr/bin/tarnsig" lint "$work/stage/usr/share/kestrelvox/VirusDB.dat" || lint=$?
[ "$lint" -eq 0 ] || { echo "check-package: the demo database does not lint clean" >&2; exit 1; }
echo "check-package: $deb holds the $(wc -l < "$work/expected") files of $expected_list"
