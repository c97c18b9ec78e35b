#!/usr/bin/python3
"""Starts a program on the current X display and times its start-up from X events.

Prints one line of JSON: milliseconds from just before exec to the first MapNotify of a
top-level window (map_ms) and to the first drawing on the screen after that map (paint_ms, from
the DAMAGE extension on the root window); the number of shared objects mapped once the window
is drawn and quiet (shared_objects, qt_plugins); then the program's peak resident memory in KiB
(maxrss_kib), read by wait4() after the watcher closed the window as a window manager's close
button does (WM_DELETE_WINDOW). The display must show nothing else: no window manager and no
other client drawing.

Windows programs under Wine (Watcher(wine=True), or --wine) are X windows too, with two
differences: Wine maps small override-redirect helper windows of its own before the program's
window, which are not counted as the map; and Wine puts the window's new surface, all black, on
the screen as it maps it, so a drawing counts as the first paint only once the window shows
something other than black.

Usage: watch.py [--wine] [--settle SECONDS] [--timeout SECONDS] PROGRAM [ARGUMENT...]
"""
import argparse
import json
import os
import select
import signal
import sys
import time

from Xlib import X, display, error
from Xlib.ext import damage
from Xlib.protocol import event as xevent


class Watcher:
    """One connection to the display, listening to the root window for maps and drawing."""

    def __init__(self, wine=False):
        self.wine = wine
        self.d = display.Display()
        if not self.d.has_extension(damage.extname):
            sys.exit('watch.py: the display has no DAMAGE extension')
        self.d.damage_query_version()  # required before any other DAMAGE request
        self.root = self.d.screen().root
        self.root.change_attributes(event_mask=X.SubstructureNotifyMask)
        # Drawing into any window on the screen is drawing into the root's area.
        self.root.damage_create(damage.DamageReportRawRectangles)
        self.drain()

    def drain(self):
        self.d.sync()
        while self.d.pending_events():
            self.d.next_event()

    def next_event(self, deadline):
        """The next X event, or None once the deadline has passed."""
        while not self.d.pending_events():
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            select.select([self.d.fileno()], [], [], left)
        return self.d.next_event()

    def close(self, window):
        protocols = self.d.intern_atom('WM_PROTOCOLS')
        delete = self.d.intern_atom('WM_DELETE_WINDOW')
        message = xevent.ClientMessage(window=window, client_type=protocols,
                                       data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(message, event_mask=0)
        self.d.flush()

    def measure(self, argv, env=None, settle=0.3, timeout=20):
        """Runs argv once; returns the figures described at the top of this file."""
        self.drain()
        start = time.monotonic()
        pid = os.posix_spawnp(argv[0], argv, os.environ if env is None else env)
        mapped = painted = window = None
        quiet_from = None
        deadline = start + timeout
        while True:
            limit = deadline if painted is None else min(deadline, quiet_from + settle)
            ev = self.next_event(limit)
            now = time.monotonic()
            if ev is None:
                break
            if ev.type == X.MapNotify and mapped is None and not (self.wine and ev.override):
                mapped, window = now, ev.window
            elif ev.type == self.d.extension_event.DamageNotify and mapped is not None:
                if painted is None and self.wine and black(window):
                    continue
                painted = painted or now
                quiet_from = now
        objects = mapped_objects(pid)
        if painted is None:
            os.kill(pid, signal.SIGKILL)
            os.waitpid(pid, 0)
            raise RuntimeError('%s: no window mapped and painted within %s s' % (argv[0], timeout))
        self.close(window)
        usage = reap(pid, timeout)
        return {
            'map_ms': round((mapped - start) * 1000, 2),
            'paint_ms': round((painted - start) * 1000, 2),
            'maxrss_kib': usage.ru_maxrss,
            'shared_objects': len(objects),
            'qt_plugins': sorted(os.path.basename(o) for o in objects if '/plugins/' in o),
        }


def black(window):
    """Whether the window shows nothing but black, or is gone already."""
    try:
        g = window.get_geometry()
        data = window.get_image(0, 0, g.width, g.height, X.ZPixmap, 0xffffffff).data
    except error.XError:
        return True
    # Four bytes a pixel on a 24-bit display: blue, green, red, and one unused.
    return not any(data[i::4].strip(b'\0') for i in range(3))


def mapped_objects(pid):
    """The shared objects a running process has mapped."""
    try:
        with open('/proc/%d/maps' % pid) as maps:
            paths = {line.split()[-1] for line in maps if '.so' in line}
    except OSError:
        return set()
    return {p for p in paths if p.startswith('/')}


def reap(pid, timeout):
    """Waits for the program to end (killing it after the timeout); its resource usage."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        done, _, usage = os.wait4(pid, os.WNOHANG)
        if done:
            return usage
        time.sleep(0.005)
    os.kill(pid, signal.SIGKILL)
    return os.wait4(pid, 0)[2]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--settle', type=float, default=0.3,
                        help='quiet time after the last drawing before closing the window')
    parser.add_argument('--timeout', type=float, default=20)
    parser.add_argument('--wine', action='store_true',
                        help='PROGRAM runs under Wine (see the top of this file)')
    parser.add_argument('program', nargs=argparse.REMAINDER)
    args = parser.parse_args()
    if not args.program:
        parser.error('no program given')
    print(json.dumps(Watcher(args.wine).measure(args.program, None, args.settle, args.timeout)))


if __name__ == '__main__':
    main()
