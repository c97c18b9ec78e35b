#!/usr/bin/python3
"""What screen readers get in the browser: Chromium's accessibility tree (DevTools'
Accessibility.getFullAXTree) as the page loads, with no button pressed, after a conversion and
with a message box open. The expected nodes are a table: role, name, and value or checked state,
and the node they must be inside."""
import sys

from browser import Browser, Failure, describe, find

# (role, name, value or checked state or None, the role of the node it must be inside or None)
AT_START = [
    ("textbox", "Input", "", None),
    ("textbox", "Risultato", "", None),
    ("button", "Converti", None, None),
    ("radiogroup", "Tipo conversione", None, None),
    ("radio", "Binario", "true", "radiogroup"),
    ("radio", "Decimale", "false", "radiogroup"),
    ("menubar", None, None, None),
    ("menuitem", "Nuovo", None, "menubar"),
    ("menuitem", "Chiudi", None, "menubar"),
]
AFTER_CONVERSION = [("textbox", "Input", "1000", None), ("textbox", "Risultato", "1111101000", None)]
WITH_BOX = [("alertdialog", "Conversione", None, None), ("button", "OK", None, "alertdialog")]
ERROR13 = "Errore di run-time '13':\nTipo non corrispondente"


def inside(nodes, node, role):
    parents = {c: n for n in nodes for c in n["children"]}
    while node["id"] in parents:
        node = parents[node["id"]]
        if node["role"] == role:
            return True
    return False


def missing(nodes, table):
    wrong = []
    for role, name, state, parent in table:
        found = [n for n in nodes if n["role"] == role and (name is None or n["name"] == name)
                 and not n["focused"]]
        if not found:
            wrong.append(f"no {role} '{name}'")
            continue
        node = next((n for n in found if not parent or inside(nodes, n, parent)), found[0])
        got = node["checked"] if role == "radio" else node["value"]
        if state is not None and got != state:
            wrong.append(f"{role} '{name}' is {got!r}, not {state!r}")
        if parent and not inside(nodes, node, parent):
            wrong.append(f"{role} '{name}' is not inside a {parent}")
    return wrong


def main():
    with Browser() as b:
        b.open()
        # The elements come as the window is shown: give them their turn.
        try:
            b.wait(lambda: not missing(b.tree(), AT_START), 5, "the tree at start")
        except Failure:
            pass
        wrong = [f"at start: {w}" for w in missing(b.tree(), AT_START)]
        tree_at_start = b.tree()
        b.press("type:1000", "Return")
        wrong += [f"after 1000: {w}" for w in missing(b.tree(), AFTER_CONVERSION)]
        b.press("ctrl+a", "type:abc", "Return")
        nodes = b.tree()
        wrong += [f"with a box: {w}" for w in missing(nodes, WITH_BOX)]
        box = find(nodes, "alertdialog", "Conversione")
        if box and ERROR13 not in (box["description"], *[n["value"] for n in nodes]):
            wrong.append(f"with a box: its text is not {ERROR13!r}")
        if find(tree_at_start, "button", "Enable Screen Reader"):
            wrong.append("Qt's 'Enable Screen Reader' button is still there")
    print("the tree at start:\n" + describe(tree_at_start))
    print("with the message box:\n" + describe(nodes))
    for w in wrong:
        print("FAIL:", w)
    sys.exit(1 if wrong else 0)


if __name__ == "__main__":
    main()
