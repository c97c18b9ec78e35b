"""The browsers the web checks drive on the served site (CONVERSIONE_SITE_URL), one class per
engine behind one interface, so that every check is written once: keys as a user types them, a
click at a point, a paste from the clipboard, the page's script, a screenshot, and what screen
readers get, the accessibility tree as a list of nodes (id, role, name, value, checked, focused,
children, description; roles and names as Chromium's tree gives them).

- chromium: Debian's headless Chromium through Selenium and chromedriver; its tree read through
  the DevTools protocol.
- firefox: Debian's Firefox ESR through puppeteer-core over WebDriver BiDi (firefox.cjs; Debian
  has no geckodriver), in a window on the display, where it publishes its tree to AT-SPI.
- webkit: WebKitGTK's MiniBrowser through Selenium and WebKitWebDriver, on the display.
Firefox's and WebKit's trees are read from AT-SPI on the session bus, as Linux screen readers
read them, and mapped to Chromium's roles.

A slow network and a browser without WebAssembly are made the same way in every engine: the page
fetched through a relay on this machine (Relay) that sends it slowly, or with a script of the
check's run before the page's own."""
import http.server
import json
import os
import select
import signal
import subprocess
import tempfile
import threading
import time
import urllib.error
import urllib.request
from pathlib import Path

import fixture
from check import Failure, wait

ENGINES = ("chromium", "firefox", "webkit")
HERE = Path(__file__).resolve().parent
WIDTH, HEIGHT = 800, 600  # the page's viewport, in CSS pixels
PHONE = (360, 740)  # a phone's viewport, upright, in CSS pixels
# Whether the program's window is on the page; asked while a page loads too, before it has a body.
READY = "return document.body?.dataset.pronto === '1'"
ENDED = "return !document.getElementById('fine').hidden"  # whether the page says the program ended

# Key names of the steps' tables, as the DOM names them (puppeteer takes these; Selenium's below).
KEYS = {"Return": "Enter", "Tab": "Tab", "Down": "ArrowDown", "Up": "ArrowUp", "Right": "ArrowRight",
        "Left": "ArrowLeft", "Escape": "Escape", "F10": "F10", "space": " "}
MODIFIERS = {"ctrl": "Control", "shift": "Shift", "alt": "Alt"}


def browser(engine, scale=1):
    """The browser of ENGINE ("chromium", "firefox", "webkit"), started; SCALE, the device's pixel
    ratio."""
    return {"chromium": Chromium, "firefox": Firefox, "webkit": WebKit}[engine](scale)


def engine_argument(argv):
    """The engine a check is run for: its one argument."""
    if len(argv) != 2 or argv[1] not in ENGINES:
        raise SystemExit(f"usage: {argv[0]} {'|'.join(ENGINES)}")
    return argv[1]


class Browser:
    """What every engine does alike; each engine's class adds how it starts (its __init__), goto,
    js, perform (key actions), click (a left click at a point, CSS pixels from the viewport's top
    left corner), screenshot, console, tree and close."""
    engine = ""
    version = ""  # the engine's, as its driver tells it

    def __init__(self, scale):
        self.scale = scale
        self.url = os.environ["CONVERSIONE_SITE_URL"]
        self.relay = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        try:
            self.close()
        finally:
            if self.relay:
                self.relay.close()

    def open(self, ready=True, slow=False, before=None):
        """Loads the page; with ready, waits until the program's window is on it. SLOW: through a
        link of 500 kB/s with 50 ms latency. BEFORE: a script run before the page's own."""
        url = self.url
        if self.relay:
            self.relay.close()
            self.relay = None
        if slow or before:
            self.relay = Relay(self.url, rate=500_000 if slow else None, before=before)
            url = self.relay.url
        self.goto(url)
        if ready:
            try:
                # The window on the page, and the keyboard with it: Qt's keyboard field focused.
                wait(30, lambda: self.js(READY + " && document.activeElement.tagName === 'INPUT'"),
                     "the program's window on the page, with the keyboard")
            except Failure as failure:
                raise Failure(f"{failure}; the console:\n{self.console()}") from None

    def press(self, *keys, pause=0.05):
        """Keys of the steps' tables: names in KEYS, "alt" (a tap of Alt alone), "ctrl+X",
        "shift+Tab", or "type:TEXT"; PAUSE seconds after each (none at 0: typed ahead)."""
        actions = []
        for key in keys:
            if key.startswith("type:"):
                actions.append(("text", key[5:]))
            elif key == "alt":  # a human-length tap, as a person's
                actions += [("down", "Alt"), ("pause", 0.05), ("up", "Alt")]
            elif "+" in key:
                modifier, _, name = key.partition("+")
                held, name = MODIFIERS[modifier], KEYS.get(name, name)
                actions += [("down", held), ("down", name), ("up", name), ("up", held)]
            else:
                actions += [("down", KEYS[key]), ("up", KEYS[key])]
            if pause:
                actions.append(("pause", pause))
        self.perform(actions)

    def paste(self, text):
        """TEXT put on the browser's clipboard and pasted with Ctrl+V, as a user pastes."""
        written = self.js("return navigator.clipboard.writeText(arguments[0])"
                          ".then(() => 'yes', e => String(e));", text)
        if written != "yes":
            raise Failure(f"the clipboard refused the text: {written}")
        self.press("ctrl+v")

    def console(self):
        """What the page and the program wrote to the browser's console since the last call."""
        return "(not readable in this engine)"


