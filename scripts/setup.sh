#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing the viewer need; with --windows also
# those for the Windows build and for running it under Wine. Quick and silent when everything is already
# there; uses sudo when not run as root.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    juce-modules-source                 # JUCE 7.0.5 modules and its CMake package
    libglu1-mesa-dev libgl1-mesa-dri     # OpenGL 1.1 + GLU, Mesa's software renderer
    libegl-dev libopengl-dev libegl-mesa0   # GL with no display: mshrender, the thumbnailer, the pixel tests
    libx11-dev libglx-dev               # the view's guard of the X event loop
    libtinygltf-dev libstb-dev          # glTF export, PNG pictures
    libmeshoptimizer-dev                # the simplified copy reduced frames draw
    nlohmann-json3-dev                  # the JSON tinygltf writes, where a .gltf names its .bin
    bubblewrap                          # the thumbnailer's sandbox, as file managers run it
    appstream desktop-file-utils        # the checkers of the software-centre entry and the desktop entry
    groff-base man-db                   # the manual pages' checkers
    lintian                             # the Debian package's checker
    librsvg2-bin                        # the icon's PNGs, drawn from its SVG
    assimp-utils                        # another program's glTF, for the import tests
    blender python3-numpy               # the editor modders use, for the round-trip tests and the add-on
    libgtest-dev libbenchmark-dev       # tests and benchmarks
    clang libclang-rt-14-dev            # libFuzzer, ASan and UBSan
    xvfb xdotool x11-utils imagemagick  # GUI tests: virtual display, real input, screenshots
    xauth
)
if [ "${1:-}" = "--windows" ]; then
    packages+=(
        g++-mingw-w64-x86-64-posix mingw-w64-tools  # the cross compilers, windres, strip
        libz-mingw-w64-dev                          # zlib for JUCE, static
        wine wine64                                 # the programs run under Wine for the smoke test
        zip nsis                                    # the zip and the installer
        icoutils                                    # the programs' .ico, and the test that reads it back
    )
fi
# Node.js runs the Khronos glTF Validator in the export tests; machines that bring their own keep it.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        command -v sudo >/dev/null || { echo "Missing packages (${missing[*]}) and no sudo to install them as root." >&2; exit 1; }
        sudo="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq || true     # a stale package list should not stop an install that can still work
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Programs nobody here wrote that check our glTF files, in a folder of the project's own (not under
# version control): the Khronos glTF Validator, and glTF-Transform, which reads and writes them again.
tools="$(cd "$(dirname "$0")/.." && pwd)/.tools"
install_npm() { # folder, package@version, a file it installs
    if [ ! -e "$tools/$1/node_modules/$3" ]; then
        echo "Installing $2 into $tools/$1"
        npm install --silent --no-audit --no-fund --prefix "$tools/$1" "$2" >/dev/null
    fi
}
install_npm validator gltf-validator@2.0.0-dev.3.10 gltf-validator/package.json
install_npm gltf-transform @gltf-transform/cli@4.5.1 .bin/gltf-transform

