"""The listening check ("Training" > "Hörtest ...") in the real window, driven
through AT-SPI and heard in the paced output's capture.

Usage: hearing_check.py <program> <folder holding it and its settings> <capture>

The capture holds what the ALSA default device was given, raw, 16-bit. Every
opening of the device empties it, and the check opens the device anew for
each band, so the file is followed while it grows and each opening is kept
as a piece of its own. When to press comes from the samples captured, never
from the clock: a loaded machine may play slower than the wall clock runs,
and the check's levels follow the samples played.
"""

import math
import os
import struct
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

from atspi_game import application, check_alert, descendants, fail, press, top_window, wait_for

program, folder, capture_path = sys.argv[1:4]

RATE = 48000
STEP_SECONDS = 1.5
# The first band rises through these before "hörbar"; the bands after it
# start at the first again.
RISING = [-60, -55, -50, -45]
# The first three bands, their centres and their names in the window.
BANDS = [(25.0, "25 Hz"), (31.5, "31,5 Hz"), (50.0, "50 Hz")]
# "hörbar" for the first band once this much of it is captured: in its fourth
# step (4.5 s to 6 s), early enough that a slow press still lands there, late
# enough that a third of a second of that step is measured.
PRESS_BAND0 = 5.0
# The later bands are answered (or the check broken off) early, in step 1.
PRESS_LATER = 0.5
# Levels agree within 1 dB, frequencies within 2 %.
LEVEL_TOLERANCE = 1.0
FREQUENCY_TOLERANCE = 0.02


class Capture:
    """The capture file followed as it grows: one piece per opening."""

    HEAD = 4096

    def __init__(self, path):
        self.path = path
        self.pieces = []
        self.channels = None  # 1 or 2, once enough of a tone has been seen

    def poll(self):
        try:
            with open(self.path, "rb") as file:
                size = os.fstat(file.fileno()).st_size
                current = self.pieces[-1] if self.pieces else None
                # Emptied by an opening: shorter than what was read, or (had
                # it regrown between two looks) beginning differently.
                if (current is None or size < len(current) or
                        (len(current) >= self.HEAD and size >= self.HEAD and
                         file.read(self.HEAD) != bytes(current[:self.HEAD]))):
                    current = bytearray()
                    self.pieces.append(current)
                file.seek(len(current))
                current += file.read(size - len(current))
        except FileNotFoundError:
            pass
        if self.channels is None:
            for piece in self.pieces:
                self.channels = self.channels or channels_of(piece)

    def seconds(self, index):
        """How much of piece `index` has been captured, in seconds."""
        if index >= len(self.pieces) or self.channels is None:
            return 0.0
        return len(self.pieces[index]) / (2 * self.channels) / RATE

    def samples(self, index):
        """Piece `index` as one channel of 16-bit samples."""
        piece = self.pieces[index]
        frames = len(piece) // (2 * self.channels)
        count = frames * self.channels
        values = struct.unpack("<%dh" % count, piece[:count * 2])
        return list(values[0::self.channels])


