#!/usr/bin/env bash
# wine32 (the loader of 32-bit Windows programs) is itself a 32-bit Linux program. Some
# kernels run no 32-bit code at all; there it runs under qemu-i386, put in front of it as:
#   /usr/lib/wine/wine           a wrapper that starts the real loader under qemu-i386
#   /usr/lib/wine/wine.distrib   the real loader, moved aside by a local dpkg diversion (so
#                                an upgrade of wine32 lands there and the wrapper stays)
#   /usr/local/lib/dorvane-wine32/
#     qemu-i386                  taken from the backports suite's qemu-user package (the
#                                point release's 7.2 takes about a minute to start Wine)
#     trapno.so                  built from wine32-trapno.c: qemu leaves the trap number of a
#                                fault's signal context unset, which Wine's handler needs
#
#   wine32-emulation.sh auto      installs or refreshes it where it is needed or already there
#   wine32-emulation.sh install   installs it (refreshes what is there; quick when all is)
#   wine32-emulation.sh remove    puts wine32 back as its package installed it
#   wine32-emulation.sh status    prints "native", "emulated" or "refused" (no emulation yet)
# DORVANE_WINE32_EMULATION=1 makes "auto" install it on a kernel that runs 32-bit code too.
set -euo pipefail

LOADER=/usr/lib/wine/wine
REAL_LOADER=/usr/lib/wine/wine.distrib
LIB_DIR=/usr/local/lib/dorvane-wine32
QEMU=$LIB_DIR/qemu-i386
PRELOAD=$LIB_DIR/trapno.so
SOURCE=$(cd "$(dirname "$0")" && pwd)/wine32-trapno.c

say() { echo "wine32 emulation: $*" >&2; }
die() { say "$*"; exit 1; }

is_diverted() { [ "$(dpkg-divert --truename "$LOADER")" != "$LOADER" ]; }

# Whether the kernel runs the real loader, a 32-bit program, itself.
kernel_refuses_32bit() {
  local real=$LOADER out
  is_diverted && real=$REAL_LOADER
  [ -x "$real" ] || return 1
  out=$("$real" --version 2>&1) && return 1
  grep -qi "exec format error" <<<"$out"
}

status() {
  if is_diverted; then
    echo emulated
  elif kernel_refuses_32bit; then
    echo refused
  else
    echo native
  fi
}

# The loader re-executes itself once at start, through this wrapper again; the library takes
# itself out of the environment, so each start hands it to the emulator afresh.
wrapper_text() {
  cat <<EOF
#!/bin/sh
# Dorvane's set-up: runs wine32's loader under qemu-i386, for a kernel that runs no 32-bit
# code (scripts/wine32-emulation.sh in Dorvane's sources; its "remove" undoes this).
exec $QEMU -0 $LOADER -E LD_PRELOAD=$PRELOAD \\
  $REAL_LOADER "\$@"
EOF
}

# Moves a file made beside its target over it in one rename, so the target is never missing.
replace_file() {  # target mode (content on stdin)
  local tmp
  tmp=$(mktemp "$(dirname "$1")/.dorvane.XXXXXX")
  cat >"$tmp"
  chmod "$2" "$tmp"
  mv -f "$tmp" "$1"
}

is_elf() { [ "$(head -c 4 "$1" 2>/dev/null | od -An -c | tr -d ' ')" = '177ELF' ]; }

apt_install() {
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$@" >&2
}

