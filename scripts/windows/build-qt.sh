#!/usr/bin/env bash
# Builds Qt for 64-bit Windows (static, MinGW-w64) from Debian's own source package of the same
# Qt version as the host tools installed here, with only the modules and features the program
# and its tests use. The result is cached by Qt version, configure options, toolchain and
# compiler version, and reused; a build that did not finish is never reused.
# Prints the install prefix on its last line.
# Usage: scripts/windows/build-qt.sh
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
cache=${CONVERSIONE_QT_CACHE:-/var/cache/conversione/qt-mingw}
# The host tools' CMake packages, in the multiarch folder of Debian's qt6-base-dev.
host_cmake=$(dirname "$(echo /usr/lib/*/cmake/Qt6HostInfo)")
toolchain=$here/mingw-toolchain.cmake

# Debian's source leaves out src/3rdparty/wintab, so tablet support is off. -gc-binaries and
# -optimize-size keep the static program small; plugins and features nobody here uses are off.
options=(
    -release -static -optimize-size -gc-binaries
    -xplatform win32-g++ -qt-host-path /usr -nomake examples -nomake tests
    -no-opengl -no-feature-vulkan -no-feature-sql -no-feature-network -no-feature-dbus
    -no-feature-printsupport -no-feature-concurrent -no-feature-xml
    -no-feature-jpeg -no-feature-gif -no-feature-textodfwriter
    -no-feature-textmarkdownreader -no-feature-textmarkdownwriter
    -qt-zlib -qt-pcre -qt-harfbuzz -qt-freetype -qt-libpng
)
cmake_options=(
    -DQT_HOST_PATH_CMAKE_DIR="$host_cmake" -DFEATURE_tabletevent=OFF -G Ninja
)

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
upstream=${version%%+*}
upstream=${upstream%%-*}
compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
key=$( { echo "$version $compiler"; printf '%s\n' "${options[@]}" "${cmake_options[@]}";
         cat "$toolchain"; } | sha256sum | cut -c1-12)
prefix=$cache/$upstream-$key
log=$cache/$upstream-$key.log

if [ -e "$prefix/.complete" ]; then
    echo "build-qt: Qt $upstream for MinGW from the cache" >&2
    echo "$prefix"
    exit 0
fi

mkdir -p "$cache"
work=$cache/work-$key
rm -rf "$prefix" "$work"
mkdir -p "$work/lists/partial"
start=$SECONDS

# Debian's source package of exactly the installed version, from the archives apt already
# uses; the deb-src lines are kept out of the system's own lists.
{
    grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null \
        | sed 's/^deb /deb-src /' || true
} >"$work/src.list"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" >"$work/src-$(basename "$f")"
done
apt=(apt-get -q -o "Dir::Etc::SourceList=$work/src.list" -o "Dir::Etc::SourceParts=$work"
     -o "Dir::State::Lists=$work/lists" -o 'Acquire::Check-Valid-Until=false')
echo "build-qt: fetching Debian's qt6-base $version source" >&2
"${apt[@]}" update >"$log" 2>&1 || { tail -n 20 "$log" >&2; exit 1; }
(cd "$work" && "${apt[@]}" source --download-only "qt6-base=$version") >>"$log" 2>&1 \
    || { tail -n 20 "$log" >&2; exit 1; }
tar -xJf "$work"/qt6-base_*.orig.tar.xz -C "$work"
source=$(echo "$work"/qtbase-everywhere-src-*)

echo "build-qt: building Qt $upstream for MinGW (about 35 minutes on two cores; log: $log)" >&2
mkdir -p "$work/build"
fail() {
    echo "build-qt: $1 failed; the log's last lines:" >&2
    tail -n 40 "$log" >&2
    exit 1
}
(cd "$work/build" && "$source/configure" -prefix "$prefix" "${options[@]}" \
    -- -DCMAKE_TOOLCHAIN_FILE="$toolchain" "${cmake_options[@]}") >>"$log" 2>&1 \
    || fail configure
cmake --build "$work/build" >>"$log" 2>&1 || fail "the build"
cmake --install "$work/build" >>"$log" 2>&1 || fail "the install"

# Qt's own toolchain file chains to ours: to a copy kept with Qt, so that the cache does not
# depend on where this tree was when Qt was built.
cp "$toolchain" "$prefix/lib/cmake/mingw-toolchain.cmake"
sed -i "s|$toolchain|$prefix/lib/cmake/mingw-toolchain.cmake|" "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
grep -q "$prefix/lib/cmake/mingw-toolchain.cmake" "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    || { echo "build-qt: Qt's toolchain file does not name ours" >&2; exit 1; }

# Where the source came from, for the licence notes that ship with the program.
cp "$work"/qt6-base_*.dsc "$prefix/"
cp "$source/LICENSES/LGPL-3.0-only.txt" "$source/LICENSES/GPL-3.0-only.txt" "$prefix/" 2>/dev/null || true
echo "qt6-base $version" >"$prefix/debian-source.txt"
rm -rf "$work"
date -u +%FT%TZ >"$prefix/.complete"
echo "build-qt: Qt $upstream built in $((SECONDS - start)) s" >&2
echo "$prefix"
