#!/usr/bin/env bash
# Builds the Debian package in build/deb with Debian's hardening flags (dpkg-buildflags, plus
# immediate binding) and prints the path of the .deb. Installs what it needs first.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/install-deps.sh build package

# dpkg-buildflags maps the source folder to "." in debug info, so ask it from the source root.
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now"
# Stack clash protection and control-flow protection: newer dpkg-buildflags add them by default
# (its "stackclash" and "branch" features), Debian 12's do not yet; hardening-check asks for both.
case " $cxxflags " in
*" -fstack-clash-protection "*) ;;
*) cxxflags+=" -fstack-clash-protection" ;;
esac
if [ "$(dpkg-architecture -qDEB_HOST_ARCH_CPU)" = amd64 ]; then
    case " $cxxflags " in
    *" -fcf-protection"*) ;;
    *) cxxflags+=" -fcf-protection" ;;
    esac
fi

# Two builds of one commit give the same bytes, as Debian's reproducible builds ask: CPack stamps
# every file, both archives and the package with SOURCE_DATE_EPOCH, and rcc writes it into the
# program in place of the embedded icons' file times.
source scripts/lib/source-date-epoch.sh

cmake --preset deb -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
# The build tool cannot see that SOURCE_DATE_EPOCH changed: have rcc run again every time (its
# output is in .rcc/ up to Qt 6.4, in .qt/rcc/ later).
find build/deb \( -path '*/.rcc/qrc_*.cpp' -o -path '*/.qt/rcc/qrc_*.cpp' \) ! -name '*_init.cpp' -delete
cmake --build --preset deb
rm -f build/deb/*.deb
cpack --preset deb >/dev/null
ls build/deb/*.deb
