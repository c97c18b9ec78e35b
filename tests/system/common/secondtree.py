"""A second copy of the source tree in another folder, for the checks that build the same thing
twice and compare the bytes, and the list of files a fresh clone has."""
import shutil, subprocess
from pathlib import Path


def tracked_files(source):
    """The files a fresh clone has: git's list, or every file but the top-level build folders
    where there is no git (the copy of the tree inside a release root). Links, and tracked files
    deleted in the working tree, are left out."""
    source = Path(source)
    listed = subprocess.run(["git", "-C", str(source), "ls-files", "-z"], capture_output=True) \
        if shutil.which("git") and (source / ".git").exists() else None
    if listed and listed.returncode == 0:
        names = [Path(name) for name in listed.stdout.decode().split("\0") if name]
    else:
        # Compiled Python is never tracked, though a check's Python may leave it anywhere.
        names = [p.relative_to(source) for p in source.rglob("*")
                 if not p.relative_to(source).parts[0].startswith(("build", ".git"))
                 and "__pycache__" not in p.parts and p.suffix != ".pyc"]
    return sorted(n for n in names if (source / n).is_file() and not (source / n).is_symlink())


def copy_tree(source, target):
    """Makes TARGET a copy of SOURCE's tracked files and, for the time of the last commit that
    stamps packages, links the same git repository. TARGET/build, an earlier second build, is
    kept so that it rebuilds only what changed. Returns TARGET as a Path."""
    source, target = Path(source), Path(target)
    target.mkdir(parents=True, exist_ok=True)
    for old in (old for old in target.iterdir() if old.name != "build"):
        (shutil.rmtree if old.is_dir() and not old.is_symlink() else Path.unlink)(old)
    for name in tracked_files(source):
        (target / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(source / name, target / name, follow_symlinks=False)
    dotgit = source / ".git"
    if dotgit.is_dir():
        (target / ".git").symlink_to(dotgit)
    elif dotgit.exists():  # a worktree's: a file naming the repository, and so its copy
        shutil.copy2(dotgit, target)
    return target
