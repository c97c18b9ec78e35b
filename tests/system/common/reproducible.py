#!/usr/bin/python3
"""Two builds of one commit give the same bytes, wherever the tree is: the tree copied into
another folder, built there through the same preset, and the named files compared with this
build's (a folder: every file in it). A difference is named with where it starts, and whether the
second file holds the path of the folder it was built in.
Usage: reproducible.py PRESET PATH...   (paths in the tree, glob patterns: build/deb/*.deb)"""
import os, subprocess, sys
from pathlib import Path
from secondtree import copy_tree

# How each preset makes what it ships.
BUILDS = {
    "deb": [["bash", "packaging/build-deb.sh"]],
    "windows": [["cmake", "--preset", "windows", "-DBUILD_TESTING=OFF"],
                ["cmake", "--build", "--preset", "windows"], ["cpack", "--preset", "windows"]],
    "web": [["cmake", "--preset", "web", "-DBUILD_TESTING=OFF"],
            ["cmake", "--build", "--preset", "web", "--target", "site"]],
}


def difference(first, second, copy):
    """What tells two files apart, or None when they are the same."""
    if not second.exists():
        return "missing from the second build"
    a, b = first.read_bytes(), second.read_bytes()
    if a == b:
        return None
    at = next((i for i, (x, y) in enumerate(zip(a, b)) if x != y), min(len(a), len(b)))
    leak = " and holds the path of the tree it was built in" if str(copy).encode() in b else ""
    return f"{len(a)} and {len(b)} bytes, different from byte {at}{leak}"


if len(sys.argv) < 3 or sys.argv[1] not in BUILDS:
    sys.exit(__doc__)
preset, paths = sys.argv[1], sys.argv[2:]
source = Path(os.environ["CONVERSIONE_SOURCE"])
copy = copy_tree(source, source / "build" / f"{preset}-again")
for step in BUILDS[preset]:
    subprocess.run(step, cwd=copy, check=True, stdout=subprocess.DEVNULL)
named = []  # every file the patterns name in the tree, a folder's by their paths
for whole in (match for pattern in paths for match in sorted(source.glob(pattern))):
    named += sorted(p for p in whole.rglob("*") if p.is_file()) if whole.is_dir() else [whole]
named = [p.relative_to(source) for p in named]
if not named:
    sys.exit(f"FAIL: nothing in {source} matches {' '.join(paths)}")
wrong = 0
for name in named:
    why = difference(source / name, copy / name, copy)
    wrong += why is not None
    print(f"{'DIFFERS' if why else 'same'}: {name}" + (f": {why}" if why else ""))
if wrong:
    sys.exit(f"FAIL: {wrong} file(s) differ between two builds of the same tree in {source} and {copy}")
