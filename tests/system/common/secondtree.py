"""A second copy of the source tree, for a second build that must give the same bytes."""
import shutil
import subprocess
from pathlib import Path


def tracked_files(source):
    """The files a fresh clone has: git's list, or every file but build/ where there is no git
    (the copy of the tree inside a release root)."""
    listed = subprocess.run(["git", "-C", str(source), "ls-files", "-z"], capture_output=True) \
        if shutil.which("git") else None
    if listed and listed.returncode == 0:
        return [Path(name) for name in listed.stdout.decode().split("\0") if name]
    return sorted(p.relative_to(source) for p in Path(source).rglob("*")
                  if p.is_file() and p.relative_to(source).parts[0] != "build")


def copy_tree(source, target):
    """Makes TARGET a copy of SOURCE's tracked files; TARGET/build, an earlier second build, is
    kept so that it rebuilds only what changed."""
    target = Path(target)
    target.mkdir(parents=True, exist_ok=True)
    for old in target.iterdir():
        old.name == "build" or (shutil.rmtree if old.is_dir() and not old.is_symlink() else Path.unlink)(old)
    for name in tracked_files(source):
        (target / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(Path(source) / name, target / name, follow_symlinks=False)
