# shellcheck shell=bash
# Sourced from the tree's top folder by the scripts that make packages: exports SOURCE_DATE_EPOCH,
# the one time that two builds of one commit stamp everywhere (archives, packages, and rcc's
# resources in place of the embedded files' times), so that they give the same bytes. Kept when
# already set (scripts/release-root.sh hands its roots the time taken outside); else the last
# commit's time; without git (a tree exported from it), noon UTC of the release date.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) || SOURCE_DATE_EPOCH=""
    if [ -z "$SOURCE_DATE_EPOCH" ]; then
        released=$(sed -n 's/^set(CONVERSIONE_RELEASE_DATE "\([0-9-]*\)")$/\1/p' CMakeLists.txt)
        [ -n "$released" ] || { echo "no release date in CMakeLists.txt" >&2; exit 1; }
        SOURCE_DATE_EPOCH=$(date -u -d "$released 12:00:00" +%s)
    fi
fi
export SOURCE_DATE_EPOCH
