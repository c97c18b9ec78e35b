#!/usr/bin/env bash
# The Windows program, from this machine: installs what is missing, builds Qt for MinGW from
# Debian's source where no cached build of the same version and options exists, cross-builds the
# program and its tests, runs the tests under Wine, and leaves in build/windows/:
#   conversione.exe, Conversione-VERSION-windows-x64.zip (portable) and
#   Conversione-VERSION-setup.exe (installer).
# Qt 6.8 is built with the host tools of the same version, which Debian 13 has: on another
# release the whole of it runs inside a Debian 13 root (scripts/release-root.sh) and the results
# are copied here.
# Usage: bash scripts/windows.sh
# (WINDOWS_BUILD_DIR and WINDOWS_OUT_DIR name other folders, WINDOWS_PROGRAM_ONLY=1 builds only
# the program, with no tests: the CI stage's second build, compared byte for byte.)
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
out=${WINDOWS_OUT_DIR:-build/windows}

# Taken here, where git is: the copy inside a root has none.
source scripts/lib/source-date-epoch.sh

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [ "$codename" != trixie ]; then
    bash scripts/release-root.sh trixie bash scripts/windows.sh
    roots=${CONVERSIONE_ROOTS:-/var/cache/conversione/roots}
    rm -rf "$out"
    mkdir -p "$out"
    cp -p "$roots/trixie/work/src/$out"/* "$out/"
    echo "windows: $(cd "$out" && echo *) in $out"
    exit 0
fi

bash scripts/install-deps.sh windows
qt=$(bash scripts/windows/build-qt.sh | tail -n 1)
cross=${WINDOWS_BUILD_DIR:-build/windows-cross}
# Stripped by the linker: strip itself would stamp the PE header with a time.
cmake -S . -B "$cross" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCONVERSIONE_WERROR=ON \
    -DCMAKE_EXE_LINKER_FLAGS=-s \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$PWD/scripts/windows/wine-test.sh" >/dev/null
# The build tool cannot see that SOURCE_DATE_EPOCH changed: have rcc run again every time (its
# output is in .rcc/ up to Qt 6.4, in .qt/rcc/ later).
find "$cross" \( -path '*/.rcc/qrc_*.cpp' -o -path '*/.qt/rcc/qrc_*.cpp' \) ! -name '*_init.cpp' -delete
if [ -n "${WINDOWS_PROGRAM_ONLY:-}" ]; then
    cmake --build "$cross" --target conversione
else
    cmake --build "$cross"
    bash scripts/windows/run-tests.sh "$cross"
fi

rm -rf "$out"
mkdir -p "$out"
cp "$cross/conversione.exe" "$out/conversione.exe"
bash packaging/windows/make-packages.sh "$out/conversione.exe" "$qt" "$out"
echo "windows: $(cd "$out" && echo *) in $out"
