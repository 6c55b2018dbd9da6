#!/usr/bin/env bash
# Checks the house rule for code that the system calls: the whole body of every window,
# dialog, enumeration, hook, timer and thread procedure is one call of ui::AtBoundary, so that
# nothing thrown reaches a frame of the system (the 32-bit build cannot unwind through one:
# the program would end). Procedures are found by their calling convention (CALLBACK, WINAPI,
# and STDMETHODCALLTYPE for the methods of COM objects that the system and other processes
# call) and, for threads of the C++ library, by std::thread; a procedure's first statement must
# be that call. WinMain is where the program starts, not a callback.
#   scripts/check_boundaries.sh
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard \
  'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' | sort -u |
  while read -r f; do [ -f "$f" ] && echo "$f"; done)

found=$(mktemp)
trap 'rm -f "$found"' EXIT
# Prints "file:line: name" for every procedure whose first statement is not AtBoundary, and
# a count of the procedures checked on the last line.
awk '
  FNR == 1 { pending = ""; signature = "" }
  # The first line of code after the opening of a procedure decides.
  pending != "" {
    line = $0
    sub(/^[ \t]+/, "", line)
    if (line == "" || line ~ /^\/\//) next
    if (line !~ /^(return )?(ui::)?AtBoundary(<[A-Za-z_]+>)?\(/) print pending
    pending = ""
    next
  }
  # A signature that goes on over more lines: its body opens where it ends; a ";" first
  # makes it a declaration.
  signature != "" {
    if (/;[ \t]*$/) { signature = ""; next }
    if (/\{[ \t]*$/) { checked++; pending = signature; signature = "" }
    next
  }
  /(CALLBACK|WINAPI|STDMETHODCALLTYPE|STDMETHODIMP)[ \t]+[A-Za-z_:]+\(/ && !/WinMain/ && !/;[ \t]*$/ {
    if (/\{[ \t]*$/) {
      checked++
      pending = FILENAME ":" FNR ": " $0
    } else if (!/\)[ \t]*(const[ \t]*)?(override[ \t]*)?$/ || /\($/ || /,[ \t]*$/) {
      signature = FILENAME ":" FNR ": " $0
    }
    next
  }
  /std::thread\(\[/ && /\{[ \t]*$/ {
    checked++
    pending = FILENAME ":" FNR ": " $0
    next
  }
  END { print "checked " checked + 0 }
' "${files[@]}" >"$found"
checked=$(tail -n 1 "$found" | cut -d' ' -f2)
bad=$(head -n -1 "$found")
if [ -z "$bad" ]; then
  echo "boundaries: $checked procedures called by the system, each one call of AtBoundary"
  exit 0
fi
echo "$bad" | sed 's/^/not at the boundary: /'
echo "boundaries: $(echo "$bad" | wc -l) of $checked procedures do not start with AtBoundary"
exit 1
