"""The strongest tone in mono float32 samples at 48 kHz on stdin: its
frequency (Hz) and its peak amplitude (dBFS), from a Hann-windowed FFT with
the peak interpolated. Strongest means standing furthest out of the bins
around it, so that the bass of pink noise is no tone. Pure Python, so the
test needs nothing more. The one argument: the lowest frequency looked at
(30 Hz)."""

import cmath
import math
import struct
import sys

RATE = 48000


def fft(values):
    size = len(values)
    if size == 1:
        return values
    even = fft(values[0::2])
    odd = fft(values[1::2])
    twiddled = [cmath.exp(-2j * math.pi * k / size) * odd[k] for k in range(size // 2)]
    return ([even[k] + twiddled[k] for k in range(size // 2)] +
            [even[k] - twiddled[k] for k in range(size // 2)])


def main():
    data = sys.stdin.buffer.read()
    samples = struct.unpack("<%df" % (len(data) // 4), data[: len(data) // 4 * 4])
    size = 1
    while size * 2 <= len(samples):
        size *= 2
    if size < 1024:
        print("0 -200")
        return
    samples = samples[-size:]
    window = [(1 - math.cos(2 * math.pi * n / size)) / 2 for n in range(size)]
    spectrum = fft([s * w for s, w in zip(samples, window)])
    magnitudes = [abs(spectrum[k]) for k in range(size // 2)]
    lowest = int(float(sys.argv[1] if len(sys.argv) > 1 else 30) * size / RATE)
    sums = [0.0]
    for magnitude in magnitudes:
        sums.append(sums[-1] + magnitude)

    def prominence(k):
        wide = sums[min(k + 65, len(magnitudes))] - sums[max(k - 64, 0)]
        narrow = sums[min(k + 4, len(magnitudes))] - sums[max(k - 3, 0)]
        return magnitudes[k] / max((wide - narrow) / 122, 1e-30)

    peak = max(range(lowest, size // 2 - 1), key=prominence)
    a, b, c = (math.log(max(magnitudes[k], 1e-30)) for k in (peak - 1, peak, peak + 1))
    shift = 0.5 * (a - c) / (a - 2 * b + c) if a - 2 * b + c != 0 else 0.0
    amplitude = 4 * math.exp(b - 0.25 * (a - c) * shift) / size
    print("%.1f %d" % ((peak + shift) * RATE / size, round(20 * math.log10(max(amplitude, 1e-10)))))


main()
