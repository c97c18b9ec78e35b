#!/usr/bin/python3
"""The Windows program under Wine, driven from outside as a user drives it: keys and clicks with
xdotool, and what the boxes and message boxes hold read back through the clipboard (Ctrl+A
Ctrl+C in a text box; Ctrl+C in a message box copies its title, text and buttons).
    drive-program.py EXE               the whole walk (STEPS)
    drive-program.py EXE --files       start, a conversion, "Chiudi", under WINEDEBUG=+file
    drive-program.py EXE --uia CLIENT  what UI Automation (Narrator, NVDA) reads through CLIENT
                                       (uia-tree.cpp): the tree, then the focus along a walk
    drive-program.py EXE --look LOOK PERCENT GUI_TEST...  the window in a look (LOOKS) at a scale"""
import os, re, subprocess, sys
from pathlib import Path
import facts
from check import fail, poll, wait
from desktop import BUILD, Drive, copy_with, kept_screenshot, out, screen_on_failure, wait_wine, windows
from fixture import alive

# What the user does (Drive's keys, and "menu:N", a click on the Nth item of the menu bar) and what
# must follow: Drive's words, box NAME (a message box with that message), closed (the box is gone,
# the program goes on); tree (UI Automation's tree is uia-tree.txt), focus ELEMENT (UI Automation's
# focus is on it); looks (the window's size, brightness and screenshot in the look and scale),
# gui-tests (the GUI tests pass in it); files (each file opened is Windows', the user's or its own).
# Space two Tabs after Input presses Converti; Down one Tab before Input switches the option.
OPEN, CONVERT, CLOSE = (("the window opens", "launch", "window"),
                        ("1000 converted to binary", "type:1000 Return Tab", "reads 1111101000"),
                        ("Alt Chiudi ends the program", "alt Right Return", "ends 0"))
STEPS = {"": [
    OPEN, CONVERT,
    ("Tab: Risultato to Converti", "Tab", "reads nothing"),
    ("Tab: Converti to the option group", "Tab", "reads nothing"),
    ("Tab: the option group to Input", "Tab", "reads 1000"),
    ("Down in the group: Decimale", "shift+Tab Down", "reads 1000"),
    ("12 in Decimale: Converti refuses", "ctrl+a type:12 Tab Tab space", "box refusal"),
    ("Return closes the refusal", "Return", "closed"),
    ("101 after the refusal: 5", "Tab Tab type:101 Return Tab", "reads 5"),
    ("F10 Nuovo: Input emptied", "F10 Return type:1", "reads 1"),
    ("F10 Nuovo: Risultato emptied", "Tab", "reads nothing"),
    ("Up in the group: Binario", "shift+Tab shift+Tab Up", "reads 1"),
    ("abc to binary: run-time error 13", "ctrl+a type:abc Return", "box error13"),
    ("Return closes the error box", "Return", "closed"),
    ("the program goes on, input kept", "", "reads abc"),
    CLOSE,
    ("a second run", "launch", "window"),
    ("a click on Chiudi ends it", "menu:2", "ends 0"),
], "--files": [OPEN, CONVERT, CLOSE, ("only Windows', the user's and its own files", "", "files")],
    "--uia": [  # UI Automation's news is asynchronous: each step waits for the focus to arrive
    OPEN, ("the whole tree", "", "tree"),
    ("focus at start", "", 'focus Edit "Input"'),
    ("Tab: Input to Risultato", "Tab", 'focus Edit "Risultato"'),
    ("Tab: Risultato to Converti", "Tab", 'focus Button "Converti"'),
    ("Tab: Converti to the option group", "Tab", 'focus RadioButton "Binario"'),
    # Selecting an option sends the focus back to the input box.
    ("Down: Decimale selected, focus Input", "Down", 'focus Edit "Input"'), CLOSE,
    # The GUI tests run once the program has ended, whose window would take the focus from theirs.
], "--look": [OPEN, ("its size and looks", "", "looks"), CONVERT, CLOSE,
              ("the GUI tests' captions and geometry in this look", "", "gui-tests")]}
# UI Automation's control types by number, as uia-tree.txt names them.
UIA_TYPES = {"50000": "Button", "50004": "Edit", "50010": "MenuBar", "50011": "MenuItem",
             "50013": "RadioButton", "50020": "Text", "50026": "Group", "50032": "Window"}
