#!/usr/bin/env bash
# The Windows program, from this machine: on Debian 13 `scripts/test.sh windows` (Qt for MinGW
# from Debian's source unless cached, the cross build, its checks under Wine, the packages);
# elsewhere the same inside a Debian 13 root, whose Qt host tools the build needs, with
# build/windows/{conversione.exe,*.zip,*setup.exe,*source.tar.gz} copied out.
# Usage: bash scripts/windows.sh [CTEST_ARGS...]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if grep -qx 'VERSION_CODENAME=trixie' /etc/os-release; then
    exec bash scripts/test.sh windows "$@"
fi
bash scripts/release-root.sh trixie bash scripts/test.sh windows "$@"
from=${CONVERSIONE_ROOTS:-/var/cache/conversione/roots}/trixie/work/src/build/windows
mkdir -p build/windows
cp -p "$from"/{conversione.exe,*.zip,*setup.exe,*source.tar.gz} build/windows/
echo "windows: $(cd build/windows && echo conversione.exe ./*.zip ./*setup.exe ./*source.tar.gz)"
