#!/usr/bin/env bash
# Runs clang-tidy, with the checks of .clang-tidy, over every project source
# in the compile database of BUILD_DIR, two files at a time, and fails on any
# warning. Only generated sources (those in the build directory) are left
# out. A file's report is printed whole when its run ends, so the two runs'
# reports never interleave.
#
#   scripts/clang-tidy.sh BUILD_DIR
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: scripts/clang-tidy.sh BUILD_DIR" >&2
  exit 2
fi
build=$(cd "$1" && pwd -P)
cd "$(dirname "$0")/.."
root=$(pwd -P)
database=$build/compile_commands.json
if [ ! -f "$database" ]; then
  echo "clang-tidy: no $database: configure $1 with CMake first" >&2
  exit 2
fi

# CMake writes one '"file": "<absolute path>",' line per compile command.
mapfile -t sources < <(sed -n 's/^ *"file": "\(.*\)",\{0,1\}$/\1/p' "$database" |
  awk -v root="$root/" -v build="$build/" 'index($0, root) == 1 && index($0, build) != 1' |
  grep -E '\.(cpp|cc)$' | LC_ALL=C sort -u)
if [ ${#sources[@]} -eq 0 ]; then
  echo "clang-tidy: $database names no project source" >&2
  exit 2
fi

# A clean file prints nothing; a file with a finding prints its report and
# fails. clang-tidy's "N warnings generated" counts suppressed system-header
# warnings too, so only the findings themselves decide.
tidy_one() {
  local report
  # The database holds GCC's flags; those clang lacks are not findings.
  if report=$(clang-tidy -p "$build" --quiet --extra-arg=-Wno-unknown-warning-option "$1" 2>&1) &&
     ! grep -qE ': (warning|error):' <<< "$report"; then
    return 0
  fi
  printf '== %s\n%s\n' "${1#"$root"/}" "$report"
  return 1
}
export -f tidy_one
export build root

echo "clang-tidy: ${#sources[@]} files, two at a time"
if ! printf '%s\0' "${sources[@]}" | xargs -0 -n 1 -P 2 bash -c 'tidy_one "$0"'; then
  echo "clang-tidy: findings above (every check is an error: see .clang-tidy)" >&2
  exit 1
fi
echo "clang-tidy: clean"
