"""The journal's big windows on a small screen under a window manager.

Usage: screen_fit.py <program> <folder holding it and its settings>
One turn is played through AT-SPI so that the journal has a row; then
"Verwechslungen" and "Lernkurve" are opened from the "Training" menu. Each
lies whole on the screen with its frame, the summary line of "Verwechslungen"
is drawn there, and no column of the "Lernkurve" table is cut.
"""

import subprocess
import sys

import pyatspi

from atspi_game import (application, check_alert, descendants, fail, play_turn, pump,
                        top_window, wait_for)

program, folder = sys.argv[1:3]
# How the summary line of "Verwechslungen" begins, with or without a wrong try.
SUMMARIES = ("Am häufigsten wurde", "Im gewählten Zeitraum")
screen_width, screen_height = (int(n) for n in subprocess.run(
    ["xdotool", "getdisplaygeometry"], capture_output=True, text=True, check=True).stdout.split())


def extents(node):
    box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def on_screen(what, node):
    x, y, width, height = extents(node)
    if x < 0 or y < 0 or x + width > screen_width or y + height > screen_height:
        fail("%s lies at %d,%d %dx%d, off the %dx%d screen"
             % (what, x, y, width, height, screen_width, screen_height))


def frame_on_screen(title):
    """The window manager's frame around the window, from X."""
    window = subprocess.run(["xdotool", "search", "--name", "^%s$" % title],
                            capture_output=True, text=True).stdout.split()[0]
    def geometry(*options):
        info = subprocess.run(["xwininfo", *options, "-id", window],
                              capture_output=True, text=True).stdout
        figures = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
        return tuple(int(figures[key]) for key in (
            "Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))
    # The client's place inside the frame that holds it.
    x, y, width, height = geometry("-frame")
    cx, cy, cwidth, cheight = geometry()
    left, top = min(x, cx), min(y, cy)
    right, bottom = max(x + width, cx + cwidth), max(y + height, cy + cheight)
    if left < 0 or top < 0 or right > screen_width or bottom > screen_height:
        fail("%s with its frame spans %d,%d to %d,%d, off the screen (the window %d,%d %dx%d)"
             % (title, left, top, right, bottom, cx, cy, cwidth, cheight))


def drawn(what, node):
    """Something is painted where AT-SPI says the node is: more than one colour."""
    x, y, width, height = extents(node)
    subprocess.run(["import", "-window", "root", "/tmp/heulmeister-screen-fit.png"], check=True)
    colours = subprocess.run(
        ["convert", "/tmp/heulmeister-screen-fit.png", "-crop", "%dx%d+%d+%d" % (width, height, x, y),
         "-format", "%k", "info:"], capture_output=True, text=True, check=True).stdout
    if int(colours) < 2:
        fail("%s is not drawn on the screen" % what)


def open_from_training(app, window, item, title):
    entry = next((node for node in descendants(window)
                  if node.getRole() == pyatspi.ROLE_MENU_ITEM and node.name == item), None)
    if entry is None:
        fail("no menu item %r" % item)
    entry.queryAction().doAction(0)
    opened = wait_for(title, lambda: top_window(app, title))
    pump(1.0)  # mapped, framed and laid out
    return opened


game = subprocess.Popen([program], cwd=folder)
try:
    app = wait_for("game on the accessibility bus", lambda: application(game.pid))
    check_alert(app, "Vorsicht!!!", None, "OK")
    window = wait_for("main window", lambda: top_window(app, "Schrillsucher"))
    play_turn(window)

    confusions = open_from_training(app, window, "Verwechslungen ...", "Verwechslungen")
    frame_on_screen("Verwechslungen")
    labels = wait_for("the summary", lambda: [node for node in descendants(confusions)
                                              if node.getRole() == pyatspi.ROLE_LABEL
                                              and node.name.startswith(SUMMARIES)])
    on_screen("the summary line", labels[-1])
    drawn("the summary line", labels[-1])

    curve = open_from_training(app, window, "Lernkurve ...", "Lernkurve")
    # The table shows once the journal has been read.
    table = wait_for("the band table", lambda: next(
        (node for node in descendants(curve) if node.getRole() == pyatspi.ROLE_TABLE
         and node.getState().contains(pyatspi.STATE_SHOWING)), None))
    pump(0.5)  # widened to its columns
    frame_on_screen("Lernkurve")
    on_screen("the band table", table)
    tx, ty, twidth, theight = extents(table)
    cells = table.queryTable()
    for column in range(cells.nColumns):
        header = cells.getColumnHeader(column)
        x, y, width, height = extents(header)
        if x < tx or x + width > tx + twidth:
            fail("the column %r is cut: %d..%d in a table of %d..%d"
                 % (header.name, x, x + width, tx, tx + twidth))
finally:
    game.terminate()
    game.wait(30)
print("screen fit passed at %dx%d" % (screen_width, screen_height))
