#!/usr/bin/env bash
# Checks the release dorvane.exe (i686) from its headers, without running it: 32-bit GUI
# program, large-address-aware, ASLR and DEP on, no symbols, only system DLLs imported, and
# under 1 MB.
#   scripts/check_release_exe.sh build/i686/dorvane.exe
set -uo pipefail

exe=${1:-}
OBJDUMP=${OBJDUMP:-i686-w64-mingw32-objdump}
if [ -z "$exe" ] || [ ! -f "$exe" ]; then
  echo "release exe: no such file: ${exe:-(none given)}" >&2
  exit 2
fi
if ! headers=$("$OBJDUMP" -p "$exe" 2>&1); then
  echo "release exe: $OBJDUMP -p failed: $headers" >&2
  exit 2
fi
sections=$("$OBJDUMP" -h "$exe" 2>/dev/null)

passed=0
failed=()
check() {  # description, then a command that succeeds when the check holds
  local what=$1; shift
  if "$@"; then
    echo "ok   $what"
    passed=$((passed + 1))
  else
    echo "FAIL $what"
    failed+=("$what")
  fi
}
has() { grep -Eq "$1" <<<"$headers"; }

pe32() { has 'file format pei-i386' && has '^Magic[[:space:]]+010b'; }
gui() { has '^Subsystem[[:space:]].*\(Windows GUI\)'; }
laa() { has '^[[:space:]]+large address aware$'; }
# Without a relocation section the loader cannot move the image, whatever the flag says.
aslr() { has '^[[:space:]]+DYNAMIC_BASE$' && ! has 'Entry 5 0+ 0+ Base Relocation'; }
dep() { has '^[[:space:]]+NX_COMPAT$'; }
stripped() { has '^[[:space:]]+symbols stripped$' && ! grep -q ' \.debug_' <<<"$sections"; }

# The DLLs every Windows since 7 has; the C runtime is linked in statically but for msvcrt.
SYSTEM_DLLS='^(kernel32|user32|gdi32|shell32|comctl32|comdlg32|ole32|oleaut32|oleacc|advapi32|msvcrt|api-ms-win-.*)\.dll$'
foreign_dlls=""
system_imports() {
  local names
  names=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr -d '\r')
  [ -n "$names" ] || { foreign_dlls="(no import table found)"; return 1; }
  foreign_dlls=$(grep -Eiv "$SYSTEM_DLLS" <<<"$names" | sort -u | paste -sd' ')
  [ -z "$foreign_dlls" ]
}

check "PE32 image (file format pei-i386)" pe32
check "subsystem Windows GUI" gui
check "large-address-aware" laa
check "ASLR: DYNAMIC_BASE with a relocation section" aslr
check "DEP: NX_COMPAT" dep
check "stripped: no symbols, no debug sections" stripped
# Keeps the pictures compressed: as BMPs they alone came to 2.4 MB.
MAX_BYTES=1048576
size=$(stat -c %s "$exe")
small() { [ "$size" -lt "$MAX_BYTES" ]; }
check "under 1 MB: $size of $MAX_BYTES bytes" small
if system_imports; then
  echo "ok   imports only system DLLs: $(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | paste -sd' ')"
  passed=$((passed + 1))
else
  echo "FAIL imports only system DLLs: not allowed: $foreign_dlls"
  failed+=("system DLL imports")
fi

if [ ${#failed[@]} -eq 0 ]; then
  echo "release exe: $passed checks passed ($size bytes)"
  exit 0
fi
echo "release exe: ${#failed[@]} of $((passed + ${#failed[@]})) checks failed: $(IFS=';'; echo "${failed[*]}")"
exit 1
