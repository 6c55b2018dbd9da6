# Sourced by ./run, ./test and the benchmarks: a display and a Wine prefix for Windows programs.
WINE=/usr/lib/wine/wine64
# 32-bit Windows programs (the release exe) run through Debian's wine32 in the same 64-bit
# prefix, as under WoW64: System32 holds the 64-bit programs, SysWOW64 their 32-bit copies.
WINE32=/usr/lib/wine/wine
WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko prompts: nothing here needs them, and a prompt would wait for ever.
export WINEDLLOVERRIDES="mscoree,mshtml="
# An English (US) user locale, so that dates and code pages are the same on every machine.
export LANG=C.UTF-8 LC_ALL=C.UTF-8

XVFB_PID=""

# Starts Xvfb on a free display unless a usable display is already set ("new": always start
# one, for tests that run beside others and must not share their keyboard and mouse).
ensure_display() {
  if [ "${1:-}" != new ] && [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  Xvfb ":${n}" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":${n}"
  for _ in $(seq 1 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on ${DISPLAY}" >&2
  return 1
}

stop_display() {
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
  fi
}

# Makes a fresh Wine prefix at $1 (removing what was there) and exports WINEPREFIX.
fresh_prefix() {
  export WINEPREFIX="$1"
  if [ -d "$WINEPREFIX" ]; then
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$WINE" wineboot -i >/dev/null 2>&1
  no_crash_debugger
  "$WINESERVER" -w
}

# An unhandled exception ends its program at once instead of starting winedbg, which under
# emulation cannot attach and waits for ever. Both registry views: a 32-bit program reads the
# WoW64 one.
no_crash_debugger() {
  local reg key='Microsoft\Windows NT\CurrentVersion\AeDebug'
  reg=$(mktemp --suffix=.reg)
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\%s]\n"Debugger"=""\n\n' "$key" >"$reg"
  printf '[HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\%s]\n"Debugger"=""\n' "$key" >>"$reg"
  "$WINE" reg import "Z:$(echo "$reg" | tr '/' '\\')" >/dev/null 2>&1
  rm -f "$reg"
}

# Uses the prefix at $1, making it when it does not exist yet.
use_prefix() {
  export WINEPREFIX="$1"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    fresh_prefix "$1"
  elif ! grep -q '^"Debugger"=""' "$WINEPREFIX/system.reg"; then
    no_crash_debugger
  fi
}

# Sets the display's DPI of the current prefix (read by programs when they start).
set_dpi() {
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  "$WINESERVER" -w
}

# How the i686 build runs here: "i686 native", or "i686 emulated" where wine32's loader runs
# under qemu-i386 (scripts/wine32-emulation.sh, which ./setup installs where it is needed).
wine32_mode() {
  if [ "$(dpkg-divert --truename "$WINE32" 2>/dev/null)" != "$WINE32" ]; then
    echo "i686 emulated"
  else
    echo "i686 native"
  fi
}
