# shellcheck shell=bash
# GoogleTest and GoogleMock, sourced by tools/windows/deps.sh: from the host's googletest package's
# source, static, for the tests only.
echo "== GoogleTest $version"
cmake -S /usr/src/googletest -B build-gtest "${common[@]}" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON \
    -Dgtest_force_shared_crt=ON >/dev/null
cmake --build build-gtest -j "$jobs" >/dev/null
cmake --install build-gtest >/dev/null
