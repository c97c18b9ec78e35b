#!/usr/bin/python3
"""A second build of the same tree, copied into another folder, gives the same bytes: the
program, the zip, the installer and the source archive.
Usage: reproducible.py FILE...   (names in the build folder)"""
import filecmp, os, subprocess, sys
from pathlib import Path
from secondtree import copy_tree

source, build = Path(os.environ["CONVERSIONE_SOURCE"]), Path(os.environ["CONVERSIONE_BUILD"])
again = source / "build" / "windows-again"
copy_tree(source, again)
for step in (["cmake", "--preset", "windows", "-DBUILD_TESTING=OFF"],
             ["cmake", "--build", "--preset", "windows"], ["cpack", "--preset", "windows"]):
    subprocess.run(step, cwd=again, check=True, stdout=subprocess.DEVNULL)
second = again / build.relative_to(source)
differ = [name for name in sys.argv[1:] if not filecmp.cmp(build / name, second / name, shallow=False)]
if differ:
    sys.exit(f"FAIL: differ between two builds of the same tree: {', '.join(differ)}")
print(f"ok: {', '.join(sys.argv[1:])} the same in {second}")