# Where the program may open files (Windows paths, lower case): Windows' own folders, the
# user's profile, and its own folder (added at run time). Wine's own (Z:\usr\...) files are
# Wine's implementation of Windows' folders, the system's fonts its fonts folder; pipe\ names
# Wine's own RPC service pipes (COM, the clipboard), no file on any disk.
ALLOWED = (r"c:\windows", r"c:\users", r"z:\usr\lib\x86_64-linux-gnu\wine", r"z:\usr\share\wine",
           r"z:\usr\share\fonts", "\\\\.\\", "\\device\\", "pipe\\")
# The settings of Windows a look changes (key, value, type), each look's values, and the functions
# of the GUI tests that check captions and geometry (all for a test not named). Windows 11's
# style is Qt's only where Windows says it is Windows 11.
SETTINGS = [(r"HKCU\Control Panel\Desktop", "LogPixels", "REG_DWORD"),
            (r"HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize",
             "AppsUseLightTheme", "REG_DWORD"), (r"HKCU\Software\Wine", "Version", "REG_SZ")]
LOOKS = {"windowsvista-light": (1, "win10"), "windows11-light": (1, "win11"), "windows11-dark": (0, "win11")}
FUNCTIONS = {"tst_frmbinario": ["captionsFit", "geometry", "fixedSize", "takesANewScreensScale"]}


class Program(Drive):
    def __init__(self, exe, env, extra):
        super().__init__(["wine", exe], Path(f"{Path(exe).stem}-drive.log").resolve(),
                         dict(os.environ, **env))
        self.exe, self.extra = exe, extra
        self.expect.update({"box": self.box, "closed": self.closed, "tree": self.tree,
                            "focus": self.focus, "files": self.files, "looks": self.looks,
                            "gui-tests": self.gui_tests})

    def special(self, word):
        if word.startswith("menu:"):
            x, y = wait(5, lambda: menu_item(self.main, int(word[5:])), f"the menu bar's item {word[5:]}")
            out("xdotool", "mousemove", "--window", self.main, x, y, "click", 1, check=True)
            return True
        return super().special(word)

    def boxes(self):
        return [w for w in windows() if w != self.main]

    def uia(self):
        """The tree the UI Automation client prints (its error when it fails)."""
        read = subprocess.run(["timeout", "30", "wine", self.extra[0]], capture_output=True, text=True)
        if not alive(self.process.pid):
            fail("the program exited")
        return re.sub(r"^( *)(\d+)", lambda m: m[1] + UIA_TYPES.get(m[2], f"ControlType{m[2]}"),
                      read.stdout.replace("\r", ""), flags=re.M) or read.stderr

    def box(self, name):
        wait(5, self.boxes, "a message box")
        rule = "-" * 27
        want = "\n".join([rule, facts.TITLE, rule, facts.MESSAGES[name], rule, "OK   ", rule])
        if not poll(5, lambda: copy_with("ctrl+c") == want):
            fail(f"the message box copied {copy_with('ctrl+c')!r}, not {want!r}")

    def closed(self, _):
        wait(5, lambda: not self.boxes(), "the message box to close")
        if not alive(self.process.pid):
            fail("the program ended")
        if self.main not in windows():
            fail("the program's window is gone")

    def tree(self, _):
        want = "".join(line for line in (Path(__file__).parent / "uia-tree.txt").open() if line[0] != "#")
        if not poll(10, lambda: self.uia() == want):
            fail(f"the tree is not uia-tree.txt:\n{self.uia()}")

    def focus(self, element):
        focused = lambda: [line.strip() for line in self.uia().splitlines()[1:] if line.endswith(" focused")]
        if not poll(10, lambda: focused()[:1] and focused()[0].startswith(element + " ")):
            fail(f"the focus is on {focused()}, not {element}")

    def files(self, _):
        # The files the program opened, as Wine's +file log names them, in lower case.
        opened = {m.replace("\\\\", "\\").lower().removeprefix("\\??\\").removeprefix("\\\\?\\")
                  for m in re.findall(r'(?:CreateFileW|NtCreateFile|NtOpenFile)\b.*?L"([^"]+)"',
                                      self.log.read_text(errors="replace"))}
        own = out("winepath", "-w", Path(self.exe).parent).lower()
        # No file of its own seen means the log was not read right (Wine's format changed), not
        # that all is well.
        if not any(path.startswith(own) for path in opened):
            fail(f"no file opened in the program's own folder {own} among {len(opened)} in the log")
        outside = sorted(path for path in opened if not path.startswith(ALLOWED + (own,)))
        if outside:
            fail("files opened outside Windows' folders, the user's and its own:\n" + "\n".join(outside))

    def looks(self, _):
        """The window at the scale: as wide as the client area scaled, its menu bar over it; dark or
        light once drawn (Wine shows a black window first); its screenshot kept."""
        look, percent = self.extra[:2]
        scale, name = int(percent) / 100, f"windows-{look}-{percent}"
        size = [int(n) for n in re.findall(r"\d+", out("xdotool", "getwindowgeometry", self.main))[-2:]]
        menu = size[1] - round(facts.CLIENT_HEIGHT * scale)
        if abs(size[0] - round(facts.CLIENT_WIDTH * scale)) > 1 or not 15 * scale <= menu <= 40 * scale:
            fail(f"the window is {size[0]}x{size[1]}, not {facts.CLIENT_WIDTH}x(menu bar + "
                 f"{facts.CLIENT_HEIGHT}) at {percent} %")

        def drawn():
            shot = kept_screenshot(self.main, name)
            mean, spread = map(float, out("convert", shot, "-colorspace", "gray", "-format",
                                          "%[fx:mean] %[fx:standard_deviation]", "info:").split())
            return spread > 0.05 and (shot, mean)
        shot, mean = wait(10, drawn, "the window to be drawn")
        if (mean < 0.5) != look.endswith("dark"):
            fail(f"{shot} is {mean:.2f} bright, not {look}")

    def gui_tests(self, _):
        look, percent, *tests = self.extra
        for test in tests:
            report = BUILD / "screenshots" / f"windows-{look}-{percent}-{Path(test).stem}.txt"
            done = subprocess.run(["wine", test, *FUNCTIONS.get(Path(test).stem, []), "-o", f"{report},txt"],
                                  env=self.env, capture_output=True)
            if done.returncode:
                fail(f"{Path(test).name} in this look:\n{report.read_text()}")


