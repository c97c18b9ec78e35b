#!/usr/bin/python3
"""The Windows program under Wine, driven from outside as a user drives it: keys and clicks with
xdotool, and what the boxes and message boxes hold read back through the clipboard (Ctrl+A
Ctrl+C in a text box; Ctrl+C in a message box copies its title, text and buttons).
    drive-program.py EXE          the whole walk (STEPS)
    drive-program.py EXE --files  start, a conversion, "Chiudi", under WINEDEBUG=+file: every
                                  file the program opens must be Windows', the user's or its own
"""
import re
import subprocess
import sys
from pathlib import Path

from fixture import alive, poll
from winetools import TITLE, check_table, copy_with, fail, keys, launch, main_window, out
from winetools import type_text, windows

MESSAGES = {  # as conversion/modulo1.cpp and runtime/runtimeerror.cpp give them
    "refusal": "Impossibile soddisfare la richiesta: il numero immesso non è binario",
    "error13": "Errore di run-time '13':\nTipo non corrispondente",
}
# What the user does (xdotool key names; "type:TEXT", "alt" a tap of Alt alone, "launch",
# "menu:N" a click on the Nth item of the menu bar) and what must follow: window (shown and
# active), reads TEXT (Ctrl+A Ctrl+C copies TEXT; "nothing": the focus is in no text box or an
# empty one), box NAME (a message box with that message), closed (the box is gone, the program
# goes on), ends STATUS. Space two Tabs after Input presses Converti; Down one Tab before Input
# switches the option.
STEPS = [
    ("the window opens", "launch", "window"),
    ("1000 converted to binary", "type:1000 Return Tab", "reads 1111101000"),
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
    ("Alt Chiudi ends the program", "alt Right Return", "ends 0"),
    ("a second run", "launch", "window"),
    ("a click on Chiudi ends it", "menu:2", "ends 0"),
]
FILE_STEPS = [STEPS[0], STEPS[1], ("Alt Chiudi ends the program", "alt Right Return", "ends 0")]
# Where the program may open files (Windows paths, lower case): Windows' own folders, the
# user's profile, and its own folder (added at run time). Wine's own (Z:\usr\...) files are
# Wine's implementation of Windows' folders.
ALLOWED = [r"c:\windows", r"c:\users", r"z:\usr\lib\x86_64-linux-gnu\wine", r"z:\usr\share\wine",
           r"\??\c:\windows", r"\??\c:\users", "\\\\.\\", r"\device\\"]


class Program:
    def __init__(self, exe, env):
        self.exe, self.env, self.process, self.main = exe, env, None, None
        self.log = Path(f"{Path(exe).stem}-drive.log").resolve()

    def press(self, step_keys):
        for key in step_keys.split():
            if key == "launch":
                self.process = launch([self.exe], self.log, **self.env)
            elif key == "alt":
                subprocess.run(["xdotool", "keydown", "Alt_L", "sleep", "0.05", "keyup", "Alt_L"])
            elif key.startswith("type:"):
                type_text(key[5:])
            elif key.startswith("menu:"):
                x, y = menu_item(self.main, int(key[5:]))
                subprocess.run(["xdotool", "mousemove", "--window", self.main, str(x), str(y),
                                "click", "1"], check=True)
            elif re.fullmatch(r"F\d+", key):
                # xdotool presses a key symbol with the modifiers of the first keymap entry that
                # reaches it, and newer xkb-data lists Alt among the ways to F1..F12; a keycode
                # goes with none.
                keymap = out("xkbcomp", "-xkb", subprocess.os.environ["DISPLAY"], "-")
                keys(re.search(rf"<FK{int(key[1:]):02d}>\s*=\s*(\d+);", keymap).group(1))
            else:
                keys(key)

    def boxes(self):
        return [w for w in windows() if w != self.main]

    def check(self, expect):
        what, _, arg = expect.partition(" ")
        if what == "window":
            self.main = main_window()
        elif what == "reads":
            want = "" if arg == "nothing" else arg
            copy = lambda: copy_with(1, "ctrl+a", "ctrl+c")
            # Nothing copied: only waiting tells. Else a key may come before a queued change of
            # focus: ask again until the time is up.
            got = copy() if not want else poll(5, lambda: (c := copy()) == want and c) or copy()
            got == want or fail(f"read {got!r}, expected {want!r}")
        elif what == "box":
            poll(5, self.boxes) or fail("no message box opened")
            rule = "-" * 27
            want = "\n".join([rule, TITLE, rule, MESSAGES[arg], rule, "OK   ", rule])
            poll(5, lambda: copy_with(1, "ctrl+c") == want) or fail(f"the box copied:\n"
                                                                    f"{copy_with(1, 'ctrl+c')}")
        elif what == "closed":
            poll(5, lambda: not self.boxes()) or fail("the message box is still open")
            alive(self.process.pid) or fail("the program ended")
            self.main in windows() or fail("the program's window is gone")
        elif what == "ends":
            poll(10, lambda: self.process.poll() is not None) or fail("the program still runs")
            if self.process.returncode != int(arg):
                fail(f"the program ended with status {self.process.returncode}, expected {arg}")


def menu_item(win, n):
    """The middle of the Nth item of the menu bar, from the window's top-left corner: the items
    are runs of columns with dark pixels in the window's top strip, apart by more than a
    letter's gap (a row dark all across is a rule, not a word)."""
    shot = subprocess.run(["import", "-window", win, "-crop", "400x24+0+0", "+repage",
                           "-colorspace", "gray", "-threshold", "50%", "txt:-"],
                          capture_output=True, text=True).stdout
    dark = [tuple(map(int, m)) for m in re.findall(r"^(\d+),(\d+):.*#000000", shot, re.M)]
    rows = {y: sum(1 for _, yy in dark if yy == y) for _, y in dark}
    dark = [(x, y) for x, y in dark if rows[y] < 200]
    words, last = [], -100
    for x in sorted({x for x, _ in dark}):
        if x - last > 5:
            words.append([x, x])
        words[-1][1], last = x, x
    if len(words) < n:
        fail(f"no item {n} in the menu bar")
    ys = [y for _, y in dark]
    return sum(words[n - 1]) // 2, (min(ys) + max(ys)) // 2


def files_outside(log, exe):
    """The files the program's process opened outside the allowed folders."""
    own = str(Path(exe).parent).lower()
    opened = set()
    for line in log.read_text(errors="replace").splitlines():
        match = re.search(r'(?:CreateFileW|NtCreateFile|NtOpenFile)\b.*?L"([^"]+)"', line)
        if match:
            opened.add(match.group(1).replace("\\\\", "\\").lower())
    own_win = out("winepath", "-w", own).lower()
    return sorted(p for p in opened
                  if not any(p.startswith(a) for a in ALLOWED + [own_win, "\\??\\" + own_win]))


def main():
    exe = sys.argv[1]
    files = "--files" in sys.argv
    program = Program(exe, {"WINEDEBUG": "+file"} if files else {})
    check_table(FILE_STEPS if files else STEPS,
                lambda row: (program.press(row[1]), program.check(row[2])))
    if files:
        outside = files_outside(program.log, exe)
        if outside:
            sys.exit("FAIL: files opened outside Windows', the user's and the program's folders:\n"
                     + "\n".join(outside))
        print("ok: every file opened is Windows', the user's or the program's own")


if __name__ == "__main__":
    main()
