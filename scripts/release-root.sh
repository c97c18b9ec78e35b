#!/usr/bin/env bash
# Runs a command on another Debian release: inside a root of that release made with mmdebstrap
# from Debian's archive, on a copy of this tree's tracked files at /work/src.
# Usage: scripts/release-root.sh RELEASE [COMMAND...]   (e.g. trixie bash scripts/test.sh)
# The root, in $CONVERSIONE_ROOTS/RELEASE (default /var/cache/conversione/roots), is reused with
# its packages and build folders, or made anew (a minute or so) where missing or left half made;
# with no command, that is all. One run at a time per root: a second waits. When the command
# ends, whatever its status, everything mounted is unmounted and every process left inside ended.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/lib/source-date-epoch.sh # taken here, where git is: the roots get the same time

release=${1:?usage: scripts/release-root.sh RELEASE [COMMAND...]}
shift
roots=${CONVERSIONE_ROOTS:-/var/cache/conversione/roots}
root=$roots/$release
ready=$root/.conversione-root
[ "$(id -u)" -eq 0 ] || { echo "release-root: must run as root (chroot, mount)" >&2; exit 1; }

mkdir -p "$roots"
exec 9>"$roots/$release.lock"
flock -w 3600 9 || { echo "release-root: $root stays locked by another run" >&2; exit 1; }

if [ ! -e "$ready" ]; then
    bash scripts/install-deps.sh releases
    echo "release-root: making a $release root in $root"
    rm -rf "$root"
    # The archive's Release file for unstable may be past its Valid-Until date.
    mmdebstrap --variant=apt --aptopt='Acquire::Check-Valid-Until "false"' \
        --aptopt='Acquire::Languages "none"' --include=ca-certificates,locales \
        "$release" "$root" >"$roots/$release.log" 2>&1 \
        || { cat "$roots/$release.log" >&2; exit 1; }
    # Services installed into the root must not start: nothing inside runs an init system.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod 755 "$root/usr/sbin/policy-rc.d"
    date -u +%FT%TZ >"$ready"
fi
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# Where the machine reaches the network through a proxy of its own authority, the root trusts it
# too: apt and curl through the root's store, npm through NODE_EXTRA_CA_CERTS below.
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null \
    && ! diff -rq /usr/local/share/ca-certificates "$root/usr/local/share/ca-certificates" >/dev/null 2>&1; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
    chroot "$root" update-ca-certificates >/dev/null
fi
[ $# -gt 0 ] || exit 0

mounted=()
cleanup() {
    local status=$? link i
    # Processes whose root is this root: the command's leftovers (servers, daemons it started).
    for link in /proc/[0-9]*/root; do
        if [ "$(readlink "$link" 2>/dev/null)" = "$root" ]; then
            kill -KILL "${link//[^0-9]/}" 2>/dev/null || true
        fi
    done
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount -R "${mounted[$i]}" 2>/dev/null || umount -R -l "${mounted[$i]}" || true
    done
    exit "$status"
}
trap cleanup EXIT
mount_into() {
    local what=$1 where=$root$2
    shift 2
    mkdir -p "$where"
    mount "$@" "$what" "$where" && mounted+=("$where")
}
# A bound tree is made a slave first, so that unmounting it here never reaches the machine's own.
bind_into() {
    mount_into "$1" "$1" --rbind && mount --make-rslave "$root$1"
}
mount_into proc /proc -t proc
# Some machines (containers) refuse a sysfs of the root's own ("already mounted"): theirs, bound.
mount_into sysfs /sys -t sysfs -o ro 2>/dev/null || bind_into /sys
bind_into /dev
mount_into tmpfs /tmp -t tmpfs
mount_into tmpfs /run -t tmpfs

# The tracked files, as a fresh clone has them; build folders from earlier runs stay, so that
# a kept root rebuilds only what changed.
src=$root/work/src
mkdir -p "$src"
find "$src" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
git ls-files -z | tar --null -T - -cf - | tar -xf - -C "$src"

echo "release-root: $release ($(cat "$root/etc/debian_version")): $*"
chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root TERM="${TERM:-dumb}" LANG=C.UTF-8 CI="${CI:-}" KEEP="${KEEP:-}" \
    FUZZ_SECONDS="${FUZZ_SECONDS:-}" SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" \
    NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt \
    /bin/bash -c 'cd /work/src && exec "$@"' release-root "$@"
