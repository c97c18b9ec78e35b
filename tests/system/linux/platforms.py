#!/usr/bin/python3
"""The program on each kind of display, and without one: each row starts it with only the named
variables set. With a display its window must show (with its title, at its fixed size; on Wayland
natively, with its app id), and SIGTERM, as at logout, end it with status 143 and nothing printed.
Without one it must end at once with status 1 and the one message that says what to do, with no
trace of Qt's own. X11 is the display fixture's; Wayland is weston's headless back end, where the
window shows in the requests it sends (WAYLAND_DEBUG). Usage: platforms.py PROGRAM"""
import glob, os, random, re, shutil, sys, tempfile
from pathlib import Path
import facts
from check import fail, poll, run_table
from desktop import out, windows
from fixture import descendants, end, launch

program, tmp = os.path.abspath(sys.argv[1]), Path(tempfile.mkdtemp())
runtime, nowayland = tmp / "runtime", tmp / "nowayland"
runtime.mkdir(mode=0o700)
# A display whose server is gone leaves neither socket nor lock: a number far above those Xvfb
# -displayfd hands out, so that no X server takes it meanwhile.
gone = next(f":{n}" for n in random.sample(range(600, 900), 300)
            if not glob.glob(f"/tmp/.X11-unix/X{n}") + glob.glob(f"/tmp/.X{n}-lock"))
# As where qt6-wayland is not installed: a copy whose qt.conf names a folder with the X11 plugin.
(nowayland / "plugins/platforms").mkdir(parents=True)
(nowayland / "plugins/platforms/libqxcb.so").symlink_to(glob.glob("/usr/lib/*/qt6/plugins/platforms/libqxcb.so")[0])
(nowayland / "qt.conf").write_text(f"[Paths]\nPlugins={nowayland}/plugins\n")
shutil.copy(program, nowayland)
WAYLAND = "WAYLAND_DISPLAY=conversione-ci"
# Name, program, variables (besides PATH, HOME, XDG_RUNTIME_DIR and no session bus, which libdbus
# would start on X to outlive the row), then where the window shows, or the message's pattern.
ROWS = [
    ("neither variable set", program, "",
     r"^conversione: no display found \(DISPLAY and WAYLAND_DISPLAY are unset\)\.$"),
    ("DISPLAY alone", program, f"DISPLAY={os.environ['DISPLAY']}", "x11"),
    ("WAYLAND_DISPLAY alone", program, WAYLAND, "wayland"),
    ("DISPLAY of a server that is gone", program, f"DISPLAY={gone}",
     rf"^conversione: cannot open a window: no display answers \(DISPLAY={gone}\)\.$"),
    ("WAYLAND_DISPLAY without the Wayland plugin", nowayland / "conversione", WAYLAND,
     r"^Install the package qt6-wayland"),
    ("QT_QPA_PLATFORM=wayland with no compositor", program, "QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=nothing-here",
     r"^conversione: cannot open a window: no display answers \(WAYLAND_DISPLAY=nothing-here\)\.$"),
]
# The protocol log names objects interface@id, or interface#id with newer libwayland.
TOPLEVEL = r"xdg_toplevel[@#]\d+\.(set_(?:title|app_id|min_size|max_size)\([^)]*\))"
# The window's size: its client area below a menu bar of Fusion's height in Liberation Sans.
SIZE = (facts.CLIENT_WIDTH, facts.CLIENT_HEIGHT + 17)
WINDOW = {f'set_title("{facts.TITLE}")', f'set_app_id("{facts.APP_ID}")',
          "set_min_size({}, {})".format(*SIZE), "set_max_size({}, {})".format(*SIZE)}


def shown(where, protocol):
    if where == "wayland":
        return WINDOW <= set(re.findall(TOPLEVEL, protocol)) and re.search(r"xdg_surface[@#]\d+\.ack_configure", protocol)
    return any("Geometry: {}x{}".format(*SIZE) in out("xdotool", "getwindowgeometry", window)
               for window in windows())


def run(row):
    """Runs one row and shows what it printed (on Wayland, the window's requests)."""
    _, binary, variables, expected = row
    env = dict(PATH=os.environ["PATH"], HOME=str(tmp), XDG_RUNTIME_DIR=str(runtime),
               DBUS_SESSION_BUS_ADDRESS="disabled:", WAYLAND_DEBUG="client")
    env.update(variable.split("=", 1) for variable in variables.split())
    app = launch([binary], tmp / "row.log", cwd=tmp, env=env)
    protocol = lambda: (tmp / "row.log").read_text(errors="replace")
    displayed = expected in ("x11", "wayland")
    if displayed:
        window = poll(10, lambda: shown(expected, protocol()) or app.poll() is not None) and shown(expected, protocol())
        app.terminate()
    ended = poll(10, lambda: app.poll() is not None)
    end([app.pid])  # if still running
    status = app.wait() if app.wait() >= 0 else 128 - app.returncode
    # Lines of the protocol log start with a time (of day on newer libwayland).
    text = "".join(l for l in protocol().splitlines(True) if not re.match(r"\[ *[0-9:]*\.[0-9]*\] ", l))
    wrong = [(not ended, "still running after 10 s")]
    if displayed:
        wrong += [(not window, f"no window on {expected} within 10 s"),
                  (status != 143, "not ended by SIGTERM (143)"), (text, "it printed something"),
                  (re.search(r"wl_display[@#]\d+\.error\(", protocol()), "a Wayland protocol error")]
    else:
        wrong += [(status != 1, "status not 1"), (not re.search(expected, text, re.M), f"no message /{expected}/"),
                  (len(re.findall("^conversione: ", text, re.M)) != 1 or re.search(r"qt\.|Qt platform", text),
                   "more than the one message")]
    verdict = next((why for fault, why in wrong if fault), None)
    calls = " ".join(re.findall(TOPLEVEL, protocol())) if expected == "wayland" else ""
    said = (text or protocol()[-400:]) if verdict else calls
    print(f"{row[0]}: status {status}" + "".join(f"\n      | {line}" for line in said.splitlines()))
    if verdict:
        fail(verdict)


# Weston's desktop shell (Qt then draws its own window decorations, as on most Wayland desktops),
# without the on-screen keyboard it would start for text input.
(tmp / "weston.ini").write_text("[input-method]\npath=\n")
weston = launch(["weston", "--backend=headless-backend.so", f"--config={tmp}/weston.ini",
                 "--socket=conversione-ci", "--idle-time=0", f"--log={tmp}/weston.log"],
                os.devnull, env=dict(os.environ, XDG_RUNTIME_DIR=str(runtime)))
def weston_ends():
    if weston.poll() is not None:
        fail("weston ended while the program ran")
    helpers = descendants([weston.pid])  # the shell's panel, which weston ends as it ends
    weston.terminate()
    if weston.wait(10):
        fail(f"weston ended with status {weston.returncode}")
    end(helpers)


try:
    if not poll(5, (runtime / "conversione-ci").is_socket):
        sys.exit("weston did not start:\n" + (tmp / "weston.log").read_text())
    run_table(ROWS + [("weston lasts the rows and ends cleanly", weston_ends)],
              lambda row: row[1]() if callable(row[1]) else run(row), keep_going=True)
finally:
    end([weston.pid])
    shutil.rmtree(tmp, ignore_errors=True)
