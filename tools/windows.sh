#!/usr/bin/env bash
# Cross-builds Quilvar for 64-bit Windows on Debian 12 and packs build/win64/quilvar-win64.zip.
#   tools/windows.sh          the libraries (once, cached), the programs, the tests and the zip
#   tools/windows.sh --test   the same, then every test under Wine (tools/windows/test.sh)
# The Windows libraries (Qt from Debian's qt6-base source, zlib, libzip, libxlsxwriter, GoogleTest)
# are built once into QUILVAR_WIN_CACHE (default /var/cache/quilvar-win64), each in a folder of its
# own named after its version and what builds it, so that later runs and other clones reuse them
# and a change to one library rebuilds that one only.
# Run as root (or through sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
run_tests=0
[ "${1:-}" = "--test" ] && run_tests=1

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
apt=(apt-get -o DPkg::Lock::Timeout=900)

bash tools/setup.sh

# --- packages -----------------------------------------------------------------------------------
packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
          fonts-wine dpkg-dev zip unzip xvfb xauth nsis osslsigncode poppler-utils procps)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO "${apt[@]}" update -qq
    $SUDO "${apt[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# apt-get source needs source entries: mirror the machine's Debian entries, the security
# archive's too (a machine with a security update, zlib's for one, finds its source only there).
# A mirror that does not serve them is warned of, not fatal: the main archive's still work.
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        awk 'BEGIN { RS = ""; ORS = "\n\n" }
             /Types:[^\n]*deb/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' \
            /etc/apt/sources.list.d/debian.sources | $SUDO tee /etc/apt/sources.list.d/quilvar-src.sources >/dev/null
    else
        grep -hE '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' \
            | $SUDO tee /etc/apt/sources.list.d/quilvar-src.list >/dev/null
    fi
    $SUDO "${apt[@]}" update -qq || echo "warning: some source entries could not be fetched" >&2
fi

# --- the cached Windows libraries ---------------------------------------------------------------
# The same source versions as the host's packages: the cross-built Qt must match the host's moc.
source_version() { dpkg-query -W -f='${source:Version}' "$1"; }
libraries=(qt zlib libzip libxlsxwriter googletest)
declare -A library_version=(
    [qt]=$(source_version qt6-base-dev) [zlib]=$(source_version zlib1g-dev)
    [libzip]=$(source_version libzip-dev) [libxlsxwriter]=$(source_version libxlsxwriter-dev)
    [googletest]=$(source_version googletest))
for library in "${libraries[@]}"; do # a failed look-up inside the list above does not stop the script
    [ -n "${library_version[$library]}" ] || { echo "No Debian package gives the version of $library" >&2; exit 1; }
done
# What links what: libzip and libxlsxwriter take zlib in; Qt has its own.
declare -A depends=([libzip]=zlib [libxlsxwriter]=zlib)
mingw_version=$(dpkg-query -W -f='${Version}' g++-mingw-w64-x86-64-posix)
cache=${QUILVAR_WIN_CACHE:-/var/cache/quilvar-win64}
# One folder per library, named after what builds it: its version, the compiler's, the toolchain
# file, the shared part of the build script and its own part, and the folders of what it links.
# A new GoogleTest (an hour's work less) then leaves Qt where it is.
declare -A entry
for library in "${libraries[@]}"; do
    dependency=${depends[$library]:-}
    key=$( { echo "$library ${library_version[$library]} $mingw_version ${dependency:+${entry[$dependency]##*/}}"
             cat tools/windows/toolchain.cmake tools/windows/deps.sh "tools/windows/deps/$library.sh"; } \
           | sha256sum | cut -c1-16)
    entry[$library]=$cache/$library-$key
