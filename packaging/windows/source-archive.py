#!/usr/bin/python3
"""Writes the program's source as NAME.tar.gz with one folder NAME/, for relinking it with another
Qt: the files git tracks (every file but build/ where there is no git, as in the copy of the
tree inside a release root), stamped with SOURCE_DATE_EPOCH, so that every copy of one commit
gives the same bytes.
Usage: source-archive.py SOURCE_TREE NAME OUTPUT"""
import gzip
import io
import os
import sys
import tarfile
from pathlib import Path

# The module comes from the checks' folder: no __pycache__ left there, in the tree this archives.
sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests/system/common"))
from secondtree import tracked_files  # noqa: E402


def tar_of_files(source, name):
    stamp = int(os.environ.get("SOURCE_DATE_EPOCH", "0"))
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=tarfile.PAX_FORMAT) as tar:
        for path in sorted(tracked_files(source)):
            info = tar.gettarinfo(str(source / path), f"{name}/{path}")
            info.mtime, info.uid, info.gid, info.uname, info.gname = stamp, 0, 0, "root", "root"
            info.mode = 0o755 if info.mode & 0o100 else 0o644
            with open(source / path, "rb") as data:
                tar.addfile(info, data)
    return out.getvalue()


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    source, name = Path(sys.argv[1]), sys.argv[2]
    Path(sys.argv[3]).write_bytes(gzip.compress(tar_of_files(source, name), mtime=0))


if __name__ == "__main__":
    main()
