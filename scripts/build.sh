#!/usr/bin/env bash
# Configures and builds everything into build/:
#   build/host   native build of the portable code and the host tests (ASan, UBSan)
#   build/win    the Windows build the Windows and end-to-end tests run under Wine
#   build/win32  marlox.exe for 32-bit Windows, when build/win is not already that build
#   build/unrar-src  the UnRAR source both Windows builds make UnRAR.dll from (fetched once)
# Wine runs 32-bit programs only where the machine can execute 32-bit x86 code; elsewhere the
# tests run a 64-bit build of the same sources under 64-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    test_arch=i686
else
    test_arch=x86_64
fi

configure() {
    local dir=$1
    shift
    cmake -S "$root" -B "$dir" -G Ninja "$@" >/dev/null
}

# Both Windows builds share one copy of the UnRAR source; the first configure fetches it.
unrar_src=(-DMARLOX_UNRAR_SOURCE_DIR="$root/build/unrar-src")
configure build/win -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$test_arch.cmake" \
    "${unrar_src[@]}"
configure build/host -DCMAKE_BUILD_TYPE=Debug -DMARLOX_WINDOWS_BUILD_DIR="$root/build/win"
cmake --build build/host -j "$jobs"
cmake --build build/win -j "$jobs"
if [ "$test_arch" != i686 ]; then
    configure build/win32 -DCMAKE_BUILD_TYPE=Release -DMARLOX_TESTS=OFF \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" "${unrar_src[@]}"
    cmake --build build/win32 -j "$jobs" --target marlox
fi
