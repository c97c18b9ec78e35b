#!/usr/bin/python3
"""The program in a real X window, as a user meets it: its window maps, "1000" typed and Enter
give "1111101000" in "Risultato" (read back through the clipboard), a screenshot of it is saved
(docs/screenshot.png is made from it), and "Chiudi" from the keyboard ends it with status 0.
Usage: real_window.py PROGRAM SCREENSHOT.png   (on the display in $DISPLAY)"""
import sys
from desktop import Drive, screenshot

program, output = sys.argv[1:3]
drive = Drive([program], "real-window.log")
drive.expect["shot"] = lambda _: print(f"screenshot: {output} ({screenshot(drive.main, output)})")
drive.run([
    ("the window maps and takes the keyboard", "launch", "window"),
    ("1000 and Enter: Risultato reads 1111101000", "type:1000 Return Tab", "reads 1111101000"),
    # Back in Input with the caret at the end, as after typing: what the screenshot shows.
    ("a screenshot of the conversion", "shift+Tab End", "shot"),
    ("Alt, Right, Enter: Chiudi ends it with status 0", "alt Right Return", "ends 0"),
])
