# shellcheck shell=bash
# libzip, sourced by tools/windows/deps.sh: a DLL with zlib (the cached static one) inside.
echo "== libzip $version"
src=$(fetch libzip "$version")
cmake -S "$src" -B build-libzip "${common[@]}" -DBUILD_SHARED_LIBS=ON -DBUILD_TOOLS=OFF \
    -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF \
    -DENABLE_ZSTD=OFF -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF \
    -DENABLE_COMMONCRYPTO=OFF -DENABLE_WINDOWS_CRYPTO=OFF >/dev/null
cmake --build build-libzip -j "$jobs" >/dev/null
cmake --install build-libzip >/dev/null
