# shellcheck shell=bash
# Qt's base, sourced by tools/windows/deps.sh. It takes its own zlib, PCRE2, HarfBuzz, FreeType,
# PNG and JPEG (bundled): no other cached library goes into it.
echo "== Qt $version (about 20 minutes of two idle cores, over an hour of a busy machine's)"
src=$(fetch qt6-base "$version")
# Debian's source leaves out Qt's bundled tablet headers, which only tablet input needs.
features=(
    -DFEATURE_pkg_config=OFF -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_system_doubleconversion=OFF
)
# A build that was stopped goes on where it stopped (its work folder is kept until it is complete).
if [ ! -f build-qt/build.ninja ]; then
    cmake -S "$src" -B build-qt "${common[@]}" -DQT_HOST_PATH=/usr \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake -DQT_BUILD_EXAMPLES=OFF \
        -DQT_BUILD_TESTS=OFF "${features[@]}" >build-qt.log 2>&1 || { tail -n 40 build-qt.log; exit 1; }
fi
cmake --build build-qt -j "$jobs" >>build-qt.log 2>&1 || { grep -B2 -A20 -m3 'FAILED' build-qt.log; exit 1; }
cmake --install build-qt >/dev/null
# Qt's own Chinese texts (dialog buttons, the line edit's menu), where the tests' Qt looks for them:
# the host's files, of the same Qt version and the same on every platform.
mkdir -p "$prefix/translations"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$prefix/translations/"