class Selenium(Browser):
    """What Chromium and WebKit do alike through Selenium."""

    def goto(self, url):
        self.driver.get(url)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def perform(self, actions):
        from selenium.webdriver.common.action_chains import ActionChains
        from selenium.webdriver.common.keys import Keys
        names = {"Enter": Keys.ENTER, "Tab": Keys.TAB, "ArrowDown": Keys.DOWN, "ArrowUp": Keys.UP,
                 "ArrowRight": Keys.RIGHT, "ArrowLeft": Keys.LEFT, "Escape": Keys.ESCAPE,
                 "F10": Keys.F10, " ": Keys.SPACE, "Control": Keys.CONTROL, "Shift": Keys.SHIFT,
                 "Alt": Keys.ALT}
        chain = ActionChains(self.driver)
        for kind, value in actions:
            if kind == "down":
                chain.key_down(names.get(value, value))
            elif kind == "up":
                chain.key_up(names.get(value, value))
            elif kind == "text":
                chain.send_keys(value)
            else:
                chain.pause(value)
        chain.perform()

    def click(self, x, y):
        from selenium.webdriver.common.actions.action_builder import ActionBuilder
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(int(x), int(y)).click()
        actions.perform()

    def screenshot(self, path):
        self.driver.save_screenshot(str(path))

    def close(self):
        self.driver.quit()


class Chromium(Selenium):
    engine = "chromium"
    FLAGS = ["--headless=new", "--no-sandbox", "--force-renderer-accessibility", "--disable-gpu",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", f"--window-size={WIDTH},{HEIGHT}", "--lang=it"]

    def __init__(self, scale):
        super().__init__(scale)
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.profile = tempfile.TemporaryDirectory(prefix="conversione-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        for flag in self.FLAGS + [f"--user-data-dir={self.profile.name}"]:
            options.add_argument(flag)
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.version = self.driver.capabilities.get("browserVersion", "")
        self.cdp("Browser.grantPermissions", origin=self.url.rstrip("/"),
                 permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        if scale != 1:
            self.cdp("Emulation.setDeviceMetricsOverride", width=WIDTH, height=HEIGHT,
                     deviceScaleFactor=scale, mobile=False)

    def phone(self, width=PHONE[0], height=PHONE[1]):
        """A phone as Chromium's device mode makes one: a viewport of WIDTH x HEIGHT CSS pixels at
        3 device pixels each, laid out as a mobile page, touch and no mouse. Turned when WIDTH is
        the larger."""
        turned = width > height
        self.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=3, mobile=True, screenWidth=width, screenHeight=height,
                 screenOrientation={"type": "landscapePrimary" if turned else "portraitPrimary",
                                    "angle": 90 if turned else 0})
        self.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)

    def tap(self, x, y):
        """A finger's tap at (X, Y), CSS pixels from the viewport's top left corner."""
        self.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": x, "y": y}])
        self.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])

    def insert_text(self, text):
        """TEXT as a phone's keyboard gives it: committed whole, with no key events."""
        self.cdp("Input.insertText", text=text)

    def close(self):
        try:
            super().close()
        finally:
            self.profile.cleanup()

    def cdp(self, command, **params):
        return self.driver.execute_cdp_cmd(command, params)

    def console(self):
        return "\n".join(entry["message"] for entry in self.driver.get_log("browser"))

    def click(self, x, y):
        # The DevTools protocol's own mouse: a press and a release at the point.
        for kind in ("mousePressed", "mouseReleased"):
            self.cdp("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left", clickCount=1)

    def tree(self):
        """Chromium's accessibility tree, as screen readers get it: the nodes not ignored."""
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


