#!/usr/bin/python3
"""Asks an X11 window to close the way a window manager's close button does: by sending it the
WM_DELETE_WINDOW message, so that the program ends through its own close handling.

Usage: close-window.py WINDOW-ID   (on the display named by $DISPLAY)
"""
import sys

from Xlib import X, display
from Xlib.protocol import event

screen = display.Display()
window = screen.create_resource_object("window", int(sys.argv[1], 0))
wm_protocols = screen.intern_atom("WM_PROTOCOLS")
wm_delete_window = screen.intern_atom("WM_DELETE_WINDOW")
if wm_delete_window not in (window.get_wm_protocols() or []):
    sys.exit("close-window: the window does not take WM_DELETE_WINDOW")
message = event.ClientMessage(
    window=window,
    client_type=wm_protocols,
    data=(32, [wm_delete_window, X.CurrentTime, 0, 0, 0]),
)
window.send_event(message, event_mask=X.NoEventMask)
screen.flush()
