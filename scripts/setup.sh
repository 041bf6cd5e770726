#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the viewer need.
# Quick and silent when everything is already there; uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    juce-modules-source                 # JUCE 7.0.5 modules and its CMake package
    libglu1-mesa-dev libgl1-mesa-dri     # OpenGL 1.1 + GLU, Mesa's software renderer
    libosmesa6-dev                      # off-screen GL for the pixel tests
    libgtest-dev libbenchmark-dev       # tests and benchmarks
    clang libclang-rt-14-dev            # libFuzzer, ASan and UBSan
    xvfb xdotool x11-utils imagemagick  # GUI tests: virtual display, real input, screenshots
    xauth
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Missing packages (${missing[*]}) and no sudo to install them as root." >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq || true     # a stale package list should not stop an install that can still work
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
