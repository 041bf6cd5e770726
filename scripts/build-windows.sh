#!/usr/bin/env bash
# Cross-compiles the viewer, mshinfo, mshconvert, mshgen and the unit tests for 64-bit Windows with
# MinGW-w64 and JUCE's own Windows code, statically linked, in build-windows/, and packs the programs with
# a README.txt for Windows users, the licence and the Blender add-on into dist/tolmar-msh-viewer-VERSION-windows-x64.zip
# and into an installer beside it, dist/tolmar-msh-viewer-VERSION-windows-x64-setup.exe. Installs what is
# missing first (Debian packages only).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh --windows

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
      -DJUCE_DIR=/usr/lib/x86_64-linux-gnu/cmake/JUCE-7.0.5 -DMSH_BENCH=OFF >/dev/null
cmake --build build-windows -j"$(nproc)" --target tolmar-msh-viewer mshinfo mshconvert mshgen unit_tests console_read_back

version=$(sed -n 's/^project(TolmarMshViewer VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name="tolmar-msh-viewer-$version-windows-x64"
stage="build-windows/$name"
rm -rf "$stage"
mkdir -p "$stage" dist

for program in app/tolmar-msh-viewer tools/mshinfo tools/mshconvert tools/mshgen; do
    x86_64-w64-mingw32-strip -o "$stage/$(basename "$program").exe" "build-windows/src/$program.exe"
done
sed 's/$/\r/' packaging/windows/README.txt >"$stage/README.txt" # Windows' own line ends
cp LICENSE "$stage/LICENSE.txt"
cp examples/sample.msh "$stage/sample.msh"
cp blender/io_scene_tolmar_msh.py "$stage/io_scene_tolmar_msh.py"

# Written under a temporary name and renamed, as every file here is; a failure leaves no part behind.
trap 'rm -f "dist/.$name.zip.part" "dist/.$name-setup.exe.part"' EXIT
rm -f "dist/.$name.zip.part"
(cd build-windows && zip -q -r -X "../dist/.$name.zip.part" "$name")
mv -f "dist/.$name.zip.part" "dist/$name.zip"
echo "dist/$name.zip"

# The installer of the same files, per user (packaging/windows/installer.nsi).
rm -f "dist/.$name-setup.exe.part"
makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$stage" -DICON="$PWD/build-windows/icons/tolmar-msh-viewer.ico" -DOUTFILE="$PWD/dist/.$name-setup.exe.part" packaging/windows/installer.nsi >/dev/null
mv -f "dist/.$name-setup.exe.part" "dist/$name-setup.exe"
echo "dist/$name-setup.exe"
