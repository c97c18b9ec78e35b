"""Debian's Chromium, headless, on the served site (CONVERSIONE_SITE_URL), driven through Selenium:
keys as a user types them, the page's script, and what screen readers get, Chromium's
accessibility tree read through the DevTools protocol. The web checks share it."""
import os
import tempfile

from check import Failure, wait
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

FLAGS = ["--headless=new", "--no-sandbox", "--force-renderer-accessibility", "--disable-gpu",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--no-first-run", "--window-size=800,600", "--lang=it"]
# Key names of the steps' tables, as Selenium sends them.
KEYS = {"Return": Keys.ENTER, "Tab": Keys.TAB, "Down": Keys.DOWN, "Up": Keys.UP,
        "Right": Keys.RIGHT, "Left": Keys.LEFT, "Escape": Keys.ESCAPE, "F10": Keys.F10,
        "space": Keys.SPACE}


class Browser:
    def __init__(self, *flags):
        self.profile = tempfile.TemporaryDirectory(prefix="conversione-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        for flag in FLAGS + [f"--user-data-dir={self.profile.name}", *flags]:
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.url = os.environ["CONVERSIONE_SITE_URL"]
        origin = self.url.rstrip("/")
        self.cdp("Browser.grantPermissions", origin=origin,
                 permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.driver.quit()
        self.profile.cleanup()

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def open(self, ready=True):
        """Loads the page; with ready, waits until the program's window is on it."""
        self.driver.get(self.url)
        if ready:
            try:
                # The window on the page, and the keyboard with it: Qt's keyboard field focused.
                wait(30, lambda: self.js("return document.body.dataset.pronto === '1' &&"
                                         " document.activeElement.tagName === 'INPUT'"),
                     "the program's window on the page, with the keyboard")
            except Failure as failure:
                raise Failure(f"{failure}; the console:\n{self.console()}") from None

    def console(self):
        """What the page and the program wrote to the browser's console since the last call."""
        return "\n".join(entry["message"] for entry in self.driver.get_log("browser"))

    def press(self, *keys):
        """Keys of the steps' tables: names in KEYS, "alt" (a tap of Alt alone),
        "ctrl+X", "shift+Tab", or "type:TEXT"."""
        chain = ActionChains(self.driver)
        for key in keys:
            if key.startswith("type:"):
                chain.send_keys(key[5:])
            elif key == "alt":  # a human-length tap, as a person's
                chain.key_down(Keys.ALT).pause(0.05).key_up(Keys.ALT)
            elif "+" in key:
                modifier, _, name = key.partition("+")
                held = {"ctrl": Keys.CONTROL, "shift": Keys.SHIFT}[modifier]
                chain.key_down(held).send_keys(KEYS.get(name, name)).key_up(held)
            else:
                chain.send_keys(KEYS[key])
            chain.pause(0.05)
        chain.perform()

    def paste(self, text):
        """TEXT put on the browser's clipboard and pasted with Ctrl+V, as a user pastes."""
        self.driver.execute_async_script(
            "navigator.clipboard.writeText(arguments[0]).then(arguments[1], arguments[1]);", text)
        self.press("ctrl+v")

    def tree(self):
        """Chromium's accessibility tree, as screen readers get it: the nodes not ignored, each
        with role, name, value and checked state, and its children's ids."""
        nodes = []
        for node in self.cdp("Accessibility.getFullAXTree")["nodes"]:
            if node.get("ignored"):
                continue
            props = {p["name"]: p["value"].get("value") for p in node.get("properties", [])}
            nodes.append({"id": node["nodeId"], "role": node.get("role", {}).get("value", ""),
                          "name": node.get("name", {}).get("value", ""),
                          "value": node.get("value", {}).get("value", ""),
                          "checked": props.get("checked"), "focused": props.get("focused"),
                          "children": node.get("childIds", []),
                          "description": node.get("description", {}).get("value", "")})
        return nodes

    def screenshot(self, path):
        self.driver.save_screenshot(str(path))


def find(nodes, role, name=None):
    """The first node of the role (and name), or None; the browser's focused element (Qt's
    keyboard field, which takes the focused control's role and name) only where no other is."""
    found = [n for n in nodes if n["role"] == role and (name is None or n["name"] == name)]
    return next((n for n in found if not n["focused"]), found[0] if found else None)


def describe(nodes):
    """The tree as indented lines "role 'name' = value", for a failure's report; the page's
    layout nodes left out."""
    by_id = {n["id"]: n for n in nodes}
    children = {c for n in nodes for c in n["children"]}
    lines = []

    def walk(node, depth):
        shown = node["role"] not in ("none", "generic", "InlineTextBox", "StaticText", "LineBreak")
        if shown:
            lines.append("  " * depth + f"{node['role']} '{node['name']}'"
                         + (f" = {node['value']!r}" if node["value"] else "")
                         + (f" checked={node['checked']}" if node["checked"] is not None else "")
                         + (" focused" if node["focused"] else ""))
        for child in node["children"]:
            if child in by_id:
                walk(by_id[child], depth + shown)

    for root in (n for n in nodes if n["id"] not in children):
        walk(root, 1)
    return "\n".join(lines)
