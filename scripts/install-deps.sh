#!/usr/bin/env bash
# Installs every Debian package that building, testing and running the updater needs. Idempotent: it
# asks apt only for what is missing. Run as root on Debian 12.
set -euo pipefail

packages=(
    build-essential g++ cmake ninja-build pkg-config git python3
    clang clang-format libclang-rt-14-dev
    libgtest-dev libgmock-dev libbenchmark-dev libpoco-dev
    libexpat1-dev libfreetype-dev libfontconfig-dev libcairo2-dev libpng-dev
    libx11-dev libxtst-dev libxfixes-dev libglib2.0-dev libgtk-3-dev libgl-dev libglu1-mesa-dev libasound2-dev
    libgl1-mesa-dri libglx-mesa0
    xvfb xauth fonts-liberation2
    locales
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages and not root: run this script as root." >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The skin tests run again under a German locale, whose decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "The de_DE.UTF-8 locale is missing and not root: run this script as root." >&2
        exit 1
    fi
    sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen || echo 'de_DE.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen
fi
