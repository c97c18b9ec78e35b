"""Driving a window on the X display in $DISPLAY as a user does: find it by its title, press keys,
type, tap Alt, take a screenshot, and close it as a window manager's close button does."""
import os, re, subprocess, time
from fixture import poll


def xdotool(*args, check=False):
    return subprocess.run(["xdotool", *map(str, args)], capture_output=True, text=True, check=check).stdout


def windows(title="Conversione"):
    """The ids of the visible windows titled exactly TITLE."""
    return xdotool("search", "--onlyvisible", "--name", f"^{title}$").split()


def find_window(title, seconds=20):
    """The id of the first visible window titled exactly TITLE, or None after SECONDS."""
    found = poll(seconds, lambda: windows(title), 0.2)
    return int(found[0]) if found else None


def key(*names):
    """Presses each key in turn, with no modifier left held by an earlier step. xdotool adds the
    modifiers of the first keymap entry that reaches a key's symbol, and xkb-data 2.48 lists Alt
    among the ways to F1..F12: "xdotool key F10" sends Alt+F10 there. A function key goes as its
    keycode, which xdotool sends with no modifier."""
    for name in names:
        if function := re.fullmatch(r"F(1[0-2]|[1-9])", name):
            keymap = subprocess.run(["xkbcomp", "-xkb", os.environ["DISPLAY"], "-"],
                                    capture_output=True, text=True).stdout
            name = re.search(rf"^\s*<FK{int(function[1]):02d}>\s*=\s*(\d+);", keymap, re.M)[1]
        xdotool("key", "--clearmodifiers", name, check=True)


def type_text(text, delay=30):
    xdotool("type", "--delay", delay, text, check=True)


def tap_alt():
    """Alt alone, held as long as a person does: a zero-length tap may open the menu bar and shut
    it again at once."""
    xdotool("keydown", "Alt_L")
    time.sleep(0.05)
    xdotool("keyup", "Alt_L")


def press(step, special=lambda name: False, delay=30):
    """Does a table's step, words apart: "type:TEXT" types TEXT, "alt" taps Alt alone, any other
    word is an xdotool key name, unless SPECIAL(word), the table's own words, returns true."""
    for name in step.split():
        if special(name):
            continue
        elif name == "alt":
            tap_alt()
        elif name.startswith("type:"):
            type_text(name[5:], delay)
        else:
            key(name)


def screenshot(window, path):
    """Saves the window with its frame as PNG; returns its size, WIDTHxHEIGHT."""
    subprocess.run(["import", "-window", str(window), "-frame", str(path)], check=True)
    return subprocess.run(["identify", "-format", "%wx%h", path], capture_output=True, text=True).stdout


def close_window(window):
    """Sends the window WM_DELETE_WINDOW, so that the program ends through its own close handling."""
    from Xlib import X, display
    from Xlib.protocol import event

    screen = display.Display()
    target = screen.create_resource_object("window", window)
    delete = screen.intern_atom("WM_DELETE_WINDOW")
    if delete not in (target.get_wm_protocols() or []):
        raise RuntimeError(f"window {window} does not take WM_DELETE_WINDOW")
    target.send_event(event.ClientMessage(window=target, client_type=screen.intern_atom("WM_PROTOCOLS"),
                                          data=(32, [delete, X.CurrentTime, 0, 0, 0])))
    screen.flush()
