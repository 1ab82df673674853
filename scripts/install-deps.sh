#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and only those
# that are missing, so a second run costs nothing.
set -euo pipefail

packages=(
    g++ cmake ninja-build make pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    python3 python3-dbfread python3-dbf gdal-bin shapelib
    libenca-dev libuchardet-dev libxlsxwriter-dev libzip-dev libexpat1-dev libsqlite3-dev python3-openpyxl
    qt6-base-dev libgl-dev fonts-liberation2
    libwmf-bin fonts-urw-base35 poppler-utils
    clang libclang-rt-14-dev
    help2man librsvg2-bin dpkg-dev file desktop-file-utils appstream-util
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Need root (or sudo) to install: ${missing[*]}" >&2; exit 1; }
    sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
