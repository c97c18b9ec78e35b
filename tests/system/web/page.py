#!/usr/bin/python3
"""The page around the program, in headless Chromium: Italian, titled, with the icon and a line on
what it is; a progress indicator while the program loads (on a slowed network); a plain message
where the browser has no WebAssembly, and one for scripts turned off; the window at its size with
its title and menu bar, centred, drawn at the device's pixel ratio; and "Chiudi" ending the
program, with the page saying so and starting it again on request. Each check is a row of a
table; all run, and the failures are listed."""
import sys

import time
from browser import Browser, Failure

WINDOW = (339, 160)  # the client area below the menu bar, in CSS pixels (window/formdescription.h)

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
    facts = b.js("""return [document.documentElement.lang, document.title,
        document.querySelector('link[rel=icon]').href, document.querySelector('header p').textContent,
        document.querySelector('noscript').textContent]""")
    icon = b.js("return fetch(arguments[0]).then(r => r.status + ' ' + r.headers.get('content-type'))",
                facts[2])
    return [("lang", facts[0], "it"), ("title", facts[1], "Conversione"),
            ("icon", icon, "200 image/svg+xml"),
            ("what it is", "Converte un numero tra notazione decimale e binaria" in facts[3], True),
            ("noscript", "attivalo" in facts[4] and "JavaScript" in facts[4], True)]


def window_on_page(b):
    b.open()
    got = b.js(QT + """
        const w = win.getBoundingClientRect(), c = canvas.getBoundingClientRect();
        return [win.querySelector('.title-bar .window-name')?.textContent ?? '',
                Math.round(c.width), Math.round(c.height),
                Math.round((w.left + w.right) / 2 - (screen.left + screen.right) / 2),
                Math.round((w.top + w.bottom) / 2 - (screen.top + screen.bottom) / 2)];""")
    title, width, height, dx, dy = got
    return [("title bar", title.strip(), "Conversione"), ("client width", width, WINDOW[0]),
            ("menu bar above the client area", height > WINDOW[1] + 15, True),
            ("centred across", abs(dx) <= 1, True), ("centred down", abs(dy) <= 1, True)]


def crisp(b):
    b.cdp("Emulation.setDeviceMetricsOverride", width=800, height=600, deviceScaleFactor=2,
          mobile=False)
    b.open()
    ratio = b.js(QT + "return canvas.width / canvas.getBoundingClientRect().width;")
    return [("canvas pixels per CSS pixel at ratio 2", round(ratio, 2), 2.0)]


def progress(b):
    b.cdp("Network.enable")
    b.cdp("Network.emulateNetworkConditions", offline=False, latency=50,
          downloadThroughput=500_000, uploadThroughput=500_000)
    b.open(ready=False)
    shown = b.js("""const p = document.getElementById('caricamento');
                    return !p.hidden && !!p.querySelector('progress') && p.textContent.trim();""")
    b.wait(lambda: b.js("return document.body.dataset.pronto === '1'"), 60, "the window")
    gone = b.js("return document.getElementById('caricamento').hidden")
    return [("progress while loading", shown, "Caricamento del programma…"),
            ("gone once loaded", gone, True)]


def no_webassembly(b):
    # A browser without WebAssembly, as far as the page can tell.
    b.cdp("Page.addScriptToEvaluateOnNewDocument", source="delete globalThis.WebAssembly;")
    b.open(ready=False)
    b.wait(lambda: not b.js("return document.getElementById('senza-webassembly').hidden"), 5,
           "the message")
    text = b.js("return document.getElementById('senza-webassembly').textContent")
    return [("message without WebAssembly", "non esegue WebAssembly" in text, True)]


def ending(b):
    b.open()
    # Each key once Qt has handled the one before (F10 opens the menu bar from a queued call).
    for key in ("F10", "Right", "Return"):
        time.sleep(1)
        b.press(key)
    b.wait(lambda: not b.js("return document.getElementById('fine').hidden"), 5, "the end")
    text = b.js("return document.getElementById('fine').innerText")
    b.js("document.querySelector('#fine button').click()")
    b.wait(lambda: b.js("return document.body.dataset.pronto === '1'"), 30, "a new start")
    b.press("type:10", "Return")
    again = b.wait(lambda: b.js(QT + "return !!canvas"), 5, "the window")
    return [("Chiudi: the page says so", text.split("\n")[0], "Il programma è terminato."),
            ("and offers to start again", "Avvia di nuovo" in text, True),
            ("started again", again, True)]


CHECKS = [page_itself, window_on_page, crisp, progress, no_webassembly, ending]


def main():
    failures = 0
    for check in CHECKS:
        try:
            with Browser() as browser:
                rows = check(browser)
        except Failure as error:
            rows = [(check.__name__, str(error), "no failure")]
        for what, got, wanted in rows:
            ok = got == wanted
            failures += not ok
            print(f"{'ok' if ok else 'FAIL'}: {what}" + ("" if ok else f": {got!r}, not {wanted!r}"))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
