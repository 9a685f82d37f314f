#!/usr/bin/env bash
# Installs everything Marlox needs to build, run and test on Debian 12 (run as root).
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git python3 clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix libz-mingw-w64-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 fonts-wine fonts-liberation
  xvfb xdotool imagemagick x11-apps
  zlib1g-dev libssl-dev libgtest-dev libgmock-dev googletest
  libunrar-dev libunrar5
  zip unzip 7zip rar unrar gcab cabextract
  tango-icon-theme dpkg-dev
)

missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || echo "$p"
  done
}

# The Windows build fetches the UnRAR source with `apt-get source unrar-nonfree`, so apt must
# know that source package too.
unrar_source_known() {
  apt-cache showsrc unrar-nonfree 2>/dev/null | grep '^Package: unrar-nonfree$' >/dev/null
}

if [ -z "$(missing)" ] && unrar_source_known; then
  exit 0
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
# rar and unrar live in non-free; the RAR library for Windows is built from the unrar source
# package, which needs deb-src lines. Both one-line and deb822 source lists are handled.
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  case "$f" in
    *.sources)
      sed -i -E -e '/^Types:/{/deb-src/!s/$/ deb-src/}' \
                -e '/^Components:/{/non-free( |$)/!s/$/ non-free/}' "$f" ;;
    *)
      sed -i -E -e '/^deb(-src)? /{/ non-free( |$)/!s/$/ non-free/}' "$f"
      grep -q '^deb-src ' "$f" || sed -n -E 's/^deb (.*)$/deb-src \1/p' "$f" >>"$f" ;;
  esac
done
# Another apt run (the machine's own, just after boot) may hold the lock for a while: wait for it.
apt_get() { apt-get -o DPkg::Lock::Timeout=600 "$@"; }
apt_get update -qq
# shellcheck disable=SC2046
apt_get install -y -qq --no-install-recommends $(missing) >/dev/null
