"""What the Windows checks add to the desktop's words for a program under Wine on the fixtures' X
display: its processes, waiting for them to end, and screenshots kept with the build."""
import os, subprocess
from pathlib import Path
from check import fail
from fixture import alive

BUILD = Path(os.environ.get("CONVERSIONE_BUILD", "."))


def prefix_processes(name):
    """The processes of this Wine prefix whose command line names NAME."""
    found = []
    for proc in Path("/proc").glob("[0-9]*"):
        try:
            env = (proc / "environ").read_bytes().split(b"\0")
            line = (proc / "cmdline").read_bytes().decode(errors="replace")
        except OSError:
            continue
        if f"WINEPREFIX={os.environ['WINEPREFIX']}".encode() in env and name.lower() in line.lower():
            found.append(int(proc.name))
    return [pid for pid in found if alive(pid)]


def wait_wine(seconds=60):
    """Waits until every process of the prefix has ended."""
    if subprocess.run(["timeout", str(seconds), "wineserver", "-w"]).returncode != 0:
        fail(f"Wine's processes did not end within {seconds} s")


def screenshot(win, name):
    path = BUILD / "screenshots" / f"{name}.png"
    path.parent.mkdir(exist_ok=True)
    subprocess.run(["import", "-window", win, str(path)], capture_output=True)
    return path


def screen_on_failure(name):
    """A run_table report: the whole screen kept as NAME's failure."""
    return lambda row, failure: f"the screen: {screenshot('root', f'failure-{name}')}"