# Takes qemu-i386 out of the backports suite's qemu-user package through an apt set-up of
# its own (sources list, lists, cache), so the machine's own sources stay as they are.
fetch_qemu() (
  local work codename arch mirror
  work=$(mktemp -d)
  # shellcheck disable=SC2064
  trap "rm -rf '$work'" EXIT
  codename=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
  [ -n "$codename" ] || die "cannot tell this system's release"
  arch=$(dpkg --print-architecture)
  # shellcheck disable=SC2016  # apt's own format fields
  mirror=$(apt-get indextargets --format '$(REPO_URI)' "Codename: $codename" "Label: Debian" \
    2>/dev/null | head -n 1)
  mirror=${mirror:-http://deb.debian.org/debian/}
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/parts"
  echo "deb [arch=$arch signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror" \
    "$codename-backports main" >"$work/sources.list"
  local opts=(
    -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts="$work/parts"
    -o Dir::Etc::Preferences="$work/parts/none" -o Dir::Etc::PreferencesParts="$work/parts"
    -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/cache"
    -o APT::Architectures::="$arch" -o APT::Sandbox::User=root -q
  )
  say "fetching qemu-i386 from $codename-backports"
  apt-get "${opts[@]}" update >&2 || die "cannot read $codename-backports from $mirror"
  (cd "$work" && apt-get "${opts[@]}" download "qemu-user/$codename-backports" >&2) ||
    die "cannot download qemu-user from $codename-backports"
  dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >"$work/qemu-i386"
  chmod 755 "$work/qemu-i386"
  "$work/qemu-i386" --version >/dev/null || die "the fetched qemu-i386 does not run"
  mkdir -p "$LIB_DIR"
  replace_file "$QEMU" 755 <"$work/qemu-i386"
)

build_preload() {
  local out
  command -v gcc >/dev/null || apt_install gcc
  out=$(mktemp)
  # No 32-bit C library is needed: the source includes no header and links to nothing.
  gcc -m32 -shared -fPIC -nostdlib -ffreestanding -fno-stack-protector -O2 -Wall -Wextra \
    -Werror -o "$out" "$SOURCE" || { rm -f "$out"; die "cannot build $SOURCE"; }
  mkdir -p "$LIB_DIR"
  replace_file "$PRELOAD" 644 <"$out"
  rm -f "$out"
  cp "$SOURCE" "$LIB_DIR/trapno.c"
}

install() {
  # Wine would start a preloader directly, past the wrapper.
  if dpkg-query -W -f='${Status}' wine32-preloader 2>/dev/null | grep -q "ok installed"; then
    say "removing wine32-preloader (it would bypass the emulator)"
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -q wine32-preloader >&2
  fi
  if ! "$QEMU" --version >/dev/null 2>&1; then fetch_qemu; fi
  if ! cmp -s "$SOURCE" "$LIB_DIR/trapno.c" || [ ! -f "$PRELOAD" ]; then build_preload; fi

  if ! is_diverted; then
    is_elf "$LOADER" || die "$LOADER is not wine32's loader; reinstall wine32:i386"
    say "diverting $LOADER to $REAL_LOADER"
    dpkg-divert --local --no-rename --divert "$REAL_LOADER" --add "$LOADER" >&2
    cp -a "$LOADER" "$REAL_LOADER"
  elif ! is_elf "$REAL_LOADER"; then
    # A diversion without the loader beside it (an install cut short, say).
    if is_elf "$LOADER"; then
      cp -a "$LOADER" "$REAL_LOADER"
    else
      say "reinstalling wine32 to restore $REAL_LOADER"
      apt_install --reinstall wine32:i386
    fi
  fi
  if ! wrapper_text | cmp -s - "$LOADER"; then
    wrapper_text | replace_file "$LOADER" 755
  fi
  "$LOADER" --version >/dev/null || die "$LOADER does not start under emulation"
}

remove() {
  if is_diverted; then
    is_elf "$REAL_LOADER" || die "$REAL_LOADER is missing; reinstall wine32:i386 after this"
    cp -a "$REAL_LOADER" "$LOADER.dorvane-real"
    mv -f "$LOADER.dorvane-real" "$LOADER"
    dpkg-divert --local --no-rename --remove "$LOADER" >&2
    rm -f "$REAL_LOADER"
    say "$LOADER is wine32's own loader again"
  fi
  rm -rf "$LIB_DIR"
}

case "${1:-}" in
  auto)
    if is_diverted || [ "${DORVANE_WINE32_EMULATION:-0}" = 1 ] || kernel_refuses_32bit; then
      install
    fi
    ;;
  install) install ;;
  remove) remove ;;
  status) status ;;
  *) die "usage: $0 auto|install|remove|status" ;;
esac
