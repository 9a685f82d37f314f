#!/usr/bin/env bash
# Builds Info-ZIP's UnZip and Zip for Windows, the peers gui_bench.sh runs under Wine beside
# marlox.exe, from Debian's own source packages with the project's MinGW compiler:
#   build/win-peers/ARCH/unzip.exe   UnZip's win32/Makefile.gcc, C only (no assembler)
#   build/win-peers/ARCH/zip.exe     Zip's win32/makefile.gcc, C only (no assembler)
#   build/win-peers/ARCH/sources.txt which source and Debian changes each was built from
# ARCH is win32 (i686-w64-mingw32) or win64 (x86_64-w64-mingw32), the kind of marlox.exe being
# measured. A program already built is kept, so only the first run fetches and compiles. Where
# one cannot be built, build/win-peers/ARCH/NAME.failed says why, and the script goes on.
#
# The source is the version of the package installed for the native peer; where Debian's mirror
# no longer holds a piece of it (the upstream tarball or the Debian changes), the same piece of
# another version of the same upstream release that apt knows stands in, and sources.txt says so.
#
# Usage: bench/win_peers.sh ARCH (needs deb-src lines, as scripts/setup.sh adds).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=$1
case "$arch" in
win32) cross=i686-w64-mingw32 ;;
win64) cross=x86_64-w64-mingw32 ;;
*)
    echo "usage: $0 win32|win64" >&2
    exit 2
    ;;
esac
out=$root/build/win-peers/$arch
mkdir -p "$out"

# source_of PKG DIR: the upstream tarball and Debian's changes of PKG unpacked into DIR/src and
# Debian's patches applied; which they were in DIR/source.
source_of() {
    local pkg=$1 dir=$2 installed v orig="" debian="" upstream patch
    installed=$(dpkg-query -W -f '${Version}' "$pkg" 2>/dev/null || true)
    mkdir -p "$dir/fetch"
    for v in $installed $(apt-cache showsrc "$pkg" | awk '/^Version:/ { print $2 }'); do
        (cd "$dir/fetch" && apt-get source --download-only "$pkg=$v") >>"$dir/fetch.log" 2>&1 || true
        orig=$(find "$dir/fetch" -name "${pkg}_*.orig.tar.*" | sort | head -n 1)
        [ -n "$orig" ] || continue
        upstream=$(basename "$orig")
        upstream=${upstream#"${pkg}_"}
        upstream=${upstream%.orig.tar.*}
        # Debian's changes of the installed version first, else of the newest one fetched.
        debian=$(find "$dir/fetch" -name "${pkg}_$installed.debian.tar.*" | head -n 1)
        [ -n "$debian" ] || debian=$(find "$dir/fetch" -name "${pkg}_$upstream-*.debian.tar.*" | sort -V | tail -n 1)
        [ -n "$debian" ] && break
    done
    if [ -z "$orig" ] || [ -z "$debian" ]; then
        echo "apt-get source could not fetch the source of $pkg (installed: ${installed:-none}):" \
            "$(grep -E '^(E|Err):' "$dir/fetch.log" | sort -u | tr '\n' ' ')"
        return 1
    fi
    mkdir -p "$dir/src"
    tar -xf "$orig" -C "$dir/src" --strip-components=1
    tar -xf "$debian" -C "$dir/src"
    if [ -f "$dir/src/debian/patches/series" ]; then
        while read -r patch _; do
            case "$patch" in '' | '#'*) continue ;; esac
            patch -d "$dir/src" -p1 -s <"$dir/src/debian/patches/$patch" || {
                echo "Debian's patch $patch of $pkg does not apply"
                return 1
            }
        done <"$dir/src/debian/patches/series"
    fi
    echo "$pkg: $(basename "$orig") with $(basename "$debian") (installed natively: ${installed:-none})" \
        >"$dir/source"
}

# build NAME PKG MAKE-ARGUMENTS...: NAME.exe from PKG's source with make, into $out.
build() {
    local name=$1 pkg=$2 dir
    shift 2
    [ -f "$out/$name.exe" ] && return 0
    rm -f "$out/$name.failed"
    dir=$(mktemp -d "$out/$name-build-XXXXXX")
    if source_of "$pkg" "$dir" >"$dir/why" 2>&1 &&
        make -C "$dir/src" -j "$(nproc)" "$@" "$name.exe" >"$dir/make.log" 2>&1; then
        cp "$dir/src/$name.exe" "$out/$name.exe"
        cat "$dir/source" >>"$out/sources.txt"
    else
        [ -s "$dir/why" ] || echo "make failed: $(grep -m 3 -E 'error|Error' "$dir/make.log" | tr '\n' ' ')" >"$dir/why"
        cp "$dir/why" "$out/$name.failed"
        echo "win_peers: no $name.exe: $(cat "$out/$name.failed")" >&2
    fi
    rm -rf "${dir:?}"
}

# Macros of both (UnZip's __G, Zip's names in zip.h) clash with what MinGW's windows.h brings
# in unless windows.h comes first.
build unzip unzip -f win32/Makefile.gcc CC="$cross-gcc" AR="$cross-ar" RC="$cross-windres" \
    NOASM=1 CC_CPU_OPT= LOCFLAGS="-include windows.h"
build zip zip -f win32/makefile.gcc CC="$cross-gcc" RC="$cross-windres" LOCAL_ZIP="-DNO_ASM -include windows.h" OBJA= CRCA_O=
