"""The real program in English, as a screen reader reads it, through AT-SPI.

Usage: english_reader.py <program> <folder holding it and its settings> <translation .ts>
With "[Training] Sprache=en" the warning is an alert in English, the top menus
read "File" to "Help", and no menu item, button or status line reads a German
text that has another English one.
"""

import subprocess
import sys
import xml.etree.ElementTree as ET

import pyatspi

from atspi_game import application, check_alert, descendants, fail, top_window, wait_for

program, folder, ts = sys.argv[1:4]
german_only = set()
for message in ET.parse(ts).getroot().iter("message"):
    source = message.findtext("source") or ""
    if "".join(message.find("translation").itertext()).strip() != source:
        german_only.add(source)

READ = {pyatspi.ROLE_MENU, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_CHECK_MENU_ITEM,
        pyatspi.ROLE_RADIO_MENU_ITEM, pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_LABEL}

game = subprocess.Popen([program], cwd=folder)
try:
    app = wait_for("game on the accessibility bus", lambda: application(game.pid))
    check_alert(app, "Caution!!!", None, "OK")
    window = wait_for("main window", lambda: top_window(app, "Schrillsucher"))
    bar = wait_for("menu bar", lambda: next(
        (node for node in descendants(window) if node.getRole() == pyatspi.ROLE_MENU_BAR), None))
    top = [item.name for item in bar]
    if top != ["File", "Game", "Settings", "Evaluation", "Training", "Help"]:
        fail("the top menus read %s" % top)
    read = [node.name for node in descendants(window) if node.getRole() in READ and node.name]
    left = sorted({name for name in read if name in german_only})
    if left:
        fail("still German: %s" % left)
    if len(read) < 30:
        fail("only %d texts read: %s" % (len(read), read))
finally:
    game.terminate()
    game.wait(30)
print("screen reader: english passed (%d texts)" % len(read))
