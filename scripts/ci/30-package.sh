#!/usr/bin/env bash
# The program as a desktop application: the desktop entry and metainfo validators, the hardened
# Debian package (lintian, hardening-check), a staged `cmake --install` with its file list, and
# the package installed on this machine, started under Xvfb until its window shows, closed
# through the window system and removed again (later stages use the build tree).
# Any finding of any checker fails the run.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."
source scripts/lib/display.sh
bash scripts/install-deps.sh build run package icons

fail() {
    echo "30-package: $*" >&2
    exit 1
}
# Runs a checker that says nothing when all is well; any output fails the run.
quiet() {
    local out
    out=$("$@" 2>&1) || fail "$1 failed:"$'\n'"$out"
    [ -z "$out" ] || fail "$1 reported:"$'\n'"$out"
}

echo "-- icon renderings match the SVG"
bash packaging/render-icons.sh --check

echo "-- Debian package, built with dpkg-buildflags and -Wl,-z,now"
deb=$(bash packaging/build-deb.sh | tail -n 1)
build=build/deb
echo "$deb"

echo "-- the same package built again from a copy of the tree in another folder: the same bytes"
# The copy holds the tracked files (all files where there is no git) and, for the time of the
# last commit that stamps the package, the same git repository. Its build folder is kept, so that
# a later run rebuilds only what changed.
again=build/deb-again
mkdir -p "$again"
find "$again" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
if git rev-parse --git-dir >/dev/null 2>&1; then
    git ls-files -z | tar --null --ignore-failed-read -T - -cf - | tar -xf - -C "$again"
    if [ -d .git ]; then ln -s "$PWD/.git" "$again/.git"; else cp .git "$again/.git"; fi
else
    tar --exclude='./build*' -cf - . | tar -xf - -C "$again"
fi
deb_again=$again/$(bash "$again/packaging/build-deb.sh" | tail -n 1)
# What tells two packages apart: the times, modes and sizes of the members of both archives and
# of the package itself, and the contents of each file (md5sums).
members() {
    ar tv "$1"
    dpkg-deb --ctrl-tarfile "$1" | tar -tv --full-time
    dpkg-deb --fsys-tarfile "$1" | tar -tv --full-time
    dpkg-deb --info "$1" md5sums
}
if ! cmp "$deb" "$deb_again"; then
    diff <(members "$deb") <(members "$deb_again") || true
    fail "two builds of the same tree gave different packages: $deb, $deb_again"
fi
stamp=$(dpkg-deb --fsys-tarfile "$deb" | TZ=UTC tar -tv --full-time | awk 'NR == 1 { print $4, $5 }')
echo "identical: $deb_again ($(stat -c %s "$deb") bytes, every file stamped $stamp UTC)"

