#!/usr/bin/env bash
# Installs the Debian packages the simulator needs, only those missing.
set -euo pipefail

packages=(cmake g++ make qt6-base-dev qt6-base-dev-tools qt6-svg-dev libbenchmark-dev fonts-dejavu-core)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "All build packages are installed."
    exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    apt=(apt-get)
else
    apt=(sudo apt-get)
fi
"${apt[@]}" update
DEBIAN_FRONTEND=noninteractive "${apt[@]}" install -y --no-install-recommends "${missing[@]}"
