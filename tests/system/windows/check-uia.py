#!/usr/bin/python3
"""What UI Automation, which Narrator and NVDA read on Windows, gives of the program's window
under Wine 10: the whole tree against uia-tree.txt, then the element with the keyboard focus at
start and after each key of a walk through the window. The client is uia-tree.cpp.
Usage: check-uia.py EXE UIA_TREE_EXE"""
import subprocess
import sys
from pathlib import Path

from fixture import poll
from winetools import check_table, fail, keys, launch, main_window

# The walk from the keyboard: the keys pressed, and the element that must then have the focus,
# its control type and name as uia-tree prints them. Accessibility news is asynchronous: each
# step waits a few seconds for the focus to arrive.
STEPS = [
    ("focus at start", "", 'Edit "Input"'),
    ("Tab: Input to Risultato", "Tab", 'Edit "Risultato"'),
    ("Tab: Risultato to Converti", "Tab", 'Button "Converti"'),
    ("Tab: Converti to the option group", "Tab", 'RadioButton "Binario"'),
    # Selecting an option sends the focus back to the input box.
    ("Down: Decimale selected, focus Input", "Down", 'Edit "Input"'),
]


def main():
    exe, client = sys.argv[1:3]
    expected = "".join(line for line in (Path(__file__).parent / "uia-tree.txt").open()
                       if not line.startswith("#"))
    program = launch([exe], Path("uia-program.log").resolve())
    main_window()
    read = lambda *args: subprocess.run(["timeout", "30", "wine", client, *args],
                                        capture_output=True, text=True)
    last = []

    def reads(want, *args):
        last[:] = [read(*args)]
        if program.poll() is not None:
            fail("the program exited")
        return want(last[0].stdout)

    def tree(_row):
        if not poll(10, lambda: reads(lambda got: got == expected)):
            fail(f"the tree differs from uia-tree.txt:\n{last[0].stdout or last[0].stderr}")

    def focus(row):
        if row[1]:
            keys(*row[1].split())
        if not poll(10, lambda: reads(lambda got: got.startswith(row[2] + " "), "--focus")):
            fail(f"the focus is on {last[0].stdout or last[0].stderr}, expected {row[2]}")

    check_table([("the whole tree",)], tree)
    check_table(STEPS, focus)
    program.kill()


if __name__ == "__main__":
    main()
