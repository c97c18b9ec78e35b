#!/usr/bin/python3
"""The program in a browser engine (drive.py chromium|firefox|webkit), driven as a user drives it:
keys and clicks on the page, and what the boxes, options and message boxes hold and where the
focus is read back from the engine's accessibility tree, as a screen reader reads it; and that
tree holding every control, named, with its role and state, and each message box as an alert
dialog. The steps are a table, the same for every engine; the first that fails ends the check,
named, with the tree and a screenshot. Screenshots of the page before and after a conversion go
to the build's screenshots/ (Chromium's as they are named; `cmake -P cmake/refresh-docs.cmake`
copies them to docs/), the other engines' with the engine's name after theirs."""
import os
import sys
from contextlib import contextmanager
from itertools import groupby
from pathlib import Path

import facts
from browser import ENDED, browser as start_browser, describe, engine_argument, find
from check import Failure, run_table, wait

LONGEST = facts.LONGEST_INPUT

# What the user does, and what must follow. Keys as browser.Browser.press takes them, or
# "click:OK" (a click on the message box's OK), "click:beside" (on the page beside the window),
# "paste:N" (a paste of N digits "1" from the clipboard), "shot:NAME" (a screenshot kept).
# Checks:
#   boxes INPUT|RESULT  the values of "Input" and "Risultato"
#   focus NAME          the keyboard's focus is on the control NAME
#   option NAME         NAME checked, the other option not
#   box NAME            a message box (dialog "Conversione") with message NAME is open
#   closed              no message box is open
#   ended               the program has ended, the page says so
#   tree NAME           what screen readers get holds the nodes of TREES[NAME]
# The Tab steps walk the tab order from Input; later steps place its stops as the Windows
# program's drive does.
STEPS = [
    ("at load, screen readers get every control, with no button pressed", "", "tree start"),
    ("at load, keys reach Input unclicked", "shot:screenshot-web-start type:1000 Return",
     "boxes 1000|1111101000"),
    ("after the conversion, the focus in Input", "shot:screenshot-web", "focus Input"),
    ("Tab: Input to Risultato", "Tab", "focus Risultato"),
    ("typing in Risultato changes nothing", "type:5", "boxes 1000|1111101000"),
    ("Tab: Risultato to Converti", "Tab", "focus Converti"),
    ("Tab: Converti to the option group", "Tab", "focus Binario"),
    ("Tab: the option group to Input", "Tab", "focus Input"),
    ("Down in the group: Decimale", "shift+Tab Down", "option Decimale"),
    ("... and the caret back in Input", "", "focus Input"),
    ("12 in Decimale: Converti refuses", "ctrl+a type:12 Tab Tab space", "box refusal"),
    ("the box keeps the keyboard", "type:9 Tab", "box refusal"),
    ("... on its OK, where a screen reader lands", "", "focus OK"),
    ("Return closes the refusal", "Return", "closed"),
    ("the refusal emptied the boxes", "", "boxes |"),
    ("101 after the refusal: 5", "Tab Tab type:101 Return", "boxes 101|5"),
    ("Return in Risultato converts", "ctrl+a type:110 Tab Return", "boxes 110|6"),
    ("F10 Nuovo: both boxes emptied", "F10 Return", "boxes |"),
    ("... and the caret in Input", "", "focus Input"),
    ("Up in the group: Binario", "shift+Tab Up", "option Binario"),
    ("abc to binary: run-time error 13", "ctrl+a type:abc Return", "box error13"),
    ("... the box shown again: the focus on its OK", "", "focus OK"),
    ("... an alert dialog with its OK button", "shot:screenshot-web-box", "tree box"),
    ("a click on OK closes it", "click:OK", "closed"),
    ("the program goes on, input kept", "", "boxes abc|"),
    ("a click beside an open box", "Return click:beside", "box error13"),
    ("... leaves the keyboard in the box", "Return", "closed"),
    ("a paste past the bound is refused whole", f"ctrl+a paste:{LONGEST + 1}", "box too long"),
    ("Return closes it, the input as it was", "Return", "boxes abc|"),
    ("a paste up to the bound is taken", f"ctrl+a paste:{LONGEST}", f"boxes {'1' * LONGEST}|"),
    ("typing past the bound is refused", "type:1", "box too long"),
    ("Return closes it, the input as it was", "Return", f"boxes {'1' * LONGEST}|"),
    ("Alt alone opens the menu bar: Nuovo", "alt Return", "boxes |"),
]


