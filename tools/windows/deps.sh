#!/usr/bin/env bash
# Builds the Windows libraries Quilvar links into PREFIX: Qt's base (from Debian's qt6-base
# source, the version of the host's moc and rcc), zlib, libzip and libxlsxwriter (from their
# Debian sources) and GoogleTest (from /usr/src/googletest).
# Usage: deps.sh PREFIX WORKDIR QT_VERSION ZLIB_VERSION LIBZIP_VERSION XLSXWRITER_VERSION
# PREFIX must hold toolchain.cmake already. Leaves PREFIX/.complete when everything is in place.
set -euo pipefail

prefix=$1 work=$2 qt_version=$3 zlib_version=$4 libzip_version=$5 xlsxwriter_version=$6
jobs=$(nproc 2>/dev/null || echo 2)
toolchain=$prefix/toolchain.cmake
common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_INSTALL_PREFIX="$prefix"
        -DCMAKE_BUILD_TYPE=Release)

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

build_zlib() {
    echo "== zlib $zlib_version"
    src=$(fetch zlib "$zlib_version")
    # A static library that libzip and libxlsxwriter take in: Debian's source leaves out the
    # Windows resource file that zlib's own build wants for its DLL.
    rm -rf build-zlib
    # zlib's own CMake build, when it has run in this source, has put zconf.h aside.
    [ -f "$src/zconf.h" ] || cp "$src/zconf.h.included" "$src/zconf.h"
    mkdir -p build-zlib "$prefix/lib" "$prefix/include"
    for name in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate \
                inftrees trees uncompr zutil; do
        x86_64-w64-mingw32-gcc-posix -O2 -c "$src/$name.c" -o "build-zlib/$name.o"
    done
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libz.a" build-zlib/*.o
    cp "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
}

build_libzip() {
    echo "== libzip $libzip_version"
    src=$(fetch libzip "$libzip_version")
    cmake -S "$src" -B build-libzip "${common[@]}" -DBUILD_SHARED_LIBS=ON -DBUILD_TOOLS=OFF \
        -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF \
        -DENABLE_ZSTD=OFF -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF \
        -DENABLE_COMMONCRYPTO=OFF -DENABLE_WINDOWS_CRYPTO=OFF >/dev/null
    cmake --build build-libzip -j "$jobs" >/dev/null
    cmake --install build-libzip >/dev/null
}

build_libxlsxwriter() {
    echo "== libxlsxwriter $xlsxwriter_version"
    src=$(fetch libxlsxwriter "$xlsxwriter_version")
    cmake -S "$src" -B build-xlsxwriter "${common[@]}" -DBUILD_SHARED_LIBS=ON -DBUILD_TESTS=OFF \
        -DBUILD_EXAMPLES=OFF -DUSE_SYSTEM_MINIZIP=OFF >/dev/null
    cmake --build build-xlsxwriter -j "$jobs" >/dev/null
    cmake --install build-xlsxwriter >/dev/null
}

build_googletest() {
    echo "== GoogleTest"
    cmake -S /usr/src/googletest -B build-gtest "${common[@]}" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
        -Dgtest_force_shared_crt=ON >/dev/null
    cmake --build build-gtest -j "$jobs" >/dev/null
    cmake --install build-gtest >/dev/null
}

build_qt() {
    echo "== Qt $qt_version (about 20 minutes on two cores)"
    src=$(fetch qt6-base "$qt_version")
    # Debian's source leaves out Qt's bundled tablet headers, which only tablet input needs.
    features=(
        -DFEATURE_pkg_config=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
        -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
        -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
        -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
        -DFEATURE_system_doubleconversion=OFF
    )
    if [ ! -f build-qt/build.ninja ]; then
        cmake -S "$src" -B build-qt "${common[@]}" -DQT_HOST_PATH=/usr \
            -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQT_BUILD_EXAMPLES=OFF \
            -DQT_BUILD_TESTS=OFF "${features[@]}" >build-qt.log 2>&1 || { tail -n 40 build-qt.log; exit 1; }
    fi
    cmake --build build-qt -j "$jobs" >>build-qt.log 2>&1 || { grep -B2 -A20 -m3 'FAILED' build-qt.log; exit 1; }
    cmake --install build-qt >/dev/null
}

# Each part once: a run that failed half-way starts again where it stopped.
for part in qt zlib libzip libxlsxwriter googletest; do
    [ -f "$prefix/.done-$part" ] || { build_$part; touch "$prefix/.done-$part"; }
done
touch "$prefix/.complete"
