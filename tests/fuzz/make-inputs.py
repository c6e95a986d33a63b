#!/usr/bin/env python3
"""Writes the seed corpus, the dictionaries' companions and the regression
inputs of the fuzz targets. Run from anywhere; rewrites the files in place."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
LABELS = ["25", "31.5", "40", "50", "63", "80", "100", "125", "160", "200", "250", "315", "400",
          "500", "630", "800", "1k", "1.25k", "1.6k", "2k", "2.5k", "3.15k", "4k", "5k", "6.3k",
          "8k", "10k", "12.5k", "16k"][:28]
BOM = b"\xef\xbb\xbf"


def put(folder, name, data):
    path = os.path.join(HERE, folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def record(band, finds=0, attempts=0, find_time=0, level=0, locked=0):
    label = LABELS[band].encode("latin-1")
    frequency = 25.0 * 2 ** (band / 3)
    return (bytes([len(label)]) + label.ljust(255, b"\0") + struct.pack("<d", frequency) +
            struct.pack("<iiii", level, finds, attempts, find_time) + bytes(12) + bytes([locked]))


def results(counters):
    """counters: band -> (finds, attempts, find time)"""
    return b"".join(record(i, *counters.get(i, (0, 0, 0))) for i in range(28))


MAX = 2**31 - 1
MIN = -(2**31)
SETTINGS = (b"[Filter]\nLowCut=11\nHighcut=22\n\n[Spiel]\nSelektmode=1\nSoundStop=0\n"
            b"Zufallszeit=0\nStartZeit=0\n\n[Audio]\nVolumen=-10\nSoundkarte=0\n\n"
            b"[Daten]\nDateiname=/home/spieler/Ergebnisse.HMD\n")

# Seeds: what the program itself writes and what Windows wrote.
put("corpus/settings", "fresh.inf", SETTINGS)
put("corpus/settings", "windows-crlf.inf",
    b"[Filter]\r\nLowCut=3\r\nHighcut=20\r\n\r\n[Daten]\r\nDateiname=C:\\M\xfcll\\\x80.HMD\r\n")
put("corpus/settings", "comments-and-foreign-keys.inf",
    b"; Heulmeister\n[Fenster]\nLinks=10\n[Filter]\n; Baender\nHighcut = 24\nNotiz=LowCut=3\n"
    b"LowCut=2\n[Audio]\nTreiber=alsa\n[Daten]\nDateiname=\" a.HMD \"\n")
put("corpus/settings", "empty.inf", b"")
put("corpus/results", "empty-game.HMD", results({}))
put("corpus/results", "some-finds.HMD",
    results({12: (4, 10, 12000), 15: (6, 21, 30000), 20: (1, 1, 900)}))
put("corpus/results", "longer-than-28-records.HMD", results({14: (2, 5, 4000)}) + b"junk" * 10)
put("corpus/results", "short.HMD", results({})[:293])

# Regressions: every hostile input the hardening issue reported.
put("regressions/settings", "three-byte-order-marks.inf",
    BOM * 3 + b"[Spiel]\nZufallszeit=6\n[Daten]\nDateiname=/tmp/a.HMD\n")
put("regressions/settings", "two-byte-order-marks-windows-1252.inf",
    BOM * 2 + b"[Daten]\r\nDateiname=C:\\M\xfcll.HMD\r\n")
put("regressions/settings", "long-filter-section.inf",
    b"[Filter]\nLowCut=5\n" + b";\n" * 100000 + b"[Audio]\nVolumen=1\n")
put("regressions/settings", "huge-delays-and-device.inf",
    b"[Spiel]\nZufallszeit=2147483647\nStartZeit=2147483647\n[Audio]\nSoundkarte=2147483647\n"
    b"Volumen=-2147483648\n")
put("regressions/settings", "negative-and-overlong-numbers.inf",
    b"[Filter]\nLowCut=-1\nHighcut=99999999999999999999\n[Spiel]\nZufallszeit=-5\n"
    b"StartZeit=-2147483649\n")
put("regressions/settings", "lone-carriage-returns.inf",
    b"[Daten]\rDateiname=a\rb\n[Filter]\r\nLowCut=\r4\n")
put("regressions/settings", "crlf-without-final-line-end.inf",
    b"[Filter]\r\nLowCut=3\r\n[Daten]\r\nDateiname=C:\\a.HMD")
# Found by fuzz_settings: a lone carriage return inside the file name.
put("regressions/settings", "lone-carriage-return-in-file-name.inf",
    BOM * 2 + b"[Daten]\r\nDateiname=C:\\M\xfcll.HMD\r\xfcll.HM\n")
put("regressions/results", "huge-counters-total-attempts.HMD",
    results({band: (1, MAX, MAX) for band in range(28)}))
put("regressions/results", "negative-counters.HMD",
    results({band: (1, MIN, MIN) for band in range(28)}))
put("regressions/results", "zero-finds-with-attempts.HMD",
    results({band: (0 if band % 2 else -1, MAX, MIN) for band in range(28)}))
put("regressions/results", "one-byte-short.HMD", results({14: (1, 1, 1)})[:-1])


def row(started="2026-12-07T21:05:33Z", band=14, attempts=1, tried="", find_ms="i1200",
        outcome="found", frequency="d1000.0", row_id="i1"):
    """One line of journal rows: tab-separated values, typed by their first letter."""
    values = [row_id, "t" + started, "i%d" % band, frequency, "i1", "i11", "i22", "i%d" % attempts,
              "t" + tried, find_ms, "t" + outcome, "i2", "i0", "i0", "i0"]
    return "\t".join(values).encode("utf-8")


def rows(*lines):
    return b"\n".join(lines)


put("corpus/journal", "one-find.rows", row())
put("corpus/journal", "a-week-of-turns.rows", rows(*[
    row(started="2026-12-%02dT%02d:00:00Z" % (1 + i % 7, 8 + i % 12), band=i % 28,
        attempts=1 + i % 4, tried=" ".join(str((i + k) % 28) for k in range(i % 4)),
        find_ms="i%d" % (900 + 37 * i), row_id="i%d" % (i + 1))
    for i in range(40)]))
put("corpus/journal", "given-up-and-foreign.rows", rows(
    row(outcome="abandoned", find_ms="", attempts=3, tried="3 4 5"),
    row(started="2026-12-07 21:05:33+01:00", band=2),
    b"hand\twritten\tjunk",
    row(outcome="Found")))
put("regressions/journal", "extreme-values.rows", rows(
    row(attempts=2**31 - 1, find_ms="i9223372036854775807"),
    row(find_ms="i-1"),
    row(frequency="dnan"), row(frequency="dinf"), row(frequency="b\x00\xff"),
    row(started="9999-12-31T23:59:59Z"), row(started="0001-01-01T00:00:00Z"),
    row(started="-0001-01-01T00:00:00Z"), row(band=28), row(band=-1),
    row(tried=" ".join(["27"] * 500), attempts=501)))
put("regressions/journal", "quotes-commas-and-line-breaks.rows", rows(
    row(outcome='found",\r\x01'), row(started='2026-12-07T21:05:33Z,"'),
    row(tried="1,2\r3"), b"\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t"))
