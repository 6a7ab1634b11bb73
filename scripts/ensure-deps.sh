#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the test suite need, but only those
# that are missing, so that a second run costs a few dpkg queries.
set -euo pipefail

packages=(
    cmake g++ make
    qt6-base-dev libqt6test6 qt6-qpa-plugins qt6-translations-l10n qt6-charts-dev
    libqt6sql6 libqt6sql6-sqlite libqt6sql6-psql postgresql
    libeigen3-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    fonts-dejavu-core
    xvfb xdotool x11-utils
    dpkg-dev file desktop-file-utils appstream poppler-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages must be installed as root: ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}"
fi
