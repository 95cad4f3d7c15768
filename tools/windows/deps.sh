#!/usr/bin/env bash
# Builds one of the Windows libraries Quilvar links into PREFIX, a cache folder of its own: qt
# (Qt's base from Debian's qt6-base source, the version of the host's moc and rcc), zlib, libzip
# and libxlsxwriter (from their Debian sources) or googletest (from /usr/src/googletest).
# tools/windows/deps/LIBRARY.sh holds what builds each; this file what they share.
# Usage: deps.sh LIBRARY PREFIX WORKDIR VERSION [DEPENDENCY_PREFIX...]
# PREFIX must hold toolchain.cmake already; the dependencies' folders (zlib's, for libzip and
# libxlsxwriter) are where what the library links is found. Leaves PREFIX/.complete when the
# library is in place.
set -euo pipefail

library=$1 prefix=$2 work=$3 version=$4
shift 4
script=$(cd "$(dirname "$0")" && pwd)/deps/$library.sh
jobs=$(nproc 2>/dev/null || echo 2)
toolchain=$prefix/toolchain.cmake
if [ "$#" -gt 0 ]; then
    # The toolchain, also finding things in the dependencies' folders (cross-compiling, CMake looks
    # only below the toolchain's roots).
    mkdir -p "$work"
    toolchain=$work/toolchain.cmake
    {
        echo "include(\"$prefix/toolchain.cmake\")"
        printf 'list(PREPEND CMAKE_FIND_ROOT_PATH'; printf ' "%s"' "$@"; echo ')'
    } >"$toolchain"
fi
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix"
        -DCMAKE_BUILD_TYPE=Release)
[ "$#" -eq 0 ] || common+=(-DCMAKE_PREFIX_PATH="$(IFS=';'; echo "$*")")

mkdir -p "$work"
cd "$work"

fetch() { # package version: unpacks the Debian source once and prints its folder
    local dir
    dir=$(find . -maxdepth 1 -type d -name "$1-*" | head -n 1)
    if [ -z "$dir" ]; then
        apt-get source -qq --only-source "$1=$2" >/dev/null
        dir=$(find . -maxdepth 1 -type d -name "$1-*" | head -n 1)
    fi
    echo "$work/${dir#./}"
}

# shellcheck source=/dev/null
source "$script"
touch "$prefix/.complete"
