# shellcheck shell=bash
# Sourced by tools/windows.sh, under the cache's lock, with $cache, ${library_version[qt]} and $SUDO set.
#
# Earlier versions of tools/windows.sh built every Windows library into one cache folder named by a
# single key (16 hex digits). Building Qt again costs over an hour of a busy two-core machine (the
# CI's whole limit is an hour and a half), so when this version's Qt folder is missing, Qt is taken
# from the most recently used complete folder of that kind that was built with the same toolchain
# file, the host's Qt version and the same compiler: its files only (the other libraries are built
# into their own folders), as hard links where the file system allows (no second copy of the data).
# The old folder itself then ages out like any unused entry.

# qt_upstream_version: the host's Qt version without the epoch and Debian's revision and suffixes.
qt_upstream_version() {
    local v=${library_version[qt]#*:}
    v=${v%-*}
    echo "${v%%[+~]*}"
}

# adoptable_qt: prints the earlier combined folder whose Qt fits; fails when none does.
adoptable_qt() {
    local old="" candidate stamp qt_version gcc_major
    # Only while Qt's recipe (the shared build script and Qt's part) is the one that rebuilt the
    # earlier script's Qt byte for byte: once it changes, Qt is built afresh under its new key
    # rather than filled with the old build.
    [ "$(cat tools/windows/deps.sh tools/windows/deps/qt.sh | sha256sum | cut -c1-16)" = d2d7b20ec8a0b944 ] || return 1
    qt_version=$(qt_upstream_version)
    gcc_major=$(x86_64-w64-mingw32-g++-posix -dumpversion)
    gcc_major=${gcc_major%%[!0-9]*}
    # The combined folders, most recently used first.
    while read -r stamp candidate; do
        [ -f "$candidate/.complete" ] && [ -f "$candidate/.done-qt" ] || continue
        cmp -s "$candidate/toolchain.cmake" tools/windows/toolchain.cmake || continue
        [ "$(sed -n 's/^set(PACKAGE_VERSION "\(.*\)")$/\1/p' "$candidate/lib/cmake/Qt6/Qt6ConfigVersionImpl.cmake" 2>/dev/null)" \
          = "$qt_version" ] || continue
        [ "$(sed -n 's/^QT_GCC_MAJOR_VERSION = //p' "$candidate/mkspecs/qconfig.pri" 2>/dev/null)" = "$gcc_major" ] || continue
        old=$candidate
        break
    done < <(for candidate in "$cache"/*; do
                 [[ ${candidate##*/} =~ ^[0-9a-f]{16}$ ]] && [ -d "$candidate" ] || continue
                 stamp=$(stat -c %Y "$candidate/.last-used" 2>/dev/null || stat -c %Y "$candidate/.complete" 2>/dev/null) || continue
                 echo "$stamp $candidate"
             done | sort -rn)
    [ -n "$old" ] || return 1
    echo "$old"
}

# adopt_qt TARGET OLD: fills TARGET (Qt's folder) from OLD. Called as a command of its own, so that
# any step that fails ends the script rather than leaving a half-made folder marked complete.
adopt_qt() {
    local target=$1 old=$2 built_in work
    echo "Taking Qt ${library_version[qt]} for Windows from $old (built by an earlier version of this script) into $target: no Qt build"
    work=$cache/work-adopt-${target##*/}
    rm -rf "$work" 2>/dev/null || $SUDO rm -rf "$work"
    # Hard links need the same file system and, for another user's files, that user or root.
    cp -al "$old" "$work" 2>/dev/null || { rm -rf "$work"; cp -a "$old" "$work"; }
    # Everything but Qt: the markers, the toolchain (copied afresh below), zlib, libzip,
    # libxlsxwriter, GoogleTest and GoogleMock.
    (cd "$work" && rm -rf .complete .done-* .last-used toolchain.cmake \
        include/zlib.h include/zconf.h lib/libz.a \
        include/zip.h include/zipconf.h lib/libzip.dll.a bin/libzip.dll lib/cmake/libzip lib/pkgconfig/libzip.pc \
        include/xlsxwriter.h include/xlsxwriter lib/libxlsxwriter.dll.a bin/libxlsxwriter.dll \
        lib/pkgconfig/xlsxwriter.pc \
        include/gtest include/gmock lib/libgtest.a lib/libgtest_main.a lib/libgmock.a lib/libgmock_main.a \
        lib/cmake/GTest lib/pkgconfig/gtest.pc lib/pkgconfig/gtest_main.pc lib/pkgconfig/gmock.pc \
        lib/pkgconfig/gmock_main.pc)
    cp tools/windows/toolchain.cmake "$work/toolchain.cmake"
    # Qt's text files name the folder it was installed into (pkg-config files, qmake's, its
    # toolchain wrapper): they name the new one, as if Qt had been built there. sed -i writes a new
    # file, so the old folder's (linked) file stays as it was.
    built_in=$(sed -n 's/^ *set(qtbi_orig_prefix "\(.*\)")$/\1/p' "$work/lib/cmake/Qt6BuildInternals/QtBuildInternalsExtra.cmake")
    if [ -n "$built_in" ]; then
        local from to
        from=$(printf '%s' "$built_in" | sed 's/[][\.*^$|]/\\&/g')
        to=$(printf '%s' "$target" | sed 's/[\&|]/\\&/g')
        { grep -rlIF -- "$built_in" "$work" || [ $? -eq 1 ]; } | while read -r file; do sed -i "s|$from|$to|g" "$file"; done
    fi
    mkdir -p "$work/translations"
    [ -f "$work/translations/qtbase_zh_CN.qm" ] || cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$work/translations/"
    echo "$old" >"$work/.adopted-from"
    touch "$work/.complete"
    # Whole or not at all: a Qt build that was stopped half-way in TARGET gives way.
    rm -rf "$target" 2>/dev/null || $SUDO rm -rf "$target"
    mv "$work" "$target"
    # Branches still on the earlier script keep their folder for 30 days from now: it never had a
    # mark of its last use, so it would age from when it was built.
    touch "$old/.last-used" 2>/dev/null || $SUDO touch "$old/.last-used"
}
