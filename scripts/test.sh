#!/usr/bin/env bash
# Installs what is missing, builds, and runs the checks of one build headless, then prints CTest's
# summary. The build is a preset of CMakePresets.json: release (default: the Linux program and every
# check on it), sanitize, windows (with the zip and the installer) or web, whose Qt is built from
# Debian's source first unless cached (scripts/build-qt.sh). Further arguments go to ctest (-L unit).
# Usage: scripts/test.sh [PRESET [CTEST_ARGS...]]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
preset=${1:-release}
shift || true
case $preset in
release) groups=(build test display package icons checks) ;;
sanitize) groups=(build test) ;;
windows) groups=(qt-mingw icons display windows) qt=mingw ;;
web) groups=(web) qt=wasm ;;
*) echo "test: no preset '$preset' (release, sanitize, windows, web)" >&2; exit 2 ;;
esac
bash scripts/install-deps.sh "${groups[@]}"
if [ -n "${qt:-}" ]; then
    # CONVERSIONE_QT_MINGW or _WASM, assigned apart from the export: a failed Qt build stops here.
    prefix=$(bash scripts/build-qt.sh "$qt" | tail -n 1)
    export "CONVERSIONE_QT_${qt^^}=$prefix"
fi
source scripts/lib/source-date-epoch.sh # the one time stamped into packages
cmake --preset "$preset"
cmake --build --preset "$preset"
# The Windows packages are made by a check of their own, before the checks that read them.
ctest --preset "$preset" "$@"