echo "-- desktop-file-validate"
quiet desktop-file-validate "$build"/packaging/share/*.desktop
echo "(nothing reported)"

# AppStream's validator (--no-net --strict --pedantic), failing on any issue, pedantic hints too.
appstream() {
    cmake -DAPPSTREAMCLI=appstreamcli -DMODE="$1" -DFILES="$2" -P packaging/cmake/check-metainfo.cmake
}
echo "-- appstreamcli validate --no-net --strict --pedantic"
metainfo=("$build"/packaging/share/*.metainfo.xml)
appstream validate "$(IFS=';' && echo "${metainfo[*]}")"

echo "-- cmake --install into $build/staging"
rm -rf "$build/staging"
cmake --install "$build" --prefix "$PWD/$build/staging" >/dev/null
(cd "$build/staging" && find . -type f -printf '%M %6s %P\n' | sort -k3)
echo "-- appstreamcli validate-tree on the staged install"
appstream validate-tree "$PWD/$build/staging"

echo "-- package contents"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print $1, $2, $NF }'

echo "-- lintian --display-info --pedantic"
# Lintian prints its tags on standard output; it also warns on standard error when run as root.
tags=$(lintian --display-info --pedantic "$deb" 2>/dev/null) || fail "lintian failed:"$'\n'"$tags"
[ -z "$tags" ] || fail "lintian reported:"$'\n'"$tags"
echo "(no tags)"

echo "-- hardening-check on the packaged executable"
tmp=$(mktemp -d)
dpkg-deb --extract "$deb" "$tmp/root"
program="$tmp/root/usr/bin/conversione"
waive=()
# A program is marked compatible with control-flow protection (IBT, SHSTK) only when every object
# linked into it is, and Debian 12's C start files (Scrt1.o, crti.o, crtn.o from libc6-dev) are
# not: there the marking cannot be had by any program (Debian's own are not marked). Waive that
# one check only then, and look instead for the landing pads that -fcf-protection puts into the
# program's own code.
if [ "$(dpkg-architecture -qDEB_HOST_ARCH_CPU)" = amd64 ] \
    && ! readelf -n "$(g++ -print-file-name=Scrt1.o)" | grep -q 'x86 feature: IBT, SHSTK'; then
    waive=(--nocfprotection)
    pads=$(objdump -d "$program" | grep -c endbr64 || true)
    [ "$pads" -gt 0 ] || fail "no endbr64 landing pads: built without -fcf-protection?"
    echo "(control flow integrity waived: the C start files carry no CET marking;" \
        "$pads endbr64 landing pads in the program)"
fi
# Newer hardening-check (Debian 13 on) asks every program for AArch64's branch protection (BTI,
# PAC), which only an arm64 build can have; waive that check on other architectures.
if [ "$(dpkg-architecture -qDEB_HOST_ARCH_CPU)" != arm64 ] \
    && grep -q nobranchprotection "$(command -v hardening-check)"; then
    waive+=(--nobranchprotection)
fi
# hardening-check passes Fortify Source when it finds one fortified call, and says "no" when it
# finds only unfortified ones. Here the only candidates are the memcpy, memmove and memset that
# libstdc++'s std::string inlines: it calls the compiler's builtins, which glibc's fortified
# wrappers never see, on heap buffers whose size is known only at run time, so there is nothing
# to fortify. Waive the check in that case only, once every file is known to be compiled with
# _FORTIFY_SOURCE; any other unfortified function still fails.
unfortified=$({ hardening-check -v "${waive[@]}" "$program" || true; } \
    | sed -n 's/^\tunprotected: //p' | sort)
if [ -n "$unfortified" ] && ! grep -qvxE 'memcpy|memmove|memset' <<<"$unfortified"; then
    commands=$(grep -c '"command"' "$build/compile_commands.json")
    fortified=$(grep '"command"' "$build/compile_commands.json" | grep -c -- '-D_FORTIFY_SOURCE=')
    [ "$commands" -eq "$fortified" ] || fail "$((commands - fortified)) files built without fortify"
    waive+=(--nofortify)
    echo "(Fortify Source waived: all $commands files are compiled with _FORTIFY_SOURCE; the only" \
        "unfortified calls are std::string's $(xargs <<<"$unfortified"))"
fi
hardening-check "${waive[@]}" "$program" || fail "hardening-check failed"
file "$program"

echo "-- install the package with apt-get (it pulls its dependencies)"
installed=false
cleanup() {
    if $installed; then
        DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq conversione >/dev/null
    fi
    rm -rf "$tmp"
}
on_exit cleanup
install_deb() {
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$PWD/$deb" >"$tmp/apt.log" 2>&1
}
if ! install_deb; then
    apt-get update -qq
    install_deb || fail "apt-get install failed:"$'\n'"$(cat "$tmp/apt.log")"
fi
installed=true
dpkg-query -W -f='${Package} ${Version} ${Status}\nDepends: ${Depends}\n' conversione
[ -x /usr/bin/conversione ] || fail "/usr/bin/conversione is not installed"

echo "-- start /usr/bin/conversione under Xvfb"
start_display -screen 0 1024x768x24 || fail "Xvfb did not start"
(cd / && exec env -u QT_QPA_PLATFORM /usr/bin/conversione) >"$tmp/app.log" 2>&1 &
app_pid=$!
started "$app_pid"
window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Conversione$' | head -n 1) \
    || fail "no window titled Conversione was mapped within 30 s:"$'\n'"$(cat "$tmp/app.log")"
echo "window $window mapped: $(xwininfo -id "$window" | grep -E 'Map State|geometry' | xargs)"
icons=$(xprop -id "$window" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | xargs)
[ -n "$icons" ] || fail "the window has no icon (_NET_WM_ICON)"
echo "window icon sizes: $icons"

echo "-- close the window through the window system"
/usr/bin/python3 scripts/ci/close-window.py "$window"
poll 10 gone "$app_pid" || fail "the program did not end within 10 s of closing its window"
status=0
wait "$app_pid" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status:"$'\n'"$(cat "$tmp/app.log")"
echo "the program ended with status 0"

echo "-- remove the package again"
DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y -qq conversione >/dev/null
installed=false
[ ! -e /usr/bin/conversione ] || fail "/usr/bin/conversione is still there"
echo "removed"
