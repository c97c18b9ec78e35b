"""What the Windows checks do to a program under Wine on the fixtures' X display: start it, find
its window, press keys, read the clipboard that Wine shares with X, keep a screenshot."""
import os, subprocess, sys
from pathlib import Path
from desktop import key, windows
from fixture import alive, poll

TITLE = "Conversione"
BUILD = Path(os.environ.get("CONVERSIONE_BUILD", "."))


def fail(message):
    words = [Path(sys.argv[0]).stem] + [a.strip("-") for a in sys.argv[2:5] if "/" not in a]
    shot = screenshot("root", "-".join(["failure", *words]))
    sys.exit(f"FAIL: {message} (the screen: {shot})")


def out(*argv, seconds=30):
    """What ARGV prints, "" if it has not ended within SECONDS (xclip waits as long as the
    clipboard's owner does not answer)."""
    try:
        return subprocess.run(list(map(str, argv)), capture_output=True, text=True,
                              timeout=seconds).stdout.strip()
    except subprocess.TimeoutExpired:
        return ""


def launch(argv, log, **env):
    with open(log, "wb") as sink:
        return subprocess.Popen(["wine", *map(str, argv)], stdout=sink, stderr=sink,
                                env=dict(os.environ, **env))


def main_window(seconds=60):
    """The program's window once mapped, made active (openbox activates a new window, but not
    always by the time it is mapped)."""
    win = (poll(seconds, windows) or fail(f"no window titled {TITLE} within {seconds} s"))[0]
    active = lambda: out("xdotool", "getactivewindow") == win
    if not poll(5, active):
        subprocess.run(["timeout", "10", "xdotool", "windowactivate", "--sync", win], capture_output=True)
    poll(5, active) or fail("the window does not get the keyboard focus")
    return win


def copy_with(seconds, *names):
    """What NAMES copy, or "" when nothing is copied within SECONDS."""
    sentinel, clipboard = "(nothing copied)", lambda: out("xclip", "-o", "-selection", "clipboard")
    # xclip stays behind to serve it, until someone copies: away from any pipe of ours.
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=sentinel.encode(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    poll(2, lambda: clipboard() == sentinel) or fail("the clipboard cannot be set")
    key(*names)
    return (poll(seconds, lambda: clipboard() != sentinel and clipboard()) or "").replace("\r", "")


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
    subprocess.run(["timeout", str(seconds), "wineserver", "-w"]).returncode == 0 \
        or fail(f"Wine's processes did not end within {seconds} s")


def screenshot(win, name):
    path = BUILD / "screenshots" / f"{name}.png"
    path.parent.mkdir(exist_ok=True)
    subprocess.run(["import", "-window", win, str(path)], capture_output=True)
    return path


def check_table(rows, run):
    """Runs RUN(row) for each row of a table whose first column names the step; stops at the
    first failure, named."""
    for row in rows:
        try:
            run(row)
        except SystemExit as failure:
            sys.exit(f"{row[0]}: {failure}")
        print(f"ok: {row[0]}", flush=True)
