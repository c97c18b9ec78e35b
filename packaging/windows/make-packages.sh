#!/usr/bin/env bash
# Makes the Windows packages of the cross-built program: the portable zip (one folder with the
# program, its licence, Qt's licence and where Qt's source comes from, and LEGGIMI.txt) and the
# per-user installer of the same files (installer/conversione.nsi). Two runs on the same inputs
# give the same bytes; --twice builds a second time elsewhere and fails if any byte differs.
# Usage: packaging/windows/make-packages.sh [--twice] EXE QT_PREFIX OUTDIR
# QT_PREFIX holds LGPL-3.0-only.txt, GPL-3.0-only.txt, debian-source.txt ("qt6-base VERSION")
# and that source package's .dsc, as scripts/windows/build-qt.sh leaves them.
# Environment: CONVERSIONE_VERSION (default: the project's version in CMakeLists.txt),
# SOURCE_DATE_EPOCH (default: the last commit's time), as packaging/build-deb.sh.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
here=$root/packaging/windows

fail() {
    echo "make-packages: $*" >&2
    exit 1
}

twice=false
if [ "${1:-}" = --twice ]; then
    twice=true
    shift
fi
[ $# -eq 3 ] || { echo "usage: $0 [--twice] EXE QT_PREFIX OUTDIR" >&2; exit 2; }
exe=$(realpath -e "$1" 2>/dev/null) || fail "no program at $1"
qt=$(realpath -e "$2" 2>/dev/null) || fail "no Qt prefix at $2"
mkdir -p "$3" || fail "cannot make the folder $3"
out=$(realpath "$3")

for tool in makensis zip icotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/packages/windows.txt)"
done

# A 64-bit Windows program: "MZ", then at the offset in 0x3c "PE\0\0" and machine 0x8664.
[ "$(head -c 2 "$exe")" = MZ ] || fail "$exe is not a Windows program"
pe=$(od -An -tu4 -j60 -N4 "$exe" 2>/dev/null | tr -d ' ') || true
signature=
[ -z "$pe" ] || signature=$(od -An -tx1 -j"$pe" -N6 "$exe" 2>/dev/null | tr -d ' \n') || true
[ "$signature" = 504500006486 ] || fail "$exe is not a 64-bit (x64) Windows program"

for f in LGPL-3.0-only.txt GPL-3.0-only.txt debian-source.txt; do
    [ -s "$qt/$f" ] || fail "$qt/$f is missing or empty"
done
read -r qt_package qt_version rest <"$qt/debian-source.txt" || true
[ -n "${qt_version:-}" ] && [ -z "${rest:-}" ] \
    || fail "$qt/debian-source.txt should read \"PACKAGE VERSION\""
