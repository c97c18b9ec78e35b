#!/usr/bin/python3
"""The npm packages of the Firefox checks (package.json and package-lock.json beside this file:
puppeteer-core) installed into the build with `npm ci`, never into the source tree, and no
browser downloaded. Run again, it installs only when the lock file has changed.

    node.py FOLDER    installs into FOLDER/node_modules"""
import os
import shutil
import subprocess
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    folder = Path(argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    lock = (HERE / "package-lock.json").read_bytes()
    stamp = folder / "node_modules" / ".installed-from-lock.json"
    if stamp.exists() and stamp.read_bytes() == lock:
        print(f"npm packages in {folder / 'node_modules'}: as the lock file says")
        return
    for name in ("package.json", "package-lock.json"):
        shutil.copyfile(HERE / name, folder / name)
    if not shutil.which("npm"):
        sys.exit("node.py: npm is not installed (Debian: npm; bash scripts/install-deps.sh web)")
    # No package's install script runs: puppeteer-core needs none, and none may fetch a browser.
    env = dict(os.environ, PUPPETEER_SKIP_DOWNLOAD="1")
    done = subprocess.run(["npm", "ci", "--prefix", str(folder), "--ignore-scripts", "--no-audit",
                           "--no-fund"], env=env)
    if done.returncode:
        sys.exit(f"node.py: npm ci ended with status {done.returncode}")
    stamp.write_bytes(lock)


if __name__ == "__main__":
    main(sys.argv)
