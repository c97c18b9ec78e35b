#!/usr/bin/env bash
# Builds a static Qt for another platform from Debian's own qt6-base source, with Debian's patch
# series applied, of the same version as the host tools installed here (Qt cross builds need
# them): "mingw" for 64-bit Windows (MinGW-w64), "wasm" for web browsers (Debian's emscripten).
# Only what the program and its tests use is built. The result is cached by Debian version
# (which fixes the patch series), the patches left out, the options, the toolchain and the
# compiler; a build that did not finish is never reused. Prints the install prefix last.
# Usage: scripts/build-qt.sh mingw|wasm
set -euo pipefail
tree="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
target=${1:?usage: scripts/build-qt.sh mingw|wasm}
cache=${CONVERSIONE_QT_CACHE:-/var/cache/conversione}/qt-$target
case $target in mingw | wasm) bash "$tree/scripts/install-deps.sh" "qt-$target" ;; esac
host_cmake=$(dirname "$(echo /usr/lib/*/cmake/Qt6HostInfo)")

# Patches of Debian's series that do not belong in these builds, each with its reason.
# enable_skip_plugins.patch: Debian's shared Qt loads its plugins at run time, so it stops
# find_package(Qt6) from adding them to programs; a static Qt must link its platform plugin
# into the program, which then needs exactly that.
left_out=(enable_skip_plugins.patch)

# Modules and features nobody here uses are off, as are the image formats the program does not
# read and the text formats it does not write.
options=(
    -release -static -optimize-size -qt-host-path /usr -nomake examples -nomake tests
    -no-feature-sql -no-feature-network -no-feature-dbus -no-feature-printsupport
    -no-feature-concurrent -no-feature-xml -no-feature-jpeg -no-feature-gif
    -no-feature-textodfwriter -no-feature-textmarkdownreader -no-feature-textmarkdownwriter
)
cmake_options=(-DQT_HOST_PATH_CMAKE_DIR="$host_cmake" -G Ninja)
case $target in
mingw)
    # Debian's source leaves out src/3rdparty/wintab, so tablet support is off.
    toolchain=$tree/cmake/mingw-toolchain.cmake
    options+=(-xplatform win32-g++ -gc-binaries -no-opengl -no-feature-vulkan
              -qt-zlib -qt-pcre -qt-harfbuzz -qt-freetype -qt-libpng)
    cmake_options+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain" -DFEATURE_tabletevent=OFF)
    compiler=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
    ;;
wasm)
    # Qt finds emcc through $EMSDK/.emscripten, which Debian's emscripten has. OpenGL stays: the
    # wasm platform's backing store needs it. Whether a program may block in exec() (asyncify or
    # JSPI) is chosen when the program is linked, not here.
    export EMSDK=/usr/share/emscripten
    toolchain=""
    options+=(-platform wasm-emscripten)
    compiler="emscripten $(dpkg-query -W -f='${Version}' emscripten)"
    ;;
*) echo "build-qt: no target '$target' (mingw or wasm)" >&2; exit 2 ;;
esac

version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
upstream=${version%%[+-]*}
key=$( { echo "$version $compiler"; printf '%s\n' "${left_out[@]}" "${options[@]}" "${cmake_options[@]}";
         [ -z "$toolchain" ] || cat "$toolchain"; } | sed "s|$tree|TREE|g" | sha256sum | cut -c1-12)
prefix=$cache/$upstream-$key
log=$cache/$upstream-$key.log

if [ -e "$prefix/.complete" ]; then
    echo "build-qt: Qt $upstream for $target from the cache" >&2
    echo "$prefix"
    exit 0
fi

work=$cache/work-$key
rm -rf "$prefix" "$work"
mkdir -p "$work/lists/partial" "$work/build"
start=$SECONDS
fail() {
    echo "build-qt: $1 failed; the log's last lines:" >&2
    tail -n 40 "$log" >&2
    exit 1
}

