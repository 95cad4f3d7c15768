# shellcheck shell=bash
# libxlsxwriter, sourced by tools/windows/deps.sh: a DLL with zlib (the cached static one) and its
# own minizip inside.
echo "== libxlsxwriter $version"
src=$(fetch libxlsxwriter "$version")
cmake -S "$src" -B build-xlsxwriter "${common[@]}" -DBUILD_SHARED_LIBS=ON -DBUILD_TESTS=OFF \
    -DBUILD_EXAMPLES=OFF -DUSE_SYSTEM_MINIZIP=OFF >/dev/null
cmake --build build-xlsxwriter -j "$jobs" >/dev/null
cmake --install build-xlsxwriter >/dev/null