done
qt_prefix=${entry[qt]}
$SUDO mkdir -p "$cache"
# Run by a normal user (sudo only for the installs), the cache must be theirs to write.
[ -w "$cache" ] || $SUDO chown "$(id -u):$(id -g)" "$cache"
# The lock is taken through a descriptor open for reading: a lock file another user (root) made
# is readable by all, writable only by them.
[ -e "$cache/.lock" ] || : >"$cache/.lock"
(
    flock 9
    source tools/windows/adopt-qt.sh
    for library in "${libraries[@]}"; do
        prefix=${entry[$library]}
        [ ! -f "$prefix/.complete" ] || continue
        if [ "$library" = qt ] && earlier=$(adoptable_qt); then
            adopt_qt "$prefix" "$earlier"
            continue
        fi
        echo "Building $library for Windows into $prefix (once)"
        mkdir -p "$prefix" "$cache/work-${prefix##*/}"
        # A build that was stopped goes on from its work folder on a later run, unless that run
        # comes 30 days later.
        touch "$cache/work-${prefix##*/}/.last-used"
        cp tools/windows/toolchain.cmake "$prefix/toolchain.cmake"
        dependency=${depends[$library]:-}
        bash tools/windows/deps.sh "$library" "$prefix" "$cache/work-${prefix##*/}" "${library_version[$library]}" \
            ${dependency:+"${entry[$dependency]}"}
        rm -rf "$cache/work-${prefix##*/}" 2>/dev/null || $SUDO rm -rf "$cache/work-${prefix##*/}"
    done
    # Old entries go: those that no build has used for 30 days (other clones and branches may still
    # use a recent one; this run's are never removed), the folders of earlier versions of this script
    # (all libraries in one) among them, and the work folders of a build stopped as long ago (none
    # is running while the lock is held).
    for library in "${libraries[@]}"; do
        touch "${entry[$library]}/.last-used" 2>/dev/null || $SUDO touch "${entry[$library]}/.last-used"
    done
    for old in "$cache"/*; do
        [ -d "$old" ] || continue
        for library in "${libraries[@]}"; do [ "$old" != "${entry[$library]}" ] || continue 2; done
        [ -z "$(find "$old" -maxdepth 1 \( -name .last-used -o -name .complete \) -mtime -30)" ] || continue
        echo "Removing the old Windows library cache entry $old"
        rm -rf "$old" 2>/dev/null || $SUDO rm -rf "$old"
    done
) 9<"$cache/.lock"
qt_chinese=/usr/share/qt6/translations/qtbase_zh_CN.qm

# --- the programs and the tests -----------------------------------------------------------------
build=build/win64
mkdir -p "$build"
prefixes=()
for library in "${libraries[@]}"; do prefixes+=("${entry[$library]}"); done
# The toolchain, finding things in every library's folder (cross-compiling, CMake looks only below
# the toolchain's roots), at one place that stays, rewritten only when the folders change.
toolchain=$PWD/$build/toolchain.cmake
{
    echo "# Made by tools/windows.sh: the cross toolchain and the cached Windows libraries' folders."
    echo "include(\"$source_dir/tools/windows/toolchain.cmake\")"
    printf 'list(PREPEND CMAKE_FIND_ROOT_PATH'; printf ' "%s"' "${prefixes[@]}"; echo ')'
} >"$toolchain.new"
if cmp -s "$toolchain.new" "$toolchain"; then rm "$toolchain.new"; else mv "$toolchain.new" "$toolchain"; fi
# A build folder configured with other library folders (another version, or one folder for all,
# as earlier versions of this script made) keeps their paths in its cache: it is configured afresh.
fresh=()
if [ -f "$build/CMakeCache.txt" ] \
   && [ "$(cat "$build/windows-libraries" 2>/dev/null)" != "$(printf '%s\n' "${prefixes[@]}")" ]; then
    echo "The Windows libraries' folders changed: configuring $build afresh"
    fresh=(--fresh)
fi
pkg_config_dirs=$(printf '%s/lib/pkgconfig:' "${prefixes[@]}")
export PKG_CONFIG_LIBDIR=${pkg_config_dirs%:} PKG_CONFIG_PATH= PKG_CONFIG_SYSROOT_DIR=
cmake "${fresh[@]}" -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_PREFIX_PATH="$(IFS=';'; echo "${prefixes[*]}")" -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$source_dir/tools/windows/wine.sh" -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST \
    >"$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
# The library folders the tests load DLLs from (tools/windows/wine-env.sh), one a line.
printf '%s\n' "${prefixes[@]}" >"$build/windows-libraries"
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"

# --- the zip: one folder with the programs and everything they load -----------------------------
mingw_runtime=(/usr/lib/gcc/x86_64-w64-mingw32/*-posix /usr/x86_64-w64-mingw32/lib)
package=$build/package/quilvar
rm -rf "$build/package" "$build/quilvar-win64.zip"
mkdir -p "$package"
cp "$build/app/quilvar.exe" "$build/app/quilvar-batch.exe" "$build/app/quilvar-batch-documents.exe" \
  "$build/app/quilvar-xls-reader.exe" "$package/"
for plugin in platforms/qwindows.dll platforms/qoffscreen.dll platforms/qminimal.dll \
              styles/qwindowsvistastyle.dll imageformats/qico.dll imageformats/qgif.dll imageformats/qjpeg.dll; do
    [ -f "$qt_prefix/plugins/$plugin" ] || continue
    mkdir -p "$package/$(dirname "$plugin")"
    cp "$qt_prefix/plugins/$plugin" "$package/$plugin"
done
# Every DLL the programs and plugins load that Windows itself does not have, found by following
# their imports.
dll_dirs=("${prefixes[@]/%//bin}" "${mingw_runtime[@]}")
pending=$(find "$package" -name '*.exe' -o -name '*.dll')
while [ -n "$pending" ]; do
    next=
    for file in $pending; do
        for dll in $(x86_64-w64-mingw32-objdump -p "$file" | awk '/DLL Name:/ { print $3 }'); do
            [ -f "$package/$dll" ] && continue
            for dir in "${dll_dirs[@]}"; do
                if [ -f "$dir/$dll" ]; then
                    cp "$dir/$dll" "$package/"
                    next="$next $package/$dll"
                    break
                fi
            done
        done
    done
    pending=$next
done
# The plugins beside the programs, never the folder the libraries were built into.
printf '[Paths]\r\nPrefix=.\r\nPlugins=.\r\nTranslations=translations\r\n' >"$package/qt.conf"
mkdir -p "$package/translations"
cp "$qt_chinese" "$package/translations/"
# The settings file in GBK as every Windows installation keeps it; the note in UTF-8 with its mark,
# which Notepad reads on every Windows; both with Windows' line ends.
sed 's/$/\r/' tools/windows/default.ini | iconv -f UTF-8 -t GBK >"$package/default.ini"
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' tools/windows/使用说明.txt; } >"$package/使用说明.txt"
# The licences of what is shipped with the programs (Qt is LGPL-3), as Debian's packages of the
# same sources state them.
licences="$package/第三方软件许可"
mkdir -p "$licences"
for licence in "Qt=qt6-base-dev" "libzip=libzip-dev" "libxlsxwriter=libxlsxwriter-dev" "zlib=zlib1g-dev" \
             "MinGW-w64=mingw-w64-common" "GCC运行库=gcc-mingw-w64-x86-64-posix-runtime"; do
    sed 's/$/\r/' "/usr/share/doc/${licence#*=}/copyright" >"$licences/${licence%%=*}.txt"
done
for text in LGPL-3 GPL-3 LGPL-2.1; do sed 's/$/\r/' "/usr/share/common-licenses/$text" >"$licences/$text.txt"; done
x86_64-w64-mingw32-strip "$package"/*.exe "$package"/*.dll "$package"/*/*.dll

# Signing, when a certificate is given (QUILVAR_SIGN_CERT: a PKCS#12 file; QUILVAR_SIGN_PASSWORD;
# QUILVAR_SIGN_TIMESTAMP: a time-stamping server's address). Unsigned, Windows' SmartScreen warns
# of an unknown publisher on the first start.
sign() {
    [ -n "${QUILVAR_SIGN_CERT:-}" ] || return 0
    local timestamp=()
    [ -z "${QUILVAR_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$QUILVAR_SIGN_TIMESTAMP")
    for file in "$@"; do
        # The password through standard input: on the command line every user's `ps` would show it.
        printf %s "${QUILVAR_SIGN_PASSWORD:-}" | osslsigncode sign -pkcs12 "$QUILVAR_SIGN_CERT" -readpass - -h sha256 \
            -n "Quilvar 旅游报价计算器" -i "https://www.orvane.example/" "${timestamp[@]}" \
            -in "$file" -out "$file.signed" >/dev/null
        mv "$file.signed" "$file"
    done
}
sign "$package"/*.exe

# Zip entries' names in UTF-8 with the flag that says so, which Explorer reads (使用说明.txt).
(cd "$build/package" && python3 - <<'PY'
import os, zipfile
with zipfile.ZipFile("../quilvar-win64.zip", "w", zipfile.ZIP_DEFLATED) as z:
    for root, dirs, files in os.walk("quilvar"):
        dirs.sort()
        for name in sorted(files):
            z.write(os.path.join(root, name))
PY
)
echo "Windows package: $build/quilvar-win64.zip ($(du -h "$build/quilvar-win64.zip" | cut -f1))"

# The installer, from the same folder.
version=$(sed -n 's/^project(Quilvar VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# The uninstaller removes what the package holds, by name, and nothing else of the folder.
installed_list=$PWD/$build/installed-files.nsh
for item in "$package"/*; do
    name=$(basename "$item")
    [ "$name" != default.ini ] || continue
    if [ -d "$item" ]; then echo "RMDir /r \"\$INSTDIR\\$name\""; else echo "Delete \"\$INSTDIR\\$name\""; fi
done >"$installed_list"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DPACKAGE="$PWD/$package" -DICON="$PWD/data/quilvar.ico" \
    -DINSTALLED_LIST="$installed_list" -DOUTFILE="$PWD/$build/quilvar-setup.exe" tools/windows/installer.nsi
sign "$build/quilvar-setup.exe"
echo "Windows installer: $build/quilvar-setup.exe ($(du -h "$build/quilvar-setup.exe" | cut -f1))"

if [ "$run_tests" -eq 1 ]; then
    bash tools/windows/test.sh
fi
