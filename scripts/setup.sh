#!/usr/bin/env bash
# Installs what the build needs (Debian 12 packages) and configures build/; the callers
# build what they need. Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build qtbase5-dev qttools5-dev qttools5-dev-tools clang-format)
packages+=(libqwt-qt5-dev) # the data-link consumer's plots
packages+=(locales)        # the decimal-comma locale the spectrum-file tests run under once
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi

# The C library only switches to a locale that has been generated.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
    echo "Generating the locale de_DE.UTF-8"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
