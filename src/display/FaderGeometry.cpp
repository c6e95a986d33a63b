#include "display/FaderGeometry.h"

#include "display/Nearest.h"

int FaderGeometry::KnobTop(int level) const
{
    return TrackTop + Nearest((12 - level) * StepPitch);
}

int FaderGeometry::KnobBottom(int level) const
{
    return TrackTop + Nearest((13 - level) * StepPitch);
}

int FaderGeometry::KnobLineY(int level) const
{
    return TrackTop + Nearest((12.5 - level) * StepPitch);
}

int FaderGeometry::KnobHalfWidth() const
{
    return Nearest(0.4 * ColumnWidth);
}

int FaderGeometry::KnobLineHalfWidth() const
{
    return Nearest(0.3 * ColumnWidth);
}

QSize FaderGeometry::TrackSize(QSize paintBox)
{
    return QSize(Nearest(paintBox.width() / 32.0), Nearest(paintBox.height() / 1.5));
}

FaderGeometry FaderGeometry::For(QSize paintBox, QSize trackPicture)
{
    FaderGeometry g;
    g.ColumnWidth = trackPicture.width();
    g.TrackHeight = trackPicture.height();
    g.StepPitch = g.TrackHeight / 25.0;
    g.TrackTop = Nearest(paintBox.height() / 10.0);
    g.LabelTop = Nearest(g.TrackTop * 7.8);
    return g;
}