def menu_item(win, n):
    """The middle of the Nth item of the menu bar, from the window's top-left corner: the items
    are runs of columns with dark pixels in the window's top strip, apart by more than a
    letter's gap (a row dark all across is a rule, or a window not drawn yet)."""
    shot = out("convert", kept_screenshot(win, "menu-bar"), "-crop", "400x24+0+0", "+repage",
               "-colorspace", "gray", "-threshold", "50%", "txt:-")
    dark = [tuple(map(int, m)) for m in re.findall(r"^(\d+),(\d+):.*#000000", shot, re.M)]
    rows = {y: sum(1 for _, yy in dark if yy == y) for _, y in dark}
    dark = [(x, y) for x, y in dark if rows[y] < 200]
    found, last = [], -100
    for x in sorted({x for x, _ in dark}):
        found += [[x, x]] if x - last > 5 else []
        found[-1][1], last = x, x
    ys = [y for _, y in dark]
    return len(found) >= n and (sum(found[n - 1]) // 2, (min(ys) + max(ys)) // 2)


def set_look(values):
    """Windows' settings for a look, which Wine's processes read as they start, so every process
    of the prefix ends first; None for Wine's own values."""
    subprocess.run(["wineserver", "-k"])
    wait_wine()
    for (key, name, kind), value in zip(SETTINGS, values):
        verb, data = ("delete", []) if value is None else ("add", ["/t", kind, "/d", str(value)])
        subprocess.run(["wine", "reg", verb, key, "/v", name, *data, "/f"], capture_output=True)
    subprocess.run(["wineserver", "-k"])
    wait_wine()


exe, mode, extra = sys.argv[1], (sys.argv[2:3] or [""])[0], sys.argv[3:]
env = {"--files": {"WINEDEBUG": "+file"}, "--look": {"QT_STYLE_OVERRIDE": "".join(extra[:1]).split("-")[0]}}
program = Program(exe, env.get(mode, {}), extra)
if mode == "--look":
    set_look((int(extra[1]) * 96 // 100, *LOOKS[extra[0]]))
shot = "-".join(["drive", mode.strip("-"), *(extra[:2] if mode == "--look" else [])])  # no client's path
try:
    program.run(STEPS[mode], screen_on_failure(shot))
finally:
    if mode == "--look":
        set_look((None, None, None))