# Debian's source package of exactly the installed version, from the archives apt already
# uses; the deb-src lines are kept out of the system's own lists.
{ grep -h '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null \
    | sed 's/^deb /deb-src /' || true; } >"$work/src.list"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f" >"$work/src-$(basename "$f")"
done
apt=(apt-get -q -o "Dir::Etc::SourceList=$work/src.list" -o "Dir::Etc::SourceParts=$work"
     -o "Dir::State::Lists=$work/lists" -o 'Acquire::Check-Valid-Until=false')
echo "build-qt: fetching Debian's qt6-base $version source" >&2
"${apt[@]}" update >"$log" 2>&1 || fail "apt-get update"
(cd "$work" && "${apt[@]}" source --download-only "qt6-base=$version") >>"$log" 2>&1 || fail "apt-get source"

# Unpacked without its patches, then Debian's series applied in order, less those left out.
source=$work/source
dpkg-source --skip-patches -x "$work"/qt6-base_*.dsc "$source" >>"$log" 2>&1
applied=()
while read -r patch _; do
    [[ -n $patch && $patch != \#* && " ${left_out[*]} " != *" $patch "* ]] || continue
    patch -d "$source" -p1 --forward --fuzz=0 --quiet <"$source/debian/patches/$patch" >>"$log" 2>&1 \
        || { echo "build-qt: Debian's $patch does not apply" >&2; exit 1; }
    applied+=("$patch")
done <"$source/debian/patches/series"

echo "build-qt: building Qt $upstream for $target (20 to 30 minutes on two cores; log: $log)" >&2
(cd "$work/build" && "$source/configure" -prefix "$prefix" "${options[@]}" -- "${cmake_options[@]}") \
    >>"$log" 2>&1 || fail configure
cmake --build "$work/build" >>"$log" 2>&1 || fail "the build"
cmake --install "$work/build" >>"$log" 2>&1 || fail "the install"

if [ -n "$toolchain" ]; then
    # Qt's own toolchain file chains to ours: to a copy kept with Qt, so that the cache does not
    # depend on where this tree was when Qt was built.
    kept=$prefix/lib/cmake/$(basename "$toolchain")
    cp "$toolchain" "$kept"
    sed -i "s|$toolchain|$kept|" "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
    grep -q "$kept" "$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
        || { echo "build-qt: Qt's toolchain file does not name ours" >&2; exit 1; }
fi

# What shipping a program linked with this Qt must say, kept with it: where the source came from
# and which of Debian's patches were applied; every attribution file of the source with the
# licence texts it names; and the third-party folders this build compiled.
about=$prefix/about
mkdir -p "$about"
cp "$work"/qt6-base_*.dsc "$about/"
echo "qt6-base $version" >"$about/debian-source.txt"
printf '%s\n' "${applied[@]}" >"$about/patches-applied.txt"
grep -xF -f <(printf '%s\n' "${left_out[@]}") "$source/debian/patches/series" >"$about/patches-left-out.txt" || true
(cd "$source" && find . -name qt_attribution.json -not -path './tests/*' -not -path './examples/*' \
    -print0 | while IFS= read -r -d '' json; do
        dir=$(dirname "$json")
        cp --parents "$json" "$about/"
        find "$dir" -maxdepth 2 -type f \( -iname '*licen[cs]e*' -o -iname 'copying*' -o -iname 'notice*' \
            -o -iname 'copyright*' -o -iname 'readme*' \) -exec cp --parents {} "$about/" \;
    done
    cp -r LICENSES "$about/")
grep -o 'src/3rdparty/[A-Za-z0-9_.-]*' "$work/build/build.ninja" | sort -u >"$about/3rdparty-compiled.txt"
rm -rf "$work"
date -u +%FT%TZ >"$prefix/.complete"
echo "build-qt: Qt $upstream for $target built in $((SECONDS - start)) s" >&2
echo "$prefix"
