"""A second copy of the source tree in another folder, for the checks that build the same thing
twice and compare the bytes."""
import shutil, subprocess
from pathlib import Path


def copy_tree(source, target):
    """Copies the files git tracks in SOURCE (all files, less top-level build folders, where
    there is no git) into TARGET and, for the time of the last commit that stamps packages, links
    the same git repository. TARGET's own build/ folder is kept, so that a later run rebuilds
    only what changed. Returns TARGET as a Path."""
    source, target = Path(source), Path(target)
    target.mkdir(parents=True, exist_ok=True)
    for entry in target.iterdir():
        if entry.name != "build":
            shutil.rmtree(entry) if entry.is_dir() and not entry.is_symlink() else entry.unlink()
    git = shutil.which("git") and subprocess.run(["git", "-C", source, "ls-files", "-z"],
                                                 capture_output=True)
    if git and git.returncode == 0:
        names = [Path(name) for name in git.stdout.decode().split("\0") if name]
    else:
        names = [path.relative_to(source) for top in source.iterdir()
                 if not top.name.startswith((".git", "build"))
                 for path in (top.rglob("*") if top.is_dir() else [top]) if not path.is_dir()]
    for name in names:
        if (source / name).exists():  # a tracked file deleted in the working tree is not
            (target / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(source / name, target / name, follow_symlinks=False)
    dotgit = source / ".git"
    if git and git.returncode == 0 and dotgit.exists():
        # A worktree's .git is a file naming the repository: a copy of it names the same one.
        (target / ".git").symlink_to(dotgit) if dotgit.is_dir() else shutil.copy2(dotgit, target)
    return target
