"""The real program as a screen reader reads it, through AT-SPI.

Usage: screen_reader.py <program> <folder holding it and its settings> <phase>
phase "nodevice": the warning and the box for a missing sound card are alerts.
phase "play": the warning, the fader bank as 29 sliders, values set through
AT-SPI moving faders and counting in a turn, a find heard as a status line's
name change, the question of NEUES SPIEL as an alert.
"""

import subprocess
import sys

import pyatspi

from atspi_game import (application, check_alert, descendants, fail, press, pump, top_window,
                        wait_for)

program, folder, phase = sys.argv[1:4]
heard_names = []  # (role, new name) of every name change, in order
heard_faders = []  # (event type, slider name) of the sliders' events


def on_name_change(event):
    try:
        heard_names.append((event.source.getRole(), event.source.name))
    except Exception:  # the source may be gone already
        pass


def on_fader_event(event):
    try:
        if event.source.getRole() == pyatspi.ROLE_SLIDER:
            heard_faders.append((event.type, event.source.name))
    except Exception:
        pass


pyatspi.Registry.registerEventListener(on_name_change, "object:property-change:accessible-name")
pyatspi.Registry.registerEventListener(on_fader_event, "object:property-change:accessible-value",
                                       "object:state-changed:enabled", "focus:",
                                       "object:state-changed:focused")
game = subprocess.Popen([program], cwd=folder)
try:
    app = wait_for("game on the accessibility bus", lambda: application(game.pid))
    check_alert(app, "Vorsicht!!!",
                "Achtung! Das Programm erzeugt Signale, die Lautsprecher oder\n"
                "das Gehör bei unsachgemässer Verwendung schädigen können.\n"
                "Beginnen sie immer mit minimaler Lautstärke.\n"
                "Es wird keine Haftung für Schäden übernommen.", "OK")
    if phase == "nodevice":
        check_alert(app, "Keine Soundkarte gefunden",
                    "Dieses Programm benötigt eine Soundkarte.", "OK")
        sys.exit(0)

    window = wait_for("main window", lambda: top_window(app, "Schrillsucher"))
    sliders = wait_for("sliders", lambda: [node for node in descendants(window)
                                             if node.getRole() == pyatspi.ROLE_SLIDER])
    names = [s.name for s in sliders]
    expected = ["25 Hz", "32 Hz", "50 Hz", "62 Hz", "80 Hz", "100 Hz", "125 Hz", "160 Hz",
                "200 Hz", "250 Hz", "315 Hz", "400 Hz", "500 Hz", "625 Hz", "800 Hz", "1 kHz",
                "1.25 kHz", "1.6 kHz", "2 kHz", "2.5 kHz", "3.15 kHz", "4 kHz", "5 kHz",
                "6.25 kHz", "8 kHz", "10 kHz", "12.5 kHz", "16 kHz", "Lautstärke"]
    if names != expected:
        fail("the sliders read %s" % names)
    for slider in sliders:
        value = slider.queryValue()
        if (value.minimumValue, value.maximumValue) != (-12, 12):
            fail("%s ranges %s..%s" % (slider.name, value.minimumValue, value.maximumValue))
    volume = sliders[28].queryValue()
    if volume.currentValue != -10:  # the settings file's volume
        fail("the volume reads %s" % volume.currentValue)

    # The volume set through AT-SPI moves the fader, as the keys do.
    volume.currentValue = -4
    wait_for("volume at -4", lambda: volume.currentValue == -4, 5)
    if not sliders[28].getState().contains(pyatspi.STATE_FOCUSED):
        fail("the volume fader set is not the focused one")

    # A turn started with START's press action; every band in play pulled
    # down in turn until the find. Wrong tries lock their band, the find ends
    # the turn, each heard as a status line that changes.
    del heard_names[:]
    press(window, "START")
    wait_for("the turn's status line", lambda: any(
        name.startswith("Aktuell: 0 ") for role, name in heard_names), 10)
    in_play = [s for s in sliders[:28] if s.getState().contains(pyatspi.STATE_ENABLED)]
    if [s.name for s in in_play] != expected[11:23]:
        fail("the bands in play read %s" % [s.name for s in in_play])
    wrong = 0
    for slider in in_play:
        del heard_names[:]
        del heard_faders[:]
        slider.queryValue().currentValue = -12
        pump(0.3)
        lines = [name for role, name in heard_names if role == pyatspi.ROLE_LABEL]
        if any("OK:1" in line for line in lines):
            # The find takes the selection away, as it does from the keys: -6 stays.
            if slider.queryValue().currentValue != -6:
                fail("the found band stands at %s" % slider.queryValue().currentValue)
            break
        if slider.queryValue().currentValue != -12:
            fail("%s stands at %s" % (slider.name, slider.queryValue().currentValue))
        wrong += 1
        if slider.description != "Fehlversuch":
            fail("the wrong try on %s is described as %r" % (slider.name, slider.description))
        if slider.getState().contains(pyatspi.STATE_ENABLED):
            fail("the wrong try on %s left it available" % slider.name)
        if not any(line.startswith("Aktuell: %d " % wrong) for line in lines):
            fail("the wrong try on %s was not heard (%s)" % (slider.name, lines))
        kinds = {kind for kind, name in heard_faders if name == slider.name}
        for kind in ("object:property-change:accessible-value", "object:state-changed:enabled"):
            if kind not in kinds:
                fail("no %s from %s (%s)" % (kind, slider.name, sorted(kinds)))
        if not kinds & {"focus:", "object:state-changed:focused"}:
            fail("the selection of %s was not heard (%s)" % (slider.name, sorted(kinds)))
    else:
        fail("no band found")
    if not any("Total: %d OK:1" % (wrong + 1) in line for line in lines):
        fail("the find was heard as %s" % lines)

    press(window, "NEUES SPIEL")
    check_alert(app, "Neues Spiel starten?",
                "Alle Ergebnisse gehen verloren. Trotzdem neues Spiel beginnen?", "Nein")
finally:
    game.terminate()
    game.wait(30)
print("screen reader: %s passed" % phase)
