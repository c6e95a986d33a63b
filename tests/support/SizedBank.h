#pragma once
// The fader bank's renderer laid out for a paint box, as the window lays it
// out after a resize: the set-up of every picture test of the bank.

#include "display/FaderRenderer.h"

struct SizedBank : FaderRenderer {
    // `devicePixels` of paint box at `logicalDpi` and `devicePixelRatio`.
    explicit SizedBank(QSize devicePixels, qreal logicalDpi = 96, qreal devicePixelRatio = 1.0)
    {
        FormResize(devicePixels, logicalDpi, devicePixelRatio);
    }
};
