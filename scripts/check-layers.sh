#!/usr/bin/env bash
# Checks the layering of the sources: which folder may include which, who may
# see the pattern engine's private headers, that only the GUI includes Qt,
# and that every library source is named after the header it implements. Every library exports the project
# root as its include path, so the compiler cannot catch a layer reaching
# up; this does, on every `#include "..."` line of every project .cpp/.h.
#
# Plain bash, find and awk, so that it runs first on a fresh machine, before
# anything is installed. Prints one line per violation, "file:line: rule",
# and exits 1 when there is any; prints "layers: ok" otherwise. ROOT, the
# tree to check, defaults to this project (the tests give it a made-up one).
#
# The GUI is every file under ui/ (the top library layer: skinned controls,
# dialogs, the scan dialog, the main window, the interactive start), its
# tests under tests/ui/, and the build-time tools that draw the skin and
# render screenshots (tools/skin_art/, tools/screenshots/); no other file
# includes a Qt header, so the engine and the silent modes never need Qt.
# Every program's main.cpp lives under tools/, the top layer.
#
#   scripts/check-layers.sh [ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

folders=()
for folder in platform resources pattern registry database scan log update app ui tools tests bench; do
  if [ -d "$folder" ]; then folders+=("$folder"); fi
done

find "${folders[@]}" -type f \( -name '*.cpp' -o -name '*.cc' -o -name '*.h' -o -name '*.hpp' \) |
  LC_ALL=C sort | awk '
BEGIN {
  # A folder may include its own headers and those of lower ranks; two
  # folders of one rank stay apart. tests/ and bench/ may include anything
  # and no layer may include them.
  split("platform 0 resources 1 pattern 1 registry 1 database 2 scan 3 log 4 update 4 app 5 ui 6 tools 7", pairs, " ")
  for (i = 1; i in pairs; i += 2) rank[pairs[i]] = pairs[i + 1]
  anywhere["tests"] = 1
  anywhere["bench"] = 1
  # Sources named after no header are flagged in these folders only.
  split("platform resources pattern registry database scan log update app ui", names, " ")
  for (i in names) library[names[i]] = 1
  violations = 0
  posix = "^[ \t]*#[ \t]*include[ \t]*<((sys|netinet|arpa|linux)\\/|(unistd|fcntl|poll|dirent|signal|spawn|pthread|termios|netdb|pwd|grp|dlfcn)\\.h>)"
}

{ files[++count] = $0; present[$0] = 1 }

function top(path) { return substr(path, 1, index(path "/", "/") - 1) }
function folder_of(path) { return sub(/\/[^\/]*$/, "", path) ? path : "." }

# "a/./b/../c.h" -> "a/c.h"
function normalise(path,    parts, n, i, out, depth) {
  n = split(path, parts, "/")
  depth = 0
  for (i = 1; i <= n; i++) {
    if (parts[i] == "" || parts[i] == ".") continue
    if (parts[i] == ".." && depth > 0) { depth--; continue }
    out[++depth] = parts[i]
  }
  path = ""
  for (i = 1; i <= depth; i++) path = path (i > 1 ? "/" : "") out[i]
  return path
}

# Includes are written from the project root; one that is not is taken
# relative to the including file, as the compiler does, when it starts with
# "." or that file exists.
function resolve(file, included,    beside) {
  if ((top(included) in rank) || (top(included) in anywhere)) return normalise(included)
  beside = normalise(folder_of(file) "/" included)
  return (beside in present || included ~ /^\.\.?\//) ? beside : normalise(included)
}

function report(file, line, rule) {
  print file ":" line ": " rule
  violations++
}

function check_include(file, line, target,    from, to) {
  if (target ~ /^pattern\/internal\// && file !~ /^(pattern|tests\/pattern|tests\/fuzz|bench)\//) {
    report(file, line, "includes " target \
           ": pattern/internal/ is for pattern/, tests/pattern/, tests/fuzz/ and bench/ only")
  }
  from = top(file)
  to = top(target)
  if (from in anywhere || from == to) return
  if (to in anywhere) {
    report(file, line, from " may not include " target ": " to "/ is above every layer")
  } else if ((to in rank) && rank[to] >= rank[from]) {
    report(file, line, from " (layer " rank[from] ") may not include " target \
           " (" to ", layer " rank[to] ")")
  }
}

# x_y_z.cpp implements x_y_z.h, x_y.h or x.h beside it.
function check_name(file,    folder, stem, tried, candidate) {
  folder = folder_of(file)
  stem = substr(file, length(folder) + 2)
  sub(/\.cpp$/, "", stem)
  tried = ""
  while (stem != "") {
    candidate = folder "/" stem ".h"
    if (candidate in present) return
    tried = tried (tried == "" ? "" : ", ") stem ".h"
    if (!sub(/_[^_]*$/, "", stem)) break
  }
  report(file, 1, "implements no header: none of " tried " in " folder "/")
}

END {
  for (i = 1; i <= count; i++) {
    file = files[i]
    number = 0
    while ((getline text < file) > 0) {
      number++
      if (match(text, /^[ \t]*#[ \t]*include[ \t]*"[^"]+"/)) {
        included = substr(text, RSTART, RLENGTH)
        sub(/^[^"]*"/, "", included)
        sub(/"$/, "", included)
        check_include(file, number, resolve(file, included))
      } else if (match(text, /^[ \t]*#[ \t]*include[ \t]*<Q[A-Za-z]*[\/>]/) &&
                 file !~ /^(ui|tests\/ui|tools\/skin_art|tools\/screenshots)\//) {
        included = substr(text, RSTART, RLENGTH)
        sub(/^[^<]*</, "", included)
        sub(/[\/>]$/, "", included)
        report(file, number, "includes <" included ">: Qt is for ui/, tests/ui/ and the build-time tools only")
      } else if (match(text, posix) && file !~ /^(platform|tests|bench)\//) {
        report(file, number, "includes a POSIX or Linux header: only platform/ calls the host")
      } else if (match(text, /^[ \t]*#[ \t]*include[ \t]*<curl\//) && file !~ /^update\//) {
        report(file, number, "includes libcurl: only update/ speaks HTTP")
      }
    }
    close(file)
    if ((top(file) in library) && file ~ /\.cpp$/ && file !~ /(^|\/)main\.cpp$/) check_name(file)
  }
  if (violations > 0) {
    fflush()
    print "layers: " violations " violation(s)" > "/dev/stderr"
    exit 1
  }
  print "layers: ok"
}'
