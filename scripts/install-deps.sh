#!/usr/bin/env bash
# Installs the Debian packages that the named groups need, skipping those already present.
# Usage: scripts/install-deps.sh GROUP...   (groups: files in scripts/packages/, e.g. build test)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

wanted=()
for group in "$@"; do
    list="$here/packages/$group.txt"
    [ -f "$list" ] || { echo "install-deps: no package group '$group'" >&2; exit 2; }
    while read -r pkg _; do
        [ -n "$pkg" ] && [ "${pkg:0:1}" != "#" ] && wanted+=("$pkg")
    done < "$list"
done

missing=()
for pkg in "${wanted[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