def accessibility_on():
    """The desktop's accessibility switch on: Firefox and WebKit publish their trees only when it is
    on as they start. The session bus's services are first given a settings folder of their own,
    so that no real settings change."""
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        raise Failure("no session bus (DBUS_SESSION_BUS_ADDRESS): the check needs the dbus fixture")
    config = Path(os.environ["CONVERSIONE_BUILD"]) / "web-accessibility" / "config"
    config.mkdir(parents=True, exist_ok=True)
    subprocess.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                    "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.UpdateActivationEnvironment",
                    f"{{'XDG_CONFIG_HOME': '{config}'}}"], check=True, stdout=subprocess.DEVNULL)
    fixture.accessibility_on(dict(os.environ, XDG_CONFIG_HOME=str(config)))


# AT-SPI's roles as Chromium names them; the ARIA role an element was given (the object attribute
# xml-roles) comes first. A plain "text" object is a text box only where it can be edited or read.
ARIA_ROLES = {"textbox", "button", "radio", "radiogroup", "checkbox", "menubar", "menuitem", "menu",
              "alertdialog", "dialog", "alert", "group", "status", "progressbar"}
ATSPI_ROLES = {"entry": "textbox", "password text": "textbox", "push button": "button",
               "toggle button": "button", "radio button": "radio", "check box": "checkbox",
               "menu bar": "menubar", "menu item": "menuitem", "menu": "menu",
               "alert": "alertdialog", "dialog": "dialog", "document web": "RootWebArea",
               "grouping": "group", "panel": "generic", "section": "generic", "filler": "generic",
               "static": "StaticText", "progress bar": "progressbar", "heading": "heading",
               "paragraph": "paragraph", "image": "image", "label": "LabelText", "form": "form",
               "landmark": "generic", "canvas": "canvas", "link": "link"}
# Roles whose value is their text, or the checked state.
TEXT_ROLES = {"textbox"}
CHECKED_ROLES = {"radio", "checkbox"}
# Roles whose text is their name, not a value: the text of the others with no children is.
CONTROL_ROLES = {"button", "menuitem", "radio", "checkbox", "menu", "link"}