# A .dsc is named without the epoch.
qt_dsc=${qt_package}_${qt_version#*:}.dsc
[ -s "$qt/$qt_dsc" ] || fail "$qt/$qt_dsc (the source package named in debian-source.txt) is missing"

# The version, the publisher and the home page live in the root CMakeLists.txt.
cmake_value() {
    sed -n "$1" "$root/CMakeLists.txt" | head -n 1
}
version=${CONVERSIONE_VERSION:-$(cmake_value 's/^ *VERSION \([0-9.]*\)$/\1/p')}
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || fail "the version \"$version\" is not N[.N[.N[.N]]]"
publisher=$(cmake_value 's/^set(CONVERSIONE_COMPANY "\(.*\)")$/\1/p')
homepage=$(cmake_value 's/^ *HOMEPAGE_URL "\(.*\)"$/\1/p')
[ -n "$publisher" ] || fail "no CONVERSIONE_COMPANY in CMakeLists.txt"
[ -n "$homepage" ] || fail "no HOMEPAGE_URL in CMakeLists.txt"
copyright=$(grep -m 1 '^Copyright' "$root/LICENSE") || fail "no copyright line in LICENSE"
# Windows wants four numbers: 1.00 is 1.0.0.0, as in the program's own version record.
IFS=. read -r -a parts <<<"$version"
numbers=()
for i in 0 1 2 3; do
    numbers+=($((10#${parts[i]:-0})))
done
version_numbers=$(IFS=.; echo "${numbers[*]}")

# The last commit's time; without git (a tree exported from it, or a root without git), noon UTC
# of the release date, as packaging/build-deb.sh.
cd "$root"
source scripts/lib/source-date-epoch.sh
cd - >/dev/null
[[ $SOURCE_DATE_EPOCH =~ ^[0-9]+$ ]] || fail "SOURCE_DATE_EPOCH \"$SOURCE_DATE_EPOCH\" is not a number"
export SOURCE_DATE_EPOCH
# zip stores local times; the same stamp everywhere whatever the machine's zone.
export TZ=UTC LC_ALL=C.UTF-8
umask 022

name=Conversione-$version
zip_name=$name-windows-x64.zip
setup_name=$name-setup.exe
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Windows' own line ends, and a byte order mark so that every Notepad reads UTF-8.
to_windows_text() {
    printf '\xef\xbb\xbf'
    sed 's/\r$//; s/$/\r/'
}

# Stages the files in $1/$name, with one time and one mode each, and prints nothing.
stage() {
    local dir=$1/$name
    mkdir -p "$dir/Qt"
    cp "$exe" "$dir/conversione.exe"
    to_windows_text <"$root/LICENSE" >"$dir/LICENSE.txt"
    to_windows_text <"$qt/LGPL-3.0-only.txt" >"$dir/Qt/LGPL-3.0-only.txt"
    to_windows_text <"$qt/GPL-3.0-only.txt" >"$dir/Qt/GPL-3.0-only.txt"
    to_windows_text <"$qt/debian-source.txt" >"$dir/Qt/debian-source.txt"
    cp "$qt/$qt_dsc" "$dir/Qt/$qt_dsc" # signed as it is: left byte for byte
    sed -e "s|@VERSION@|$version|g" -e "s|@QT_SOURCE@|$qt_package $qt_version|g" \
        -e "s|@QT_PACKAGE@|$qt_package|g" -e "s|@QT_VERSION@|$qt_version|g" \
        -e "s|@QT_DSC@|$qt_dsc|g" -e "s|@HOMEPAGE@|$homepage|g" \
        "$here/installer/LEGGIMI.txt.in" | to_windows_text >"$dir/LEGGIMI.txt"
    ! grep -n '@[A-Z_]*@' "$dir/LEGGIMI.txt" || fail "a placeholder in LEGGIMI.txt.in has no value"
    find "$1" -type d -exec chmod 755 {} +
    find "$1" -type f -exec chmod 644 {} +
    chmod 755 "$dir/conversione.exe"
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}

# The installer's lists of files, made from the staged folder so that it installs exactly the
# zip's files and its uninstaller removes exactly those.
files_nsh() {
    local dir=$1 f sub
    local -a files
    mapfile -t files < <(cd "$dir" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
    for f in "${files[@]}"; do
        [[ $f =~ ^[A-Za-z0-9._+~/-]+$ ]] || fail "the file name \"$f\" needs quoting in the installer"
    done
    echo '!macro InstallFiles'
    for f in "${files[@]}"; do
        sub=$(dirname "$f")
        if [ "$sub" = . ]; then sub=""; else sub="\\${sub//\//\\}"; fi
        echo "    SetOutPath \"\$INSTDIR$sub\""
        echo "    File \"$dir/$f\""
    done
    echo '!macroend'
    echo '!macro UninstallFiles'
    for f in "${files[@]}"; do
        echo "    Delete \"\$INSTDIR\\${f//\//\\}\""
    done
    (cd "$dir" && find . -mindepth 1 -type d | sed 's|^\./||' | LC_ALL=C sort -r) | while read -r sub; do
        echo "    RMDir \"\$INSTDIR\\${sub//\//\\}\""
    done
    echo '!macroend'
}

# The licence page: the program's licence, then Qt's.
licence_text() {
    {
        echo "Conversione $version - licenza MIT"
        echo "===================================="
        echo
        cat "$root/LICENSE"
        echo
        echo
        echo "Qt 6, compresa nel programma - GNU Lesser General Public License versione 3"
        echo "==========================================================================="
        echo
        cat "$qt/LGPL-3.0-only.txt"
        echo
        echo
        echo "GNU General Public License versione 3, che la LGPL completa"
        echo "==========================================================="
        echo
        cat "$qt/GPL-3.0-only.txt"
    } | to_windows_text
}

# Builds both packages into $1, working in $2.
build() {
    local dest=$1 tmp=$2 size log
    stage "$tmp/stage"
    mkdir -p "$dest"

    rm -f "$dest/$zip_name"
    (cd "$tmp/stage" && find "$name" | LC_ALL=C sort | zip -X -q -9 -@ "$dest/$zip_name")

    files_nsh "$tmp/stage/$name" >"$tmp/files.nsh"
    licence_text >"$tmp/licence.txt"
    icotool --create --output="$tmp/conversione.ico" \
        "$root"/packaging/icons/png/{16,32,48,64,128}.png --raw="$root/packaging/icons/png/256.png"
    size=$(find "$tmp/stage/$name" -type f -printf '%s\n' | awk '{ s += $1 } END { print int((s + 1023) / 1024) }')
    log=$tmp/makensis.log
    makensis -V2 -WX -INPUTCHARSET UTF8 -NOCD \
        -DVERSION="$version" -DVERSION_NUMBERS="$version_numbers" -DPUBLISHER="$publisher" \
        -DCOPYRIGHT="$copyright" \
        -DICON="$tmp/conversione.ico" -DLICENCE_TEXT="$tmp/licence.txt" -DFILES="$tmp/files.nsh" \
        -DESTIMATED_SIZE="$size" -DOUTFILE="$dest/$setup_name" \
        "$here/installer/conversione.nsi" >"$log" 2>&1 \
        || { cat "$log" >&2; fail "makensis failed"; }
    touch -d "@$SOURCE_DATE_EPOCH" "$dest/$zip_name" "$dest/$setup_name"
}

mkdir -p "$work/first"
build "$out" "$work/first"
if $twice; then
    mkdir -p "$work/second"
    build "$work/second/out" "$work/second"
    for f in "$zip_name" "$setup_name"; do
        cmp "$out/$f" "$work/second/out/$f" >/dev/null \
            || fail "$f differs between two builds of the same inputs"
    done
    echo "make-packages: two builds gave the same bytes" >&2
fi
ls -l "$out/$zip_name" "$out/$setup_name" >&2
echo "$out/$zip_name"
echo "$out/$setup_name"
