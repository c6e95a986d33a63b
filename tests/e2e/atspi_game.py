"""What the end-to-end scripts share to reach the real program through AT-SPI."""

import sys
import time

import pyatspi
from gi.repository import GLib


def fail(message):
    print("FAIL: " + message, file=sys.stderr)
    sys.exit(1)


def pump(seconds=0.0):
    deadline = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while True:
        while context.iteration(False):
            pass
        if time.monotonic() >= deadline:
            return
        time.sleep(0.02)


def wait_for(what, find, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        pump()
        found = find()
        if found:
            return found
        time.sleep(0.1)
    fail("no " + what)


def descendants(node):
    for child in node:
        if child is None:
            continue
        yield child
        yield from descendants(child)


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def top_window(app, title):
    for window in app:
        if window is not None and window.name == title:
            return window
    return None


def press(node, label):
    button = next((b for b in descendants(node)
                   if b.getRole() == pyatspi.ROLE_PUSH_BUTTON and label in b.name), None)
    if button is None:
        fail("no button %r in %r" % (label, node.name))
    action = button.queryAction()
    names = [action.getName(i).lower() for i in range(action.nActions)]
    if "press" not in names:
        fail("button %r has no press action (%s)" % (button.name, names))
    action.doAction(names.index("press"))


def check_alert(app, title, text, answer):
    """The box is an alert that reads `text` (any text when None); then answered."""
    box = wait_for("box " + title, lambda: top_window(app, title))
    if box.getRole() != pyatspi.ROLE_ALERT:
        fail("%r is read as %s, not as an alert" % (title, box.getRoleName()))
    if text is not None and box.description != text:
        fail("%r describes itself as %r" % (title, box.description))
    press(box, answer)
    wait_for(title + " closed", lambda: top_window(app, title) is None)


def play_turn(window):
    """START, then every band in play pulled down in turn until the find."""
    def found():
        return any(node.getRole() == pyatspi.ROLE_LABEL and "OK:1" in node.name
                   for node in descendants(window))

    press(window, "START")
    pump(0.5)
    for slider in [node for node in descendants(window)
                   if node.getRole() == pyatspi.ROLE_SLIDER][:28]:
        if not slider.getState().contains(pyatspi.STATE_ENABLED):
            continue
        slider.queryValue().currentValue = -12
        pump(0.3)
        if found():
            return
    wait_for("the find", found, 10)  # a slow program may say it late
