#!/bin/bash
# What sitting idle costs: the program at its main window against a bare window with a 10 ms
# timer that reads the pointer, side by side in one run, each twice, alternating, with the
# pointer still. Counts the CPU of every process of the subject's Wine session (the subject,
# its console host, the Wine server and services) and of its X server, over 30 s; and the
# subject's resident memory.
#   bench/idle.sh [x64] [i686] [seconds]
set -u
cd "$(dirname "$0")/.."
source scripts/wine-env.sh
builds=() secs=30
for a in "$@"; do case $a in x64 | i686) builds+=("$a") ;; *) secs=$a ;; esac; done
[ ${#builds[@]} -eq 0 ] && builds=(x64 i686)
tck=$(getconf CLK_TCK)

# The processes of the session: those started with this prefix, and the X server.
session_pids() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    # The driver that started the program sits in a wait; it is not the subject's cost.
    { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -q 'idle_bench.exe program' && continue
    echo "${p#/proc/}"
  done
  echo "$XVFB_PID"
}
cpu_ticks() {  # pids...
  local t=0 p f
  for p in "$@"; do
    # comm may hold blanks: read from the last ')' on.
    f=$(sed 's/.*) //' "/proc/$p/stat" 2>/dev/null | cut -d' ' -f12,13) || continue
    [ -n "$f" ] && t=$((t + ${f% *} + ${f#* }))
  done
  echo "$t"
}
rss_mb() {  # pattern of the subject's command line
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null | grep -q "$1" || continue
    awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "$p/status"
    return
  done
  echo "?"
}

measure() {  # build subject -> prints "cpu% rssMB"
  local build=$1 subject=$2 loader=$WINE out
  [ "$build" = i686 ] && loader=$WINE32
  ensure_display new >/dev/null
  use_prefix "$PWD/build/wine-idle-$build"
  out=$(mktemp)
  "$loader" "build/$build/bench/idle_bench.exe" "$subject" >"$out" 2>/dev/null &
  local driver=$!
  for _ in $(seq 1 600); do grep -q '^ready' "$out" && break; sleep 0.1; done
  if ! grep -q '^ready' "$out"; then
    echo "- -"
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w 2>/dev/null
    stop_display
    return
  fi
  sleep 5
  local pids a b pattern=dorvane.exe
  [ "$subject" = window ] && pattern='idle_bench.exe window'
  pids=$(session_pids)
  a=$(cpu_ticks $pids)
  sleep "$secs"
  b=$(cpu_ticks $pids)
  echo "$(awk -v d=$((b - a)) -v t="$tck" -v s="$secs" 'BEGIN {printf "%.2f", 100 * d / t / s}') $(rss_mb "$pattern")"
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w 2>/dev/null
  wait "$driver" 2>/dev/null
  stop_display
  rm -f "$out"
}

printf '%-5s %-8s %10s %10s\n' build subject "cpu(%)" "rss(MB)"
for build in "${builds[@]}"; do
  declare -A cpu=() rss=()
  for round in 1 2; do
    for subject in window program; do
      read -r c r < <(measure "$build" "$subject")
      printf '%-5s %-8s %10s %10s\n' "$build" "$subject" "$c" "$r"
      cpu[$subject]="${cpu[$subject]:-} $c"
      rss[$subject]="$r"
    done
  done
  awk -v w="${cpu[window]}" -v p="${cpu[program]}" -v rw="${rss[window]}" -v rp="${rss[program]}" \
    -v b="$build" 'BEGIN {
      n = split(w, a, " "); sw = 0; for (i = 1; i <= n; i++) sw += a[i]; sw /= n
      n = split(p, c, " "); sp = 0; for (i = 1; i <= n; i++) sp += c[i]; sp /= n
      printf "%s: program/window CPU %.2f (%.2f%% against %.2f%% of a core); resident %+.1f MB\n",
             b, (sw > 0 ? sp / sw : 0), sp, sw, rp - rw }'
done
