# shellcheck shell=bash
# zlib, sourced by tools/windows/deps.sh: a static library that libzip and libxlsxwriter take in.
# Debian's source leaves out the Windows resource file that zlib's own build wants for its DLL.
echo "== zlib $version"
src=$(fetch zlib "$version")
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