# What screen readers must get from the accessibility tree: (role, name, value or checked
# state or None, the role of the node it must be inside or None).
TREES = {
    "start": [("textbox", "Input", "", None), ("textbox", "Risultato", "", None),
              ("button", "Converti", None, None), ("radiogroup", "Tipo conversione", None, None),
              ("radio", "Binario", "true", "radiogroup"), ("radio", "Decimale", "false", "radiogroup"),
              ("menubar", None, None, None), ("menuitem", "Nuovo", None, "menubar"),
              ("menuitem", "Chiudi", None, "menubar")],
    "box": [("alertdialog", facts.TITLE, None, None), ("button", "OK", None, "alertdialog")],
}


def inside(nodes, node, role):
    parents = {c: n for n in nodes for c in n["children"]}
    while node["id"] in parents:
        node = parents[node["id"]]
        if node["role"] == role:
            return True
    return False


def missing(nodes, table):
    """What the tree lacks of the table's nodes, in words."""
    wrong = []
    for role, name, state, parent in table:
        # Qt's keyboard field, focused, stands for the focused control: the control's own node
        # first, but for a message box's OK, which has the focus itself.
        found = sorted((n for n in nodes if n["role"] == role and (name is None or n["name"] == name)),
                       key=lambda n: bool(n["focused"]))
        node = next((n for n in found if not parent or inside(nodes, n, parent)), found[:1] and found[0])
        if not node:
            wrong.append(f"no {role} '{name}'")
        elif state is not None and (node["checked"] if role == "radio" else node["value"]) != state:
            wrong.append(f"{role} '{name}' is not {state!r}")
        elif parent and not inside(nodes, node, parent):
            wrong.append(f"{role} '{name}' is not inside a {parent}")
    if find(nodes, "button", "Enable Screen Reader"):
        wrong.append("Qt's 'Enable Screen Reader' button is still there")
    return wrong


def boxes(nodes):
    values = []
    for name in ("Input", "Risultato"):
        node = find(nodes, "textbox", name)
        if node is None:
            raise Failure(f"no text box named '{name}'")
        values.append(node["value"])
    return "|".join(values)


def dialog_text(nodes):
    """The message of the open message box, or None: its description, or its text's node."""
    box = find(nodes, "alertdialog", "Conversione") or find(nodes, "dialog", "Conversione")
    if box is None:
        return None
    if box["description"]:
        return box["description"]
    inside = {n["id"]: n for n in nodes}
    texts = [inside[c]["value"] or inside[c]["name"] for c in box["children"] if c in inside]
    return next((t for t in texts if t and t != "OK"), "")


def point(browser, what):
    """Where a user clicks or taps WHAT, in CSS pixels: "beside" the window (the page's bottom left
    corner), or the control named WHAT. Qt 6.8 places the accessible element of a button in a
    button box elsewhere (off to the right; on a phone, above the page) at the button's size: for a
    message box's OK, the point is in the box's bottom right corner, where the button is, inside
    the box's margin."""
    if what == "beside":
        return [5, browser.js("return document.documentElement.clientHeight") - 5]
    found = browser.js("""
        const root = [...document.querySelectorAll('*')].find(e => e.shadowRoot).shadowRoot;
        const named = [...root.querySelectorAll('*')].filter(e => e.getClientRects().length
            && (e.getAttribute('aria-label') || e.textContent) === arguments[0]);
        const element = named.at(-1);
        if (!element) return null;
        const r = element.getBoundingClientRect();
        const box = arguments[0] === 'OK' && [...root.querySelectorAll('.qt-window')]
                .sort((a, b) => (+a.style.zIndex || 0) - (+b.style.zIndex || 0)).at(-1)
                .querySelector('canvas.qt-window-content').getBoundingClientRect();
        return box ? [box.right - 12 - r.width / 2, box.bottom - 12 - r.height / 2]
                   : [r.x + r.width / 2, r.y + r.height / 2];""",
                       what)
    if not found:
        raise Failure(f"no control '{what}' on the page")
    return found


