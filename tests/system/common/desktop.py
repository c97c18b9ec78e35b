"""Driving a window on the X display in $DISPLAY as a user does: find it by its title, press keys,
type, tap Alt, read what a box holds through the clipboard, take a screenshot, and close it as a
window manager's close button does; Drive, a program driven by a table of steps; and for a program
under Wine, the processes of its prefix, a wait for them to end, screenshots kept with the build."""
import contextlib, os, re, subprocess, time
from pathlib import Path
from check import fail, poll, run_table, wait
from facts import TITLE
from fixture import alive, end, launch

BUILD = Path(os.environ["CONVERSIONE_BUILD"])


def out(*argv, seconds=30, check=False):
    """What ARGV prints, or "" after SECONDS (xclip waits as long as the clipboard's owner is
    silent); with CHECK, a failure raises."""
    try:
        return subprocess.run(list(map(str, argv)), capture_output=True, text=True, timeout=seconds,
                              check=check).stdout.strip()
    except subprocess.TimeoutExpired:
        return ""


def windows():
    """The ids of the visible windows titled exactly as the program's."""
    return out("xdotool", "search", "--onlyvisible", "--name", f"^{TITLE}$").split()


def key(*names):
    """Presses each key in turn, with no modifier left held by an earlier step. xdotool adds the
    modifiers of the first keymap entry that reaches a key's symbol, and xkb-data 2.48 lists Alt
    among the ways to F1..F12 (so "key F10" sends Alt+F10): function keys go as keycodes, sent bare."""
    for name in names:
        if function := re.fullmatch(r"F(1[0-2]|[1-9])", name):
            keymap = out("xkbcomp", "-xkb", os.environ["DISPLAY"], "-")
            name = re.search(rf"^\s*<FK{int(function[1]):02d}>\s*=\s*(\d+);", keymap, re.M)[1]
        out("xdotool", "key", "--clearmodifiers", name, check=True)


def press(step, special, delay=30):
    """Does a table's step, words apart: "type:TEXT" types TEXT, "alt" taps Alt alone, any other
    word is an xdotool key name, unless SPECIAL(word), the table's own words, returns true."""
    for name in step.split():
        if special(name):
            continue
        elif name == "alt":
            # Held as long as a person does: a zero-length tap may open the menu bar and shut it
            # again at once. The one fixed pause of the checks: a key held, not a wait for anything.
            out("xdotool", "keydown", "Alt_L")
            time.sleep(0.05)
            out("xdotool", "keyup", "Alt_L")
        elif name.startswith("type:"):
            out("xdotool", "type", "--delay", delay, name[5:], check=True)
        else:
            key(name)


def screenshot(window, path):
    """Saves the window with its frame as PNG; returns its size, WIDTHxHEIGHT."""
    subprocess.run(["import", "-window", str(window), "-frame", str(path)], check=True)
    return out("identify", "-format", "%wx%h", path)


def close_window(window):
    """Sends the window WM_DELETE_WINDOW, so that the program ends through its own close handling."""
    from Xlib import X, display
    from Xlib.protocol import event
    screen = display.Display()
    target = screen.create_resource_object("window", int(window))
    delete = screen.intern_atom("WM_DELETE_WINDOW")
    if delete not in (target.get_wm_protocols() or []):
        raise RuntimeError(f"window {window} does not take WM_DELETE_WINDOW")
    target.send_event(event.ClientMessage(window=target, client_type=screen.intern_atom("WM_PROTOCOLS"),
                                          data=(32, [delete, X.CurrentTime, 0, 0, 0])))
    screen.flush()


def copy_with(*names):
    """What the keys NAMES copy to the clipboard, or "" when nothing is copied within a second."""
    sentinel, clipboard = "(nothing copied)", lambda: out("xclip", "-o", "-selection", "clipboard")
    # xclip stays behind to serve it, until someone copies: away from any pipe of ours.
    subprocess.run(["xclip", "-i", "-selection", "clipboard"], input=sentinel.encode(),
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait(2, lambda: clipboard() == sentinel, "the clipboard to take a text")
    key(*names)
    return (poll(1, lambda: clipboard() != sentinel and clipboard()) or "").replace("\r", "")


class Drive:
    """A program on the display, driven by a table of steps (name, keys, what must follow). Keys
    are press()'s, and "launch" starts the program; what must follow is a word of self.expect and
    its argument: window (its window shows and takes the keyboard), reads TEXT (Ctrl+A Ctrl+C in
    the focused box copies TEXT; "nothing": no box, or an empty one, has the focus), ends STATUS.
    A platform's drive adds its own words."""

    def __init__(self, argv, log, env=None):
        self.argv, self.log, self.env, self.process, self.main = argv, log, env, None, None
        self.expect = {"window": self.window, "reads": self.reads, "ends": self.ends}

    def special(self, word):
        if word == "launch":
            self.process = launch(self.argv, self.log, env=self.env)
        return word == "launch"

    def window(self, _):
        """The program's window once mapped, made active (the window manager may do it only later)."""
        self.main = wait(60, windows, f"a window titled {TITLE}")[0]
        active = lambda: out("xdotool", "getactivewindow") == self.main
        if not poll(5, active):
            out("xdotool", "windowactivate", "--sync", self.main, seconds=10)
        wait(5, active, "the window to get the keyboard focus")

    def reads(self, text):
        want = "" if text == "nothing" else text
        copy = lambda: copy_with("ctrl+a", "ctrl+c")
        # Nothing copied: only waiting tells. Else a key may come before a queued change of focus:
        # ask again until the time is up.
        got = copy() if not want else poll(5, lambda: (c := copy()) == want and c) or copy()
        if got != want:
            fail(f"the box reads {got!r}, not {want!r}")

    def ends(self, status):
        wait(10, lambda: self.process.poll() is not None, "the program to end")
        if self.process.returncode != int(status):
            fail(f"the program ended with status {self.process.returncode}, not {status}")

    def step(self, row):
        press(row[1], self.special)
        word, _, arg = row[2].partition(" ")
        if word:
            self.expect[word](arg)

    def run(self, rows, report=None, step=None):
        """Runs the table (with STEP in place of self.step), then ends the program if still running
        (it would take the next check's keys)."""
        try:
            run_table(rows, step or self.step, report=report)
        finally:
            if self.process:
                end([self.process.pid])


def prefix_processes(name):
    """The live processes of this Wine prefix whose command line names NAME."""
    found = []
    for proc in Path("/proc").glob("[0-9]*"):
        with contextlib.suppress(OSError):  # a process that has ended, or another user's
            env = (proc / "environ").read_bytes().split(b"\0")
            line = (proc / "cmdline").read_bytes().decode(errors="replace")
            if f"WINEPREFIX={os.environ['WINEPREFIX']}".encode() in env and name.lower() in line.lower():
                found.append(int(proc.name))
    return [pid for pid in found if alive(pid)]


def wait_wine():
    """Waits until every process of the prefix has ended."""
    if subprocess.run(["timeout", "60", "wineserver", "-w"]).returncode != 0:
        fail("Wine's processes did not end within 60 s")


def kept_screenshot(window, name):
    """The window without its frame as BUILD/screenshots/NAME.png, whose path is returned."""
    path = BUILD / "screenshots" / f"{name}.png"
    path.parent.mkdir(exist_ok=True)
    subprocess.run(["import", "-window", window, str(path)], capture_output=True)
    return path


def screen_on_failure(name):
    """A run_table report: the whole screen kept as NAME's failure."""
    return lambda row, failure: f"the screen: {kept_screenshot('root', f'failure-{name}')}"
