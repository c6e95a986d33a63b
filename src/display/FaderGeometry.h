#pragma once
// Where things stand in the paint box, in device pixels. The hit test and the
// charts use the same figures as the drawing.

#include <QSize>

struct FaderGeometry {
    int ColumnWidth = 0;  // W: width of the fader track picture
    int TrackHeight = 0;  // H: height of the fader track picture
    double StepPitch = 0; // H / 25, height of one level step, not rounded
    int TrackTop = 0;     // y of the top of every track
    int LabelTop = 0;     // y of the top of the label row

    // The paint box is 32 columns; band fader i stands in column i + 1.
    double ColumnCentre(int band) const { return (band + 1.5) * ColumnWidth; }

    // Knob of a fader at a level: rows KnobTop..KnobBottom - 1, centre line KnobLineY.
    int KnobTop(int level) const;
    int KnobBottom(int level) const;
    int KnobLineY(int level) const;
    // Half widths of the knob and of its centre line around the column centre.
    int KnobHalfWidth() const;
    int KnobLineHalfWidth() const;

    // The track picture's size for a paint box: Nearest(cw / 32) x Nearest(ch / 1.5).
    static QSize TrackSize(QSize paintBox);
    // W and H come from the track picture actually made, the rest from the paint box.
    static FaderGeometry For(QSize paintBox, QSize trackPicture);
};
