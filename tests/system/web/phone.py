#!/usr/bin/python3
"""The program on a phone (phone.py chromium): Chromium's device mode, a viewport of 360 x 740
CSS pixels at 3 device pixels each, touch and no mouse. The window is scaled up to the page's
width, whole and sharp, with no sideways scroll; a tap on "Input" brings up the keyboard (Qt's
keyboard field focused, taking text) and text typed on it arrives; taps work on Converti, the
options, a message box's OK and the menu; with the keyboard open (the viewport's upper half)
Input, Risultato and Converti stay in view; turned to landscape, the window stays whole. The
steps are a table; the first that fails ends the check. A screenshot of the phone goes to the
build's screenshots/ (`cmake -P cmake/refresh-docs.cmake` copies it to docs/)."""
import sys

import facts
from browser import PHONE
from drive import check as drive_check, drive, opened, point
from page import QT

# What the user does: drive.py's words, "tap", "text" and "view" (the keyboard open, the phone
# turned) among them. Checks: drive.py's, and
#   fills           the window as wide as the page lets it, whole, at least at its own size
#   sharp           its canvas drawn at the device's pixels
#   keyboard        the keyboard's field focused, taking text
#   shown NAMES     the controls NAMES (|-separated) inside the viewport
STEPS = [
    ("the window fills the width, whole", "", "fills"),
    ("drawn at 3 device pixels per CSS pixel", "", "sharp"),
    ("a tap on Decimale", "tap:Decimale", "option Decimale"),
    ("a tap on Input brings up the keyboard", "tap:Input", "keyboard"),
    ("text typed on it arrives", "text:12", "boxes 12|"),
    ("a tap on Converti: 12 refused", "tap:Converti", "box refusal"),
    ("a tap on OK closes the box", "tap:OK", "closed"),
    ("a tap on Binario", "tap:Binario", "option Binario"),
    ("Input, text, Converti: converted", "tap:Input text:1000 tap:Converti shot:screenshot-web-phone",
     "boxes 1000|1111101000"),
    ("a tap on Nuovo empties the boxes", "tap:Nuovo", "boxes |"),
    ("with the keyboard open, the controls stay in view",
     f"tap:Input view:{PHONE[0]}x{PHONE[1] // 2}", "shown Input|Risultato|Converti"),
    ("turned to landscape, the window whole", f"view:{PHONE[1]}x{PHONE[0]}", "fills"),
]

# CSS pixels the program keeps free around its window on each side.
MARGIN = 4


def fills(browser):
    """The window as large as the page lets it: inside it, with no sideways scroll, and its
    width or its height within the margins of the page's (less a step of the scale, 1/64)."""
    got = browser.js(QT + """
        const w = win.getBoundingClientRect(), c = canvas.getBoundingClientRect(), s = screen;
        return [w.left >= s.left && w.right <= s.right && w.top >= s.top && w.bottom <= s.bottom,
                document.documentElement.scrollWidth <= innerWidth, w.width, w.height, s.width,
                s.height, c.width];""")
    whole, no_scroll, width, height, room_width, room_height, client = got
    scale = client / facts.CLIENT_WIDTH
    large = any(room - size <= 2 * MARGIN + size / 64 + 1
                for room, size in ((room_width, width), (room_height, height)))
    ok = whole and no_scroll and large and scale >= 1
    return ok, (f"window inside the page: {whole}, no sideways scroll: {no_scroll}, window"
                f" {width:.0f} x {height:.0f} in {room_width:.0f} x {room_height:.0f} CSS pixels"
                f" (scale {scale:.2f})")


def check(browser, expected):
    kind, _, arg = expected.partition(" ")
    if kind == "fills":
        return fills(browser)
    if kind == "sharp":
        ratio = browser.js(QT + "return canvas.width / canvas.getBoundingClientRect().width;")
        return round(ratio, 2) == 3, f"{ratio:.2f} canvas pixels per CSS pixel"
    if kind == "keyboard":
        field = browser.js("""const e = document.activeElement;
            return e.tagName === 'INPUT' && e.inputMode !== 'none' && e.getAttribute('aria-label');""")
        return field == "Input", f"the focused field: {field!r}"
    if kind == "shown":
        height = browser.js("return visualViewport.height")
        outside = [name for name in arg.split("|") if not 0 <= point(browser, name)[1] <= height]
        return not outside, f"out of view in {height:.0f} CSS pixels: {', '.join(outside)}"
    return drive_check(browser, expected)


def main():
    if sys.argv[1:] != ["chromium"]:
        raise SystemExit(f"usage: {sys.argv[0]} chromium (the one engine with a phone's emulation)")
    with opened("chromium", lambda browser: browser.phone()) as browser:
        drive(browser, STEPS, "web-phone-failure", check)


if __name__ == "__main__":
    main()