def shot_name(browser, name):
    return f"{name}.png" if browser.engine == "chromium" else f"{name}-{browser.engine}.png"


# The words of a step that are no key, each with what it does with its argument: those of the
# table above, and a phone's (phone.py): "tap:NAME" (a tap on the control NAME), "text:TEXT" (typed
# on the phone's keyboard), "view:WxH" (the viewport made W x H CSS pixels).
ACTIONS = {"click": lambda browser, arg: browser.click(*point(browser, arg)),
           "paste": lambda browser, arg: browser.paste("1" * int(arg)),
           "shot": lambda browser, arg: browser.screenshot(shots_folder() / shot_name(browser, arg)),
           "tap": lambda browser, arg: browser.tap(*point(browser, arg)),
           "text": lambda browser, arg: browser.insert_text(arg),
           "view": lambda browser, arg: browser.phone(*map(int, arg.split("x")))}


def act(browser, keys, pause=0.05):
    """Does a step: its ACTIONS in turn, the keys between them pressed in one go, PAUSE apart."""
    for are_keys, words in groupby(keys.split(), lambda word: word.partition(":")[0] not in ACTIONS):
        if are_keys:
            browser.press(*words, pause=pause)
        else:
            for kind, _, arg in (word.partition(":") for word in words):
                ACTIONS[kind](browser, arg)


def check(browser, expected):
    kind, _, arg = expected.partition(" ")
    nodes = browser.tree()
    if kind == "boxes":
        got = boxes(nodes)
        return got == arg, f"boxes {got[:60]!r}"
    if kind == "focus":
        focused = next((n for n in nodes if n["focused"] and n["role"] != "RootWebArea"), None)
        return (focused or {}).get("name") == arg, f"focus on {focused and focused['name']!r}"
    if kind == "option":
        states = {name: (find(nodes, "radio", name) or {}).get("checked")
                  for name in ("Binario", "Decimale")}
        wanted = {name: "true" if name == arg else "false" for name in states}
        return states == wanted, f"options {states}"
    if kind == "box":
        # A description is read as one line.
        text = dialog_text(nodes)
        return text is not None and text.split() == facts.MESSAGES[arg].split(), f"message box {text!r}"
    if kind == "ended":
        return browser.js(ENDED), "the program still runs"
    if kind == "closed":
        text = dialog_text(nodes)
        return text is None, f"message box {text!r}"
    if kind == "tree":
        wrong = missing(nodes, TREES[arg])
        return not wrong, "; ".join(wrong)
    raise Failure(f"no check '{kind}'")


def follows(browser, expected, checker=check):
    """Waits a little for what is EXPECTED (a check of the table, made by CHECKER): what follows a
    key comes through the browser's event loop."""
    seen = [False, "nothing seen"]

    def holds():
        seen[:] = checker(browser, expected)
        return seen[0]
    try:
        wait(5, holds, expected)
    except Failure:
        raise Failure(f"expected {expected[:60]!r}, {seen[1]}") from None


def shots_folder():
    """The build's folder of screenshots, made where missing."""
    shots = Path(os.environ["CONVERSIONE_BUILD"]) / "screenshots"
    shots.mkdir(exist_ok=True)
    return shots


@contextmanager
def opened(engine, prepare=lambda browser: None):
    """ENGINE's browser started, PREPARE(browser) done, and the program's page open in it."""
    with start_browser(engine) as browser:
        print(f"{engine} {browser.version}", flush=True)
        prepare(browser)
        browser.open()
        yield browser


def drive(browser, steps, failure_shot, checker=check):
    """Runs a table of steps (what, what the user does, what must follow); the first that fails
    ends it, with the tree and the screenshot FAILURE_SHOT kept."""
    def step(row):
        act(browser, row[1])
        follows(browser, row[2], checker)

    def report(row, failure):
        shot = shots_folder() / shot_name(browser, failure_shot)
        browser.screenshot(shot)
        return f"the page kept as {shot}; the tree:\n{describe(browser.tree())}"

    run_table(steps, step, report=report)


def main():
    with opened(engine_argument(sys.argv)) as browser:
        drive(browser, STEPS, "web-drive-failure")


if __name__ == "__main__":
    main()