def channels_of(piece):
    """2 when the piece is stereo with both channels alike, 1 when it is mono,
    None while too little of a tone has come to tell."""
    values = struct.unpack("<%dh" % (min(len(piece), 4 * RATE) // 4 * 2),
                           piece[:min(len(piece), 4 * RATE) // 4 * 4])
    start = next((i for i, v in enumerate(values) if v != 0), None)
    if start is None or len(values) - start < 4000:
        return None
    start -= start % 2
    # A mono tone changes from one sample to the next thousands of times a
    # second; two alike channels never differ within a frame.
    return 2 if values[start::2] == values[start + 1::2] else 1


def db(value):
    return 20 * math.log10(max(value, 1e-9) / 32768)


def frequency(samples):
    """From the rising zero crossings, each halfway between the last sample
    below zero and the first above (a quiet tone lingers at 0)."""
    rising = []
    last_negative = None
    below = False
    for i, value in enumerate(samples):
        if value < 0:
            last_negative, below = i, True
        elif value > 0:
            if below:
                rising.append((last_negative + i) / 2)
            below = False
    if len(rising) < 3:
        return 0.0
    return (len(rising) - 1) * RATE / (rising[-1] - rising[0])


def measure(samples, start, end):
    """Peak and RMS times sqrt(2) in dBFS, and the frequency, of seconds
    start to end of the samples."""
    part = samples[int(start * RATE):int(end * RATE)]
    peak = max(abs(v) for v in part)
    rms = math.sqrt(sum(v * v for v in part) / len(part))
    return db(peak), db(rms * math.sqrt(2)), frequency(part)


problems = []


def expect(what, samples, start, end, level, hz=None):
    """The level, and unless the part is too short to count its waves, the
    frequency."""
    peak, rms, heard = measure(samples, start, end)
    line = ("%s (%.2f-%.2f s): peak %.2f dBFS, RMS*sqrt2 %.2f dBFS"
            % (what, start, end, peak, rms) + (", %.2f Hz" % heard if hz else "") +
            "; expected %d dBFS" % level + (", %g Hz" % hz if hz else ""))
    print(line)
    if (abs(peak - level) > LEVEL_TOLERANCE or abs(rms - level) > LEVEL_TOLERANCE or
            (hz and abs(heard - hz) > FREQUENCY_TOLERANCE * hz)):
        problems.append(line)


capture = Capture(capture_path)


def keep_reading(find):
    """A condition for wait_for that reads the capture first."""
    def condition():
        capture.poll()
        return find()
    return condition


def save_pieces_and_fail(message):
    for index, piece in enumerate(capture.pieces):
        with open("/tmp/heulmeister-e2e-hearing-check-%d.raw" % index, "wb") as file:
            file.write(piece)
    fail(message + " (the captured pieces: /tmp/heulmeister-e2e-hearing-check-*.raw)")


heard_names = []


def on_name_change(event):
    try:
        heard_names.append(event.source.name)
    except Exception:  # the source may be gone already
        pass


def named(band):
    """As the window counts them: "Band 1" is 25 Hz."""
    return "Band %d (%s)" % (band + 1, BANDS[band][1])


def wait_for_display(band):
    prefix = "Band %d von 28: %s, " % (band + 1, BANDS[band][1])
    wait_for("the display %r" % prefix,
             keep_reading(lambda: any(name.startswith(prefix) for name in heard_names)), 60)


# Calls may take long on a loaded machine under the sanitizers.
Atspi.set_timeout(30000, -1)
pyatspi.Registry.registerEventListener(on_name_change, "object:property-change:accessible-name")
game = subprocess.Popen([program], cwd=folder)
try:
    app = wait_for("game on the accessibility bus", lambda: application(game.pid))
    check_alert(app, "Vorsicht!!!", None, "OK")
    window = wait_for("main window", lambda: top_window(app, "Schrillsucher"))
    item = wait_for("menu item 'Hörtest ...'", lambda: next(
        (node for node in descendants(window)
         if node.getRole() == pyatspi.ROLE_MENU_ITEM and node.name == "Hörtest ..."), None))

    capture.poll()
    # A piece still empty may be the first band's: its opening empties nothing.
    first = len(capture.pieces)
    if capture.pieces and not capture.pieces[-1]:
        first -= 1
    # The item runs the window's own event loop and answers only once the
    # window has closed: the call is left to time out.
    Atspi.set_timeout(500, -1)
    try:
        item.queryAction().doAction(0)
    except GLib.Error:
        pass
    Atspi.set_timeout(30000, -1)
    dialog = wait_for("window 'Hörtest'", keep_reading(lambda: top_window(app, "Hörtest")), 60)

    # The first band rises for three steps; "hörbar" in the fourth.
    wait_for("%.1f s of %s in the capture" % (PRESS_BAND0, named(0)),
             keep_reading(lambda: capture.seconds(first) >= PRESS_BAND0 or
                          len(capture.pieces) > first + 1), 120)
    if len(capture.pieces) > first + 1:
        save_pieces_and_fail("%s ended by itself after %.2f s captured"
                             % (named(0), capture.seconds(first)))
    print("%s: 'hörbar' after %.2f s captured (%d channel(s), 16 bit)"
          % (named(0), capture.seconds(first), capture.channels))
    press(dialog, "hörbar")
    wait_for_display(1)

    # The second band is answered at once, the third broken off at once.
    for band, button in ((1, "hörbar"), (2, "Abbrechen")):
        wait_for("%.1f s of %s in the capture" % (PRESS_LATER, named(band)),
                 keep_reading(lambda: capture.seconds(first + band) >= PRESS_LATER or
                              len(capture.pieces) > first + band + 1), 120)
        if len(capture.pieces) > first + band + 1:
            save_pieces_and_fail("%s ended by itself after %.2f s captured"
                                 % (named(band), capture.seconds(first + band)))
        print("%s: '%s' after %.2f s captured"
              % (named(band), button, capture.seconds(first + band)))
        press(dialog, button)
        if band == 1:
            wait_for_display(2)

    wait_for("window 'Hörtest' closed",
             keep_reading(lambda: top_window(app, "Hörtest") is None), 60)
    # The device is closed before the window goes: nothing more comes.
    capture.poll()
    pieces, size = len(capture.pieces), len(capture.pieces[-1])
    deadline = time.monotonic() + 1
    while time.monotonic() < deadline:
        capture.poll()
        time.sleep(0.05)
    if (len(capture.pieces), len(capture.pieces[-1])) != (pieces, size):
        save_pieces_and_fail("the capture went on after 'Abbrechen'")
    if game.poll() is not None:
        fail("the game ended with %s" % game.returncode)
finally:
    game.terminate()
    game.wait(30)

if len(capture.pieces) != first + 3:
    save_pieces_and_fail("%d openings of the device for 3 bands" % (len(capture.pieces) - first))

# The first band: four steps, each measured away from its edges (10 ms ramps)
# from where the tone began. The fourth was cut short by "hörbar".
samples = capture.samples(first)
onset = next((i for i, v in enumerate(samples) if v != 0), len(samples)) / RATE
end = len(samples) / RATE
print("%s: %.3f s captured, the tone from %.4f s" % (named(0), end, onset))
if onset > 0.05:
    problems.append("%s begins with %.3f s of silence" % (named(0), onset))
for step, level in enumerate(RISING):
    start = onset + step * STEP_SECONDS + 0.15
    stop = min(start + STEP_SECONDS - 0.3, end - 0.01)
    if stop - start < 0.3:
        save_pieces_and_fail("only %.2f s of step %d of %s captured"
                             % (stop - start, step + 1, named(0)))
    expect("%s step %d" % (named(0), step + 1), samples, start, stop, level, BANDS[0][0])
# Each step lasts 1.5 s: the level two waves before and after each change.
for step in range(1, len(RISING)):
    edge = onset + step * STEP_SECONDS
    expect("%s before %.1f s" % (named(0), step * STEP_SECONDS), samples, edge - 0.09,
           edge - 0.01, RISING[step - 1])
    expect("%s after %.1f s" % (named(0), step * STEP_SECONDS), samples, edge + 0.02,
           edge + 0.1, RISING[step])
if end - onset > len(RISING) * STEP_SECONDS + 0.05:
    print("note: 'hörbar' came only after %.2f s of %s: a slow machine" % (end - onset, named(0)))

# After "hörbar" the next band starts again at the bottom (its first step has
# no ramp).
for band in (1, 2):
    samples = capture.samples(first + band)
    onset = next((i for i, v in enumerate(samples) if v != 0), len(samples)) / RATE
    end = min(len(samples) / RATE - 0.01, onset + STEP_SECONDS - 0.05)
    print("%s: %.3f s captured, the tone from %.4f s" % (named(band), len(samples) / RATE, onset))
    if end - onset < 0.3:
        save_pieces_and_fail("only %.2f s of %s captured" % (end - onset, named(band)))
    expect("%s step 1" % named(band), samples, onset, end, RISING[0], BANDS[band][0])

if problems:
    save_pieces_and_fail("the listening check sounded wrong:\n  " + "\n  ".join(problems))
print("PASS: the listening check rose from -60 dBFS in 5 dB steps of 1.5 s at 25 Hz; after"
      " 'hörbar' 31.5 Hz and 50 Hz started again at -60 dBFS; 'Abbrechen' silenced it")
