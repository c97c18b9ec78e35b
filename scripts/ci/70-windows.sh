#!/usr/bin/env bash
# The Windows program: built by scripts/windows.sh (Qt for MinGW from Debian's source, cached;
# the program and its tests cross-built; the tests run under Wine), then checked as Windows and
# its users meet it, under Wine 10 on a private X display:
#   the executable's version record, icon, manifest and subsystem (check-exe.py);
#   the real program driven from outside with keys and the clipboard (drive-program.sh);
#   what a UI Automation client (Narrator, NVDA) reads of the window (check-uia.sh);
#   the installer installed, used and removed silently, and the portable zip (check-installer.sh);
#   a second build of the same commit from a copy of the tree in another folder: the same bytes.
# Qt 6.8 for Windows needs Debian 13's host tools: on another release the stage runs inside a
# Debian 13 root. Any fault fails the stage.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
source scripts/lib/source-date-epoch.sh # here, where git is

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [ "$codename" != trixie ]; then
    exec bash scripts/release-root.sh trixie bash scripts/ci/70-windows.sh
fi

fail() {
    echo "70-windows: $*" >&2
    exit 1
}
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt | head -n 1)
out=build/windows

echo "-- build, tests under Wine, packages"
bash scripts/windows.sh
exe=$out/conversione.exe
setup=$out/Conversione-$version-setup.exe
zip=$out/Conversione-$version-windows-x64.zip
for file in "$exe" "$setup" "$zip"; do
    [ -s "$file" ] || fail "scripts/windows.sh left no $file"
done

echo "-- the executable: version record, icon, manifest, no console"
python3 scripts/windows/check-exe.py "$exe" "$version"

echo "-- the real program, driven from outside"
bash scripts/windows/drive-program.sh "$exe"

echo "-- what a UI Automation client reads"
bash scripts/windows/check-uia.sh "$exe" build/windows-uia

echo "-- the installer and the portable zip"
bash scripts/windows/check-installer.sh "$setup" "$zip"

echo "-- the same program and packages built again from a copy of the tree in another folder"
again=build/windows-again
mkdir -p "$again"
find "$again" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
if git rev-parse --git-dir >/dev/null 2>&1; then
    git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$again"
else
    find . -mindepth 1 -maxdepth 1 ! -name build -exec cp -a {} "$again/" \;
fi
(cd "$again" && WINDOWS_PROGRAM_ONLY=1 bash scripts/windows.sh) >/dev/null
for file in "$exe" "$setup" "$zip"; do
    cmp "$file" "$again/$file" || fail "$file differs between two builds of the same tree"
done
echo "70-windows: all checks passed"
