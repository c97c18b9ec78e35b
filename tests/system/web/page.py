#!/usr/bin/python3
"""The page around the program, in a browser engine (page.py chromium|firefox|webkit): Italian,
titled, with the icon and a line on what it is; a progress indicator while the program loads (on
a slowed network); a plain message where the browser has no WebAssembly, and one for scripts
turned off; the window at its size with its title and menu bar, centred, drawn at the device's
pixel ratio; and "Chiudi" ending the program, with the page saying so and starting it again on
request. Each check is a row of a table, the same for every engine; all run, and the failures
are listed."""
import sys

import facts
from browser import READY, browser, engine_argument
from check import Failure, run_table, wait
from drive import follows

WINDOW = (facts.CLIENT_WIDTH, facts.CLIENT_HEIGHT)  # the client area below the menu bar, in CSS pixels

# JavaScript that finds Qt's window on the page: its element, its title bar's text, its canvas.
QT = """
    const host = [...document.querySelectorAll('*')].find(e => e.shadowRoot);
    const root = host && host.shadowRoot;
    const win = root && root.querySelector('.qt-window');
    const canvas = root && root.querySelector('canvas.qt-window-content');
    const screen = document.getElementById('screen').getBoundingClientRect();
"""


def page_itself(b):
    b.open()
    page = b.js("""return [document.documentElement.lang, document.title,
        document.querySelector('link[rel=icon]').href, document.querySelector('header p').textContent,
        document.querySelector('noscript').textContent]""")
    icon = b.js("return fetch(arguments[0]).then(r => r.status + ' ' + r.headers.get('content-type'))",
                page[2])
    return [("lang", page[0], "it"), ("title", page[1], facts.TITLE),
            ("icon", icon, "200 image/svg+xml"),
            ("what it is", facts.DESCRIPTION in page[3], True),
            ("noscript", "attivalo" in page[4] and "JavaScript" in page[4], True)]


def window_on_page(b):
    b.open()
    got = b.js(QT + """
        const w = win.getBoundingClientRect(), c = canvas.getBoundingClientRect();
        return [win.querySelector('.title-bar .window-name')?.textContent ?? '',
                Math.round(c.width), Math.round(c.height),
                Math.round((w.left + w.right) / 2 - (screen.left + screen.right) / 2),
                Math.round((w.top + w.bottom) / 2 - (screen.top + screen.bottom) / 2)];""")
    title, width, height, dx, dy = got
    return [("title bar", title.strip(), facts.TITLE), ("client width", width, WINDOW[0]),
            ("menu bar above the client area", height > WINDOW[1] + 15, True),
            ("CSS pixels off the centre across", dx if abs(dx) > 1 else 0, 0),
            ("CSS pixels off the centre down", dy if abs(dy) > 1 else 0, 0)]


def crisp(b):
    b.open()
    ratio = b.js(QT + "return canvas.width / canvas.getBoundingClientRect().width;")
    return [("canvas pixels per CSS pixel at ratio 2", round(ratio, 2), 2.0)]


def progress(b):
    b.open(ready=False, slow=True)
    shown = b.js("""const p = document.getElementById('caricamento');
                    return !p.hidden && !!p.querySelector('progress') && p.textContent.trim();""")
    wait(60, lambda: b.js(READY), "the window")
    gone = b.js("return document.getElementById('caricamento').hidden")
    return [("progress while loading", shown, "Caricamento del programma…"),
            ("gone once loaded", gone, True)]


def no_webassembly(b):
    # A browser without WebAssembly, as far as the page can tell.
    b.open(ready=False, before="delete globalThis.WebAssembly;")
    wait(5, lambda: not b.js("return document.getElementById('senza-webassembly').hidden"), "the message")
    text = b.js("return document.getElementById('senza-webassembly').textContent")
    # It names the engines the checks run in.
    named = [name for name in ("Firefox", "Chromium", "WebKit") if name in text]
    return [("message without WebAssembly", "non esegue WebAssembly" in text, True),
            ("the engines it names", named, ["Firefox", "Chromium", "WebKit"])]


def ending(b):
    b.open()
    # Each key once Qt has shown what the one before did: the menu bar open, Chiudi highlighted.
    for key, then in (("F10", "focus Nuovo"), ("Right", "focus Chiudi"), ("Return", "ended")):
        b.press(key)
        follows(b, then)
    text = b.js("return document.getElementById('fine').innerText")
    b.js("document.querySelector('#fine button').click()")
    wait(30, lambda: b.js(READY), "a new start")
    b.press("type:10", "Return")
    again = wait(5, lambda: b.js(QT + "return !!canvas"), "the window")
    return [("Chiudi: the page says so", text.split("\n")[0], "Il programma è terminato."),
            ("and offers to start again", "Avvia di nuovo" in text, True),
            ("started again", again, True)]


# Each check, with the device's pixel ratio of its browser.
CHECKS = [("the page itself", page_itself, 1), ("the window on the page", window_on_page, 1),
          ("sharp at a pixel ratio of 2", crisp, 2), ("a progress bar while loading", progress, 1),
          ("a browser without WebAssembly", no_webassembly, 1), ("Chiudi ends it", ending, 1)]


def check(engine, row):
    """Runs one check in a browser of ENGINE of its own; each of its facts printed, those wrong a
    Failure."""
    with browser(engine, scale=row[2]) as b:
        seen = row[1](b)
    for what, got, wanted in seen:
        print(f"  {'ok' if got == wanted else 'wrong'}: {what}")
    wrong = [f"{what}: {got!r}, not {wanted!r}" for what, got, wanted in seen if got != wanted]
    if wrong:
        raise Failure("; ".join(wrong))


def main():
    engine = engine_argument(sys.argv)
    run_table(CHECKS, lambda row: check(engine, row), keep_going=True)


if __name__ == "__main__":
    main()
