#!/usr/bin/env bash
# Installs the Debian packages NimbraPlus needs to build, test and run, and any packages
# named as arguments (tools of optional checks).
# Skips what is already installed; refreshes the package lists only when something is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config make
    libgtest-dev libgmock-dev
    libhidapi-dev
    qt6-base-dev qt6-charts-dev libqt6opengl6-dev fonts-liberation tzdata
    libusb-1.0-0-dev
    libcurl4-openssl-dev libssl-dev
    libmosquitto-dev nlohmann-json3-dev mosquitto
    libsqlite3-dev
    mdbtools-dev
    qt6-translations-l10n fonts-wqy-zenhei locales
    desktop-file-utils appstream libxml2-utils man-db dpkg-dev file
    libcairo2-dev poppler-utils
    libcpp-httplib-dev libjs-dygraphs chromium nlohmann-json3-dev
    "$@"
)

missing=()
for pkg in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "install-deps: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null 2>&1; then
    as_root=(sudo)
else
    echo "install-deps: these packages are missing and neither root nor sudo is available:" >&2
    echo "  ${missing[*]}" >&2
    echo "install-deps: install them with your package manager, then run make again." >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! "${as_root[@]}" apt-get update -qq; then
    echo "install-deps: 'apt-get update' failed; check the network and the package sources." >&2
    exit 1
fi
if ! "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
    echo "install-deps: could not install: ${missing[*]}" >&2
    exit 1
fi
