#!/usr/bin/python3
"""Two builds of one tree give the same site, byte for byte: builds the site a second time, in a
build folder of its own (BUILD-again) with the first one's toolchain, and compares every file of
the two sites, the compressed copies included."""
import filecmp
import os
import re
import subprocess
import sys
from pathlib import Path


def main():
    source, build = Path(os.environ["CONVERSIONE_SOURCE"]), Path(os.environ["CONVERSIONE_BUILD"])
    again = build.with_name(build.name + "-again")
    cache = (build / "CMakeCache.txt").read_text()
    toolchain = re.search(r"^CMAKE_TOOLCHAIN_FILE:\w+=(.*)$", cache, re.M).group(1)
    env = dict(os.environ, EMSDK="/usr/share/emscripten")
    for command in (["cmake", "-S", source, "-B", again, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
                     f"-DCMAKE_TOOLCHAIN_FILE={toolchain}", "-DBUILD_TESTING=OFF"],
                    ["cmake", "--build", again, "--target", "site"]):
        subprocess.run(command, env=env, check=True, stdout=subprocess.DEVNULL)
    first, second = build / "site", again / "site"
    names = sorted(p.name for p in first.iterdir())
    if names != sorted(p.name for p in second.iterdir()):
        sys.exit(f"the sites hold different files: {names}")
    _, differ, errors = filecmp.cmpfiles(first, second, names, shallow=False)
    for name in names:
        print(f"{'DIFFERS' if name in differ + errors else 'same'}: {name}")
    sys.exit(1 if differ or errors else 0)


if __name__ == "__main__":
    main()
