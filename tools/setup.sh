#!/usr/bin/env bash
# Installs every Debian package Quilvar needs to build, run, test and benchmark.
# Idempotent; run as root (or through sudo). Skips apt entirely when all is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libxlsxwriter-dev libzip-dev
  unixodbc unixodbc-dev tdsodbc odbc-postgresql libsqliteodbc sqlite3
  postgresql
  googletest libgtest-dev libbenchmark-dev
  clang clang-format libclang-rt-14-dev universal-ctags
  fonts-wqy-zenhei fonts-noto-cjk xvfb xauth x11-utils imagemagick poppler-utils
  python3 python3-openpyxl python3-xlwt python3-xlrd python3-odf openssl
  locales
  desktop-file-utils libxcb1-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