class Atspi:
    """The tree of a browser's page from AT-SPI: the browser's application found by its process,
    the page's document (role "document web") in it, and every object under that."""

    def atspi_start(self, pid):
        import pyatspi  # only now: without an accessibility bus it ends the process
        self.pyatspi, self.pid, self.document = pyatspi, pid, None

    def application(self):
        for app in self.pyatspi.Registry.getDesktop(0):
            try:
                if app is not None and app.get_process_id() in self.pid():
                    return app
            except Exception:  # an application that went away in the meantime
                continue
        return None

    def find_document(self):
        """The page's document: the first showing "document web" under the application, its menus
        and tool bars left out."""
        app = self.application()
        queue = [app] if app else []
        while queue:
            acc = queue.pop(0)
            try:
                role = acc.getRoleName()
                if role == "document web" and acc.getState().contains(self.pyatspi.STATE_SHOWING):
                    return acc
                if role in ("menu", "menu bar", "tool bar", "push button"):
                    continue
                queue += [c for c in acc if c is not None]
            except Exception:
                continue
        return None

    def atspi_document(self):
        doc = self.document
        try:
            alive = doc is not None and not doc.getState().contains(self.pyatspi.STATE_DEFUNCT) \
                and doc.getRoleName() == "document web"
        except Exception:
            alive = False
        if not alive:
            self.document = doc = wait(10, self.find_document, f"the page's document in {self.engine}'s"
                                       " accessibility tree (AT-SPI)")
        return doc

    def tree(self):
        nodes, pyatspi = [], self.pyatspi

        def node(acc):
            ident = f"a{len(nodes)}"
            entry = {"id": ident}
            nodes.append(entry)
            role = acc.getRoleName()
            state = acc.getState()
            attributes = dict(a.split(":", 1) for a in acc.getAttributes() if ":" in a)
            aria = attributes.get("xml-roles", "").split()
            mapped = aria[0] if aria and aria[0] in ARIA_ROLES else ATSPI_ROLES.get(role, role)
            if role == "text" and not aria:
                editable = state.contains(pyatspi.STATE_EDITABLE) or state.contains(pyatspi.STATE_READ_ONLY)
                mapped = "textbox" if editable else "StaticText"
            children = [c for c in acc if c is not None]
            text = ""
            try:
                text = acc.queryText().getText(0, -1).replace("\ufffc", "").strip()
            except NotImplementedError:
                pass
            value = text if mapped in TEXT_ROLES or not (children or mapped in CONTROL_ROLES) else ""
            if not value and mapped not in TEXT_ROLES:
                try:
                    value = f"{acc.queryValue().currentValue:g}"
                except NotImplementedError:
                    pass
            entry.update(role=mapped, name=acc.name or "", value=value,
                         checked=(("true" if state.contains(pyatspi.STATE_CHECKED) else "false")
                                  if mapped in CHECKED_ROLES else None),
                         focused=True if state.contains(pyatspi.STATE_FOCUSED) else None,
                         description=acc.description or "", atspi_role=role)
            entry["children"] = [node(child) for child in children]
            return ident

        try:
            document = self.atspi_document()
            # Read afresh: the cache follows the browser's events only while a main loop runs,
            # and none does here.
            document.clear_cache()
            node(document)
        except Exception as error:  # the page changed under the walk: read it again
            if isinstance(error, Failure):
                raise
            self.document, nodes = None, []
            node(self.atspi_document())
        return nodes


class Firefox(Atspi, Browser):
    engine = "firefox"
    PREFS = {
        # A paste as the checks make it: the page writes the clipboard without a user's gesture.
        "dom.events.testing.asyncClipboard": True,
        "intl.accept_languages": "it",
        "browser.shell.checkDefaultBrowser": False,
    }

    def __init__(self, scale):
        super().__init__(scale)
        accessibility_on()
        modules = Path(os.environ["CONVERSIONE_BUILD"]) / "web-node" / "node_modules"
        if not (modules / "puppeteer-core").is_dir():
            raise Failure(f"no puppeteer-core in {modules}: the check needs the web_node fixture")
        self.node = subprocess.Popen(["node", str(HERE / "firefox.cjs")], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, text=True, bufsize=1,
                                     env=dict(os.environ, NODE_PATH=str(modules)))
        self.requests, self.firefox = 0, None
        try:
            # Firefox publishes its tree to AT-SPI only with a window: it runs on the display.
            started = self.call("launch", 60, executablePath="/usr/bin/firefox-esr", headless=False,
                                prefs=self.PREFS, width=WIDTH, height=HEIGHT, scale=scale)
        except BaseException:
            self.close()
            raise
        self.version, self.firefox = started["version"], started["pid"]
        self.atspi_start(lambda: {self.firefox})

    def call(self, op, timeout=30, **params):
        """One request to firefox.cjs, and its answer."""
        self.requests += 1
        self.node.stdin.write(json.dumps({"id": self.requests, "op": op, **params}) + "\n")
        self.node.stdin.flush()
        ready, _, _ = select.select([self.node.stdout], [], [], timeout)
        line = self.node.stdout.readline() if ready else ""
        if not line:
            raise Failure(f"Firefox's driver (firefox.cjs) did not answer {op} in {timeout} s")
        reply = json.loads(line)
        if "error" in reply:
            raise Failure(f"Firefox's driver: {op}: {reply['error']}")
        return reply["ok"]

    def goto(self, url):
        self.document = None
        self.call("goto", 60, url=url)

    def js(self, script, *args):
        return self.call("evaluate", script=script, args=list(args))

    def perform(self, actions):
        self.call("keys", actions=actions)

    def click(self, x, y):
        self.call("click", x=x, y=y)

    def screenshot(self, path):
        self.call("screenshot", path=str(path))

    def console(self):
        return "\n".join(self.call("console"))

    def close(self):
        try:
            if self.node.poll() is None:
                self.call("close")
            self.node.wait(10)
        except (Failure, subprocess.TimeoutExpired):
            # A driver stuck in a request: it ends, and Firefox with it (puppeteer starts Firefox
            # in a process group of its own).
            self.node.kill()
            self.node.wait()
            if self.firefox:
                try:
                    os.killpg(self.firefox, signal.SIGKILL)
                except ProcessLookupError:
                    pass


