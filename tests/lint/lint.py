#!/usr/bin/python3
"""The tree's lint checks, one per CTest test (tests/lint/CMakeLists.txt). Each lists the tracked
files when it runs and fails naming every file (and line, where there is one) at fault:

    shell   shellcheck on every shell script: *.sh, and files whose #! line names sh or bash
    cpp     clang-format --dry-run -Werror on every .cpp and .h, by the tree's .clang-format
    python  pyflakes3 on every .py, and files whose #! line names python
    files   no binary outside the folders that hold binaries, no blank at the end of a line,
            no compiled Python

Usage: lint.py shell|cpp|python|files SOURCE_TREE"""
import re
import shutil
import subprocess
import sys
from fnmatch import fnmatchcase
from pathlib import Path

sys.dont_write_bytecode = True  # nothing written into the tree
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "system/common"))
from secondtree import tracked_files  # noqa: E402

SHELL_SHEBANG = re.compile(rb"#!\s*\S*/(env\s+)?(ba|da|k)?sh(\s|$)")
PYTHON_SHEBANG = re.compile(rb"#!\s*\S*/(env\s+)?python[0-9.]*(\s|$)")

# Tracked binaries, by where they may be: the icons, the README's screenshots, and the fuzzers'
# seed inputs, which are bytes rather than text (blanks at line ends included) and are not
# checked as text either.
BINARY_ALLOWED = ("packaging/icons/*", "docs/*.png", "fuzz/corpus/*")
NOT_TEXT = ("fuzz/corpus/*",)

# Each tool, with the Debian package that has it (scripts/packages/checks.txt).
TOOLS = {
    "shell": (["shellcheck", "--format=gcc"], "shellcheck"),
    "cpp": (["clang-format", "--dry-run", "-Werror"], "clang-format"),
    "python": (["pyflakes3"], "pyflakes3"),
}


def first_line(path):
    with open(path, "rb") as f:
        return f.readline(200)


def of_kind(kind, source, names):
    if kind == "shell":
        return [n for n in names
                if n.suffix == ".sh" or SHELL_SHEBANG.match(first_line(source / n))]
    if kind == "python":
        return [n for n in names
                if n.suffix == ".py" or PYTHON_SHEBANG.match(first_line(source / n))]
    return [n for n in names if n.suffix in (".cpp", ".h")]


def run_tool(kind, source, names):
    """Runs KIND's tool on its files from SOURCE (where the scripts' sourced paths start) and
    returns the files it finds fault with, having printed what it said."""
    files = of_kind(kind, source, names)
    if not files:
        print(f"lint {kind}: no files of this kind among {len(names)} tracked: the listing is broken")
        return ["(none found)"]
    command, package = TOOLS[kind]
    if not shutil.which(command[0]):
        print(f"lint {kind}: {command[0]} is not installed (Debian: {package}; "
              "bash scripts/install-deps.sh checks)")
        return [command[0]]
    done = subprocess.run(command + [str(f) for f in files], cwd=source,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print(done.stdout, end="")
    if done.returncode == 0:
        print(f"lint {kind}: {len(files)} files clean")
        return []
    said = done.stdout.splitlines()
    faulty = [str(f) for f in files if any(line.startswith(f"{f}:") for line in said)]
    return faulty or [f"{command[0]} ended with status {done.returncode}"]


def file_faults(source, names):
    """Every fault of the tracked files themselves, as "FILE[:LINE]: what"."""
    faults = []
    for name in names:
        text = str(name)
        if name.suffix in (".pyc", ".pyo") or "__pycache__" in name.parts:
            faults.append(f"{text}: compiled Python is made by running, never tracked")
            continue
        data = (source / name).read_bytes()
        if b"\0" in data:
            if not any(fnmatchcase(text, p) for p in BINARY_ALLOWED):
                faults.append(f"{text}: binary, outside {', '.join(BINARY_ALLOWED)}")
            continue
        if any(fnmatchcase(text, p) for p in NOT_TEXT):
            continue
        for number, line in enumerate(data.split(b"\n"), 1):
            if line.rstrip(b"\r").endswith((b" ", b"\t")):
                faults.append(f"{text}:{number}: blank at the end of the line")
    return faults


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("shell", "cpp", "python", "files"):
        sys.exit(__doc__)
    kind, source = sys.argv[1], Path(sys.argv[2]).resolve()
    names = tracked_files(source)
    if kind == "files":
        faults = file_faults(source, names)
        print("\n".join(faults) if faults else f"lint files: {len(names)} files clean")
        sys.exit(1 if faults else 0)
    faulty = run_tool(kind, source, names)
    if faulty:
        sys.exit(f"lint {kind}: at fault: {' '.join(faulty)}")


if __name__ == "__main__":
    main()
