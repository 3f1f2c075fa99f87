#!/usr/bin/env bash
# Installs the Debian packages that the updater needs, asking apt only for what is missing. Run as root on
# Debian 12.
# Usage: scripts/install-deps.sh            everything: building, testing, benchmarks, fuzzers
#        scripts/install-deps.sh --program  only what building and running the program needs
set -euo pipefail

program_only=0
case "${1:-}" in
"") ;;
--program) program_only=1 ;;
*) echo "usage: scripts/install-deps.sh [--program]" >&2; exit 2 ;;
esac

# Building the updater and zq-simulator, and running the updater's window.
packages=(
    build-essential g++ cmake ninja-build pkg-config python3
    libexpat1-dev libfreetype-dev libfontconfig-dev libcairo2-dev libpng-dev
    libx11-dev libxtst-dev libxfixes-dev libglib2.0-dev libgtk-3-dev libgl-dev libglu1-mesa-dev libasound2-dev
    libgl1-mesa-dri libglx-mesa0
    fonts-liberation2
)
# The tests (with their private X server and a German locale), the formatting check, the clang and
# fuzzer builds and the benchmarks with their reference library.
if ((!program_only)); then
    packages+=(
        git clang clang-format libclang-rt-14-dev
        libgtest-dev libgmock-dev libbenchmark-dev libpoco-dev
        xvfb xauth locales
    )
fi

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

((program_only)) && exit 0

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
