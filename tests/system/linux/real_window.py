#!/usr/bin/python3
"""The program in a real X window: it maps "Conversione", converts "1000", a screenshot of it is
saved (docs/screenshot.png is made from it), and "Chiudi" from the keyboard ends it with status 0.
Usage: real_window.py PROGRAM SCREENSHOT.png   (on the display in $DISPLAY)"""
import subprocess, sys, time
from desktop import find_window, press, screenshot, xdotool
from fixture import end

program, output = sys.argv[1:3]
app = subprocess.Popen([program], stdin=subprocess.DEVNULL, start_new_session=True)
try:
    window = find_window("Conversione") or sys.exit("the window never mapped")
    print(f"window {window} mapped")
    time.sleep(0.5)
    xdotool("windowactivate", "--sync", window)
    press("type:1000 Return")
    time.sleep(0.3)
    print(f"screenshot: {output} ({screenshot(window, output)})")
    press("alt")  # the menu bar opens on "Nuovo"; "Chiudi" is next to it
    time.sleep(0.2)
    press("Right Return")
    status = app.wait(10)
    print(f"Chiudi ended the program with status {status}")
    sys.exit(status != 0)
finally:
    end([app.pid])
