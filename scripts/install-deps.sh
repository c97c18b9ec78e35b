#!/usr/bin/env bash
# Installs the Debian packages that the named groups need, skipping those already present.
# Usage: scripts/install-deps.sh GROUP...   (groups: files in scripts/packages/, e.g. build test)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

missing=()
for group in "$@"; do
    list="$here/packages/$group.txt"
    [ -f "$list" ] || { echo "install-deps: no package group '$group'" >&2; exit 2; }
    while read -r pkg _; do
        [ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" = "install ok installed" ] || missing+=("$pkg")
    done < <(sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$list")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=$([ "$(id -u)" -eq 0 ] || echo sudo)
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