class WebKit(Atspi, Selenium):
    engine = "webkit"
    MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    # A paste as the checks make it: the page writes the clipboard without a user's gesture.
    ARGS = ["--automation", "--javascript-can-access-clipboard=true"]

    def __init__(self, scale):
        super().__init__(scale)
        from selenium import webdriver
        from selenium.webdriver.webkitgtk.service import Service
        accessibility_on()
        options = webdriver.WebKitGTKOptions()
        options.binary_location = self.MINIBROWSER
        for arg in self.ARGS:
            options.add_argument(arg)
        # MiniBrowser starts under WebKitWebDriver with its environment: GTK's scale makes the
        # device's pixel ratio; the language, the page's (navigator.language).
        saved = dict(os.environ)
        os.environ.update(GDK_SCALE=str(scale), LANG="it_IT.UTF-8")
        try:
            self.driver = webdriver.WebKitGTK(options=options, service=Service("/usr/bin/WebKitWebDriver"))
        finally:
            os.environ.clear()
            os.environ.update(saved)
        self.version = self.driver.capabilities.get("browserVersion", "")
        try:
            self.size_viewport()
        except BaseException:
            self.close()
            raise
        # MiniBrowser, started by WebKitWebDriver.
        service = self.driver.service.process.pid
        self.atspi_start(lambda: {p for p in fixture.descendants([service]) if fixture.program(p) == "MiniBrowser"})

    def size_viewport(self):
        """The window made as large as the viewport of WIDTH x HEIGHT needs, MiniBrowser's tool bar
        included."""
        self.driver.set_window_rect(0, 0, WIDTH, HEIGHT)
        inner = self.driver.execute_script("return [innerWidth, innerHeight]")
        self.driver.set_window_rect(0, 0, 2 * WIDTH - inner[0], 2 * HEIGHT - inner[1])

    def goto(self, url):
        self.document = None
        super().goto(url)


class Relay:
    """The site fetched through a server on this machine that sends it slowly (RATE bytes a second,
    50 ms before each answer) or with BEFORE, a script, put first in the page's head: what a slow
    network or a browser without a feature looks like to the page, the same in every engine."""

    def __init__(self, site, rate=None, before=None):
        site = site.rstrip("/")

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                page = self.path.split("?")[0].endswith(("/", ".html"))
                encoding = "identity" if before and page else self.headers.get("Accept-Encoding", "")
                request = urllib.request.Request(site + self.path, headers={"Accept-Encoding": encoding})
                try:
                    answer = urllib.request.urlopen(request, timeout=30)
                except urllib.error.HTTPError as error:
                    answer = error
                body = answer.read()
                if before and page:
                    body = body.replace(b"<head>", b"<head><script>" + before.encode() + b"</script>", 1)
                if rate:
                    time.sleep(0.05)
                self.send_response(answer.status)
                for name in ("Content-Type", "Content-Encoding", "Vary", "Cache-Control"):
                    if answer.headers.get(name):
                        self.send_header(name, answer.headers[name])
                self.send_header("Content-Length", str(len(body)))
                self.end_headers()
                step = rate // 20 if rate else len(body) or 1
                try:
                    for start in range(0, len(body), step):
                        self.wfile.write(body[start:start + step])
                        if rate:
                            time.sleep(0.05)
                except (BrokenPipeError, ConnectionResetError):
                    pass  # the browser went on without it

            def log_message(self, *args):
                pass

        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.server.daemon_threads = True
        self.url = f"http://127.0.0.1:{self.server.server_address[1]}/"
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def close(self):
        self.server.shutdown()
        self.server.server_close()


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
